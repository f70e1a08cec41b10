#pragma once

#include "ui/app_state.h"
#include "inventories/header_row.h"

#include <QString>
#include <functional>

namespace inventory {
class InventoryPage;
}

// The File menu's inventory commands, the refresh after the working table was replaced, and the
// start and end of a run. They ask their questions through the named-inventory dialogs, keep the
// shared flags, and leave the statements to inventory_store.
namespace inventories {

// What the commands need from the main window, which lives a layer above them.
struct MainWindowLinks {
    // Holds lblInventory; its top-level window carries the caption.
    inventory::InventoryPage* inventoryPage = nullptr;
    std::function<void(CostLevel)> checkCostLevel = [](CostLevel) {};
    std::function<void()> fillRecentMenu = [] {};
};
void LinkMainWindow(MainWindowLinks links);
MainWindowLinks& MainWindow();

// A header write for this moment: the current time, sort keys, cost level and flags.
HeaderWrite CurrentHeaderWrite();
// Whether writing the header now stamps it with the write's time: with unsaved changes, or when
// the header row holds no well-formed stamp. A save that does so hands that time to the run's
// change stamp too, so the printout tells the time of the save and not an older one.
bool HeaderWriteTakesTime(const HeaderWrite& write);

void New1Click();
void LoadInventory1Click();
void SaveInventory1Click();
void SaveInventoryAs1Click();
void DeleteInventory1Click();

// Replaces the working inventory by a saved one and shows it; the recent items call this
// directly, without the save question.
void OpenInventory(const QString& displayName);
// Takes over ID counter, sort, cost level and stamp from the working table and rebuilds every
// listing and the pictures.
void ReloadWorkingInventory();
// The window caption and the Inventory page's title for the open inventory.
void ShowInventoryCaption();
// Left edge that centres a label of labelWidth on a page of pageWidth.
int CentredLeft(int pageWidth, int labelWidth);

// Sets the run marker, or, when the previous run left it behind, asks what to do with the
// inventory it was working on.
void StartupCheck();
// Asks about unsaved changes and ends the session. False when the user cancelled: the program
// must keep running with nothing changed.
bool ClosingSteps();

} // namespace inventories
