#include "help/help_menu.h"

#include "app/common/guard.h"
#include "app/common/modal.h"
#include "app/common/windows.h"
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

void ShowAbout() {
    if (TfrmAbout* about = ui::Win().frmAbout) ui::Modal::exec(*about);
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
    if (about) ui::ConnectGuarded(about, &QAction::triggered, mainWindow, [] { ShowAbout(); });
}

} // namespace help
