#include "devtools/devtools_menu.h"

#include "ui/guard.h"
#include "ui/line_list.h"
#include "ui/modal.h"
#include "ui/windows.h"
#include "devtools/db_writer_window.h"
#include "help/index_window.h"

#include <QAction>

namespace devtools {

void ShowDBWriter() {
    if (TQIVDBWriter* writer = ui::Win().QIVDBWriter) ui::Modal::exec(*writer);
}

int TestIndex(QWidget* mainWindow) {
    TfrmIndex* index = ui::Win().frmIndex;
    if (!index) return 0;
    int followed = 0;
    for (int i = 0; i <= index->ListBox1->count(); ++i) {
        index->placeAt(mainWindow);
        index->show();
        index->ListBox1->setCurrentRow(i); // past the last line: nothing selected
        index->Button2Click();
        if (index->isVisible()) break;
        ++followed;
    }
    return followed;
}

void ConnectDevToolsMenu(QWidget* mainWindow, QAction* dbWriter, QAction* testIndex) {
    // Connecting again replaces the earlier connections instead of doubling them.
    for (QAction* a : {dbWriter, testIndex})
        if (a) QObject::disconnect(a, &QAction::triggered, mainWindow, nullptr);
    if (dbWriter)
        ui::ConnectGuarded(dbWriter, &QAction::triggered, mainWindow, [] { ShowDBWriter(); });
    if (testIndex)
        ui::ConnectGuarded(testIndex, &QAction::triggered, mainWindow,
                           [mainWindow] { TestIndex(mainWindow); });
}

} // namespace devtools
