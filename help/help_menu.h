#pragma once

#include "help/help_text.h"

#include <array>

class QAction;
class QWidget;

namespace help {

// Connects the main window's Help menu: the six topic items in menu order (Getting Started,
// Menus, Inventory Tab, Inventory Pictures Tab, Sub-Inventory Tabs, Suggestions), the index and
// the about box.
void ConnectHelpMenu(QWidget* mainWindow, const std::array<QAction*, kHelpTopicCount>& topics,
                     QAction* index, QAction* about);

// The menu items' handlers, callable on their own.
void ShowHelpTopic(int topic, QWidget* mainWindow);
void ShowIndex(QWidget* mainWindow);
// Modal to `mainWindow`, so the licence window it can open is not blocked by it.
void ShowAbout(QWidget* mainWindow);

} // namespace help
