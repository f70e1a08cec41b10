#pragma once

class QAction;
class QWidget;

namespace devtools {

// Connects the DevTools menu's "DBWriter" and "Test Index" items. "Hide DevTools" is a checkable
// item that keeps its own check mark; the settings are written from it at exit.
void ConnectDevToolsMenu(QWidget* mainWindow, QAction* dbWriter, QAction* testIndex);

// Shows the catalogue writer modally.
void ShowDBWriter();

// Follows every line of the item index with "Go to Item", from the first on, and stops at the
// first one that leaves the index open: a line that could not be followed, or the end of the
// list, where nothing is selected. Returns the number of lines followed.
int TestIndex(QWidget* mainWindow);

} // namespace devtools
