#include "help/help_menu.h"

#include "ui/guard.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "help/about_window.h"
#include "help/help_dialog.h"
#include "help/index_window.h"

#include <QAction>

namespace help {

void ShowHelpTopic(int topic, QWidget* mainWindow) {
    if (TdlgHelp* dlg = ui::Win().dlgHelp) dlg->ShowTopic(topic, mainWindow);
}

void ShowIndex(QWidget* mainWindow) {
    TfrmIndex* index = ui::Win().frmIndex;
    if (!index) return;
    index->placeAt(mainWindow);
    ui::Modal::exec(*index);
}

void ShowAbout(QWidget* mainWindow) {
    TfrmAbout* about = ui::Win().frmAbout;
    if (!about) return;
    // Modal to the main window only: the licence it opens in the help window must stay
    // scrollable and printable while the about box is up.
    if (mainWindow && about->parentWidget() != mainWindow) {
        const QPoint at = about->pos();
        about->setParent(mainWindow, about->windowFlags());
        about->move(at);
    }
    about->setWindowModality(mainWindow ? Qt::WindowModal : Qt::ApplicationModal);
    ui::Modal::exec(*about);
}

void ConnectHelpMenu(QWidget* mainWindow, const std::array<QAction*, kHelpTopicCount>& topics,
                     QAction* index, QAction* about) {
    // Connecting again replaces the earlier connections instead of doubling them.
    for (QAction* a : topics)
        if (a) QObject::disconnect(a, &QAction::triggered, mainWindow, nullptr);
    for (QAction* a : {index, about})
        if (a) QObject::disconnect(a, &QAction::triggered, mainWindow, nullptr);
    for (int i = 0; i < kHelpTopicCount; ++i) {
        const int topic = kFirstHelpTopic + i;
        if (topics[i])
            ui::ConnectGuarded(topics[i], &QAction::triggered, mainWindow,
                               [topic, mainWindow] { ShowHelpTopic(topic, mainWindow); });
    }
    if (index)
        ui::ConnectGuarded(index, &QAction::triggered, mainWindow,
                           [mainWindow] { ShowIndex(mainWindow); });
    if (about)
        ui::ConnectGuarded(about, &QAction::triggered, mainWindow,
                           [mainWindow] { ShowAbout(mainWindow); });
}

} // namespace help
