#pragma once

#include "ui/app_state.h"
#include "inventories/header_row.h"

#include <QString>

namespace inventory {
class InventoryPage;
}

// The File menu's inventory commands, the take-over of a replaced working table, and the start and
// end of a run. They ask their questions through the named-inventory dialogs, keep the
// shared flags, and leave the statements to inventory_store.
namespace inventories {

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
// Takes over ID counter, sort, cost level and stamp from the working table and announces that the
// working inventory was replaced, so that every listing and the pictures are rebuilt.
void ReloadWorkingInventory();
// The window caption and the Inventory page's title for the open inventory. The commands
// announce a possible change of name through app::State().Changes.announceNamed().
void ShowInventoryCaption(inventory::InventoryPage& page);
// Left edge that centres a label of labelWidth on a page of pageWidth.
int CentredLeft(int pageWidth, int labelWidth);

// Sets the run marker, or, when the previous run left it behind, asks what to do with the
// inventory it was working on.
void StartupCheck();
// Asks about unsaved changes and ends the session. False when the user cancelled: the program
// must keep running with nothing changed.
bool ClosingSteps();

} // namespace inventories
