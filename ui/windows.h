#pragma once

#include <QList>
#include <functional>
#include <utility>

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

// A window that is made the first time it is used, and then kept for the run. Before the
// windows are set up (and after they are taken down) it is empty and reads as null.
template <typename T> class Lazy {
  public:
    // Given by the start-up code: how to make the window.
    void setMaker(std::function<T*()> make) { make_ = std::move(make); }
    // The window, made now when it is not yet; null while it is being made (a window that
    // reaches for itself while it is built finds nothing rather than recursing).
    T* get() {
        if (!made_ && make_) {
            auto make = std::exchange(make_, {});
            try {
                made_ = make();
            } catch (...) {
                make_ = std::move(make);
                throw;
            }
        }
        return made_;
    }
    operator T*() { return get(); }
    T* operator->() { return get(); }
    T& operator*() { return *get(); }
    // Whether the window exists or can be made, without making it.
    explicit operator bool() const { return made_ || make_; }
    // The window when it has been made already, otherwise null.
    T* ifMade() const { return made_; }

  private:
    std::function<T*()> make_;
    T* made_ = nullptr;
};

// Every window of the program, kept for the run. The main window is made at start-up; the others
// when first used (the splash when the main window is first shown), and the rest of them once the
// main window is on the screen.
struct Windows {
    TfrmMain* frmMain = nullptr;
    Lazy<TfrmSplash> frmSplash;
    Lazy<TdlgEdit> dlgEdit;
    Lazy<TdlgPhotograph> dlgPhotograph;
    Lazy<TdlgSessionInterrupted> dlgSessionInterrupted;
    Lazy<TdlgContinueSession> dlgContinueSession;
    Lazy<TdlgSaveThisSession> dlgSaveThisSession;
    Lazy<TdlgLoad> dlgLoad;
    Lazy<TdlgSaveAs> dlgSaveAs;
    Lazy<TdlgOverwriteInventory> dlgOverwriteInventory;
    Lazy<TdlgIncorrectNumber> dlgIncorrectNumber;
    Lazy<TdlgHelp> dlgHelp;
    Lazy<TdlgInvalidName> dlgInvalidName;
    Lazy<TdlgDelete> dlgDelete;
    Lazy<TdlgAreYouSure> dlgAreYouSure;
    Lazy<TfrmIndex> frmIndex;
    Lazy<TdlgBackup> dlgBackup;
    Lazy<TdlgSaveBeforeBackup> dlgSaveBeforeBackup;
    Lazy<TdlgBackupExists> dlgBackupExists;
    Lazy<TdlgRestore> dlgRestore;
    Lazy<TQIVDBWriter> QIVDBWriter;
    Lazy<TfrmPhotoView> frmPhotoView;
    Lazy<TdlgRenamePhoto> dlgRenamePhoto;
    Lazy<TdlgQIVPrint> dlgQIVPrint;
    Lazy<TfrmAbout> frmAbout;

    // The windows made so far, in the program's order of windows (frmMain first, frmAbout
    // last) whatever order they were made in.
    QList<QWidget*> all;
    // Puts a newly made window into `all` at its place in that order (0 for frmMain).
    void add(QWidget* window, int place);

  private:
    QList<int> places_;
};

Windows& Win();

} // namespace ui
