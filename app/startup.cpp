#include "app/startup.h"

#include "app/command_line.h"
#include "app/program_folder.h"
#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "app/splash.h"
#include "backup/backup_dialog.h"
#include "backup/backup_exists_dialog.h"
#include "backup/core/backup_core.h"
#include "backup/restore_dialog.h"
#include "backup/save_before_backup_dialog.h"
#include "devtools/db_writer_window.h"
#include "help/about_window.h"
#include "help/help_dialog.h"
#include "help/index_window.h"
#include "inventories/are_you_sure_dialog.h"
#include "inventories/continue_session_dialog.h"
#include "inventories/delete_dialog.h"
#include "inventories/invalid_name_dialog.h"
#include "inventories/load_dialog.h"
#include "inventories/overwrite_inventory_dialog.h"
#include "inventories/save_as_dialog.h"
#include "inventories/save_this_session_dialog.h"
#include "inventories/session_interrupted_dialog.h"
#include "inventory/print_dialog.h"
#include "pictures/photo_view_window.h"
#include "pictures/photograph_dialog.h"
#include "pictures/rename_photo_dialog.h"
#include "pictures/rendition_cache.h"
#include "tabs/edit_dialog.h"
#include "tabs/incorrect_number_dialog.h"

#include <QApplication>
#include <QGuiApplication>
#include <QDir>
#include <QLockFile>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <memory>
#include <optional>

namespace app {

namespace {

// Makes a window at once and keeps it for the run.
template <typename W, typename... Args> W* create(W*& slot, int place, Args&&... args) {
    slot = new W(std::forward<Args>(args)...);
    ui::Win().add(slot, place);
    return slot;
}

// Leaves a window to be made when it is first used.
template <typename W> void later(ui::Lazy<W>& slot, int place) {
    slot.setMaker([place] {
        auto* window = new W;
        ui::Win().add(window, place);
        return window;
    });
}

// Makes each window that is not made yet, in the program's order of windows.
std::vector<std::function<void()>> RemainingWindowMakers() {
    auto& w = ui::Win();
    return {[&w] { w.frmSplash.get(); },
            [&w] { w.dlgEdit.get(); },
            [&w] { w.dlgPhotograph.get(); },
            [&w] { w.dlgSessionInterrupted.get(); },
            [&w] { w.dlgContinueSession.get(); },
            [&w] { w.dlgSaveThisSession.get(); },
            [&w] { w.dlgLoad.get(); },
            [&w] { w.dlgSaveAs.get(); },
            [&w] { w.dlgOverwriteInventory.get(); },
            [&w] { w.dlgIncorrectNumber.get(); },
            [&w] { w.dlgHelp.get(); },
            [&w] { w.dlgInvalidName.get(); },
            [&w] { w.dlgDelete.get(); },
            [&w] { w.dlgAreYouSure.get(); },
            [&w] { w.frmIndex.get(); },
            [&w] { w.dlgBackup.get(); },
            [&w] { w.dlgSaveBeforeBackup.get(); },
            [&w] { w.dlgBackupExists.get(); },
            [&w] { w.dlgRestore.get(); },
            [&w] { w.QIVDBWriter.get(); },
            [&w] { w.frmPhotoView.get(); },
            [&w] { w.dlgRenamePhoto.get(); },
            [&w] { w.dlgQIVPrint.get(); },
            [&w] { w.frmAbout.get(); }};
}

// True while no handler is under way: one waiting in a dialog (or in any other inner event loop)
// may hold the shared queries that making a window or building a page reads with. The splash is
// shown by the main window's first showing, which holds nothing, so its time is used.
bool NothingUnderWay() {
    const int loops = QThread::currentThread()->loopLevel();
    const QWidget* modal = QApplication::activeModalWidget();
    const QWidget* splash = ui::Win().frmSplash.ifMade();
    if (splash && modal == splash) return ui::Modal::pending() == 1 && loops <= 2;
    return loops <= 1 && ui::Modal::pending() == 0 && !modal;
}

// What the first frame does not need, made from the event loop one step per turn whenever nothing
// is under way, so that the window answers in between: each remaining window, then each page.
// A step that fails has shown why and ends the run; what is left is made when first used.
class TheRest : public QObject {
  public:
    explicit TheRest(QObject* parent)
        : QObject(parent), timer_(new QTimer(this)), steps_(RemainingWindowMakers()) {
        connect(timer_, &QTimer::timeout, this, [this] { step(); });
        timer_->start(0);
    }

  private:
    void step() {
        if (!NothingUnderWay()) {
            timer_->start(50);
            return;
        }
        timer_->start(0);
        bool more = false;
        if (next_ < steps_.size()) {
            ui::Guarded([&] {
                steps_[next_++]();
                more = true;
            });
        } else if (TfrmMain* main = ui::Win().frmMain) {
            more = main->BuildNextPage();
        }
        if (!more) deleteLater();
    }

    QTimer* timer_;
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
};

// Makes the rest once the window it watches is first on the screen.
class AfterFirstExposure : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            new TheRest(ui::Win().frmMain);
            deleteLater();
        }
        return false;
    }
};

// The last safety net: an error that no handler caught is shown instead of ending the run.
class Application : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            ui::ShowError(e);
        } catch (...) {
            ui::Modal::message(QString(), QStringLiteral("Error"));
        }
        return false;
    }
};

void report(const QString& text, bool window) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    if (window) ui::Modal::message(text, QStringLiteral("Error"));
}

// Sets up the program folder and makes it the current directory. Returns the exit status when
// the run cannot go on; a job leaves the run lock to the job itself.
std::optional<int> EnterProgramFolder(bool window, std::unique_ptr<QLockFile>* runLock = nullptr) {
    ProgramFolderStart start = OpenProgramFolder(QCoreApplication::applicationDirPath());
    if (!start.error.isEmpty()) {
        report(start.error, window);
        return 1;
    }
    if (start.otherRun && window) {
        report(QStringLiteral("Quivera is already running on the program folder %1, or a restore "
                              "into it is under way.")
                   .arg(QDir::toNativeSeparators(start.folder)),
               window);
        return 1;
    }
    if (!QDir::setCurrent(start.folder)) {
        report(QStringLiteral("Quivera cannot open its program folder %1.")
                   .arg(QDir::toNativeSeparators(start.folder)),
               window);
        return 1;
    }
    if (runLock) *runLock = std::move(start.runLock);
    return std::nullopt;
}

} // namespace

void CreateWindows() {
    auto& w = ui::Win();
    w = ui::Windows{};
    create(w.frmMain, 0);
    // The splash comes after the main window's first showing, and is made then.
    w.frmSplash.setMaker([] {
        auto* splash = new TfrmSplash(State().programFolder);
        ui::Win().add(splash, 1);
        return splash;
    });
    int place = 2;
    later(w.dlgEdit, place++);
    later(w.dlgPhotograph, place++);
    later(w.dlgSessionInterrupted, place++);
    later(w.dlgContinueSession, place++);
    later(w.dlgSaveThisSession, place++);
    later(w.dlgLoad, place++);
    later(w.dlgSaveAs, place++);
    later(w.dlgOverwriteInventory, place++);
    later(w.dlgIncorrectNumber, place++);
    later(w.dlgHelp, place++);
    later(w.dlgInvalidName, place++);
    later(w.dlgDelete, place++);
    later(w.dlgAreYouSure, place++);
    later(w.frmIndex, place++);
    later(w.dlgBackup, place++);
    later(w.dlgSaveBeforeBackup, place++);
    later(w.dlgBackupExists, place++);
    later(w.dlgRestore, place++);
    later(w.QIVDBWriter, place++);
    later(w.frmPhotoView, place++);
    later(w.dlgRenamePhoto, place++);
    later(w.dlgQIVPrint, place++);
    later(w.frmAbout, place++);
}

void CreateRemainingWindows() {
    if (!ui::Win().frmMain) return;
    for (const auto& make : RemainingWindowMakers())
        make();
}

void ShowMainWindow() {
    TfrmMain* main = ui::Win().frmMain;
    if (!main) return;
    main->show();
    // The windows and pages not needed for the first frame are made once the main window is on
    // the screen: the item index is then still taken from the catalogue as it is at start-up,
    // before anything can change it.
    if (QWindow* window = main->windowHandle())
        window->installEventFilter(new AfterFirstExposure(window));
    else
        new TheRest(main);
}

void DestroyWindows() {
    // Renditions still being made write into the program folder: none may outlast the run.
    pictures::StopMakingRenditions();
    auto& w = ui::Win();
    for (qsizetype i = w.all.size() - 1; i >= 0; --i)
        delete w.all[i];
    w = ui::Windows{};
    State().ADOQuery1.close();
    State().ADOQuery2.close();
    State().ADOConnection1.disconnect();
    State().ADOConnection2.disconnect();
}

int RunProgram(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> rc = RunInformationOption(arguments)) return *rc;
    if (NamesCommandLineJob(arguments)) {
        // Jobs named on the command line run without a window, in the same program folder. The
        // report draws with fonts and a paint engine, which need a GUI application, though no
        // screen.
        std::unique_ptr<QCoreApplication> core;
        if (CommandLineJobDraws(arguments)) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            core = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            core = std::make_unique<QCoreApplication>(argc, argv);
        }
        if (const std::optional<int> rc = EnterProgramFolder(false)) return *rc;
        return RunCommandLineJob(arguments).value_or(2);
    }
    Application application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qiv"));
    // The run lock is held for the run: a second run on the same folder, or a restore from the
    // command line, must not work on the databases under this one.
    std::unique_ptr<QLockFile> runLock;
    if (const std::optional<int> rc = EnterProgramFolder(true, &runLock)) return *rc;
    int rc = 0;
    try {
        CreateWindows();
        // The inventory file cannot be used and the user chose not to go on.
        if (ui::Win().frmMain->quitRequested()) {
            DestroyWindows();
            return 1;
        }
        ShowMainWindow();
        rc = QApplication::exec();
    } catch (const std::exception& e) {
        ui::ShowError(e);
        rc = 1;
    }
    DestroyWindows();
    return rc;
}

} // namespace app
