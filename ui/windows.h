#pragma once

#include <QList>

class QWidget;
class TfrmMain;
class TfrmSplash;
class TdlgEdit;
class TdlgPhotograph;
class TdlgSessionInterrupted;
class TdlgContinueSession;
class TdlgSaveThisSession;
class TdlgLoad;
class TdlgSaveAs;
class TdlgOverwriteInventory;
class TdlgIncorrectNumber;
class TdlgHelp;
class TdlgInvalidName;
class TdlgDelete;
class TdlgAreYouSure;
class TfrmIndex;
class TdlgBackup;
class TdlgSaveBeforeBackup;
class TdlgBackupExists;
class TdlgRestore;
class TQIVDBWriter;
class TfrmPhotoView;
class TdlgRenamePhoto;
class TdlgQIVPrint;
class TfrmAbout;

namespace ui {

// Every window of the program, created once at start-up in this order and kept for the run.
struct Windows {
    TfrmMain* frmMain = nullptr;
    TfrmSplash* frmSplash = nullptr;
    TdlgEdit* dlgEdit = nullptr;
    TdlgPhotograph* dlgPhotograph = nullptr;
    TdlgSessionInterrupted* dlgSessionInterrupted = nullptr;
    TdlgContinueSession* dlgContinueSession = nullptr;
    TdlgSaveThisSession* dlgSaveThisSession = nullptr;
    TdlgLoad* dlgLoad = nullptr;
    TdlgSaveAs* dlgSaveAs = nullptr;
    TdlgOverwriteInventory* dlgOverwriteInventory = nullptr;
    TdlgIncorrectNumber* dlgIncorrectNumber = nullptr;
    TdlgHelp* dlgHelp = nullptr;
    TdlgInvalidName* dlgInvalidName = nullptr;
    TdlgDelete* dlgDelete = nullptr;
    TdlgAreYouSure* dlgAreYouSure = nullptr;
    TfrmIndex* frmIndex = nullptr;
    TdlgBackup* dlgBackup = nullptr;
    TdlgSaveBeforeBackup* dlgSaveBeforeBackup = nullptr;
    TdlgBackupExists* dlgBackupExists = nullptr;
    TdlgRestore* dlgRestore = nullptr;
    TQIVDBWriter* QIVDBWriter = nullptr;
    TfrmPhotoView* frmPhotoView = nullptr;
    TdlgRenamePhoto* dlgRenamePhoto = nullptr;
    TdlgQIVPrint* dlgQIVPrint = nullptr;
    TfrmAbout* frmAbout = nullptr;

    // In creation order.
    QList<QWidget*> all;
};

Windows& Win();

} // namespace ui
