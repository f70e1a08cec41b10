#pragma once

#include "entries/cost_level.h"
#include "entries/tab_table.h"

#include <QString>
#include <QStringList>
#include <array>
#include <initializer_list>

class QAction;

namespace tabs {

class SubInventoryTab;
using TabSet = std::array<SubInventoryTab*, entries::kTabCount>;

// Page order, except that Outdoors comes before Music.
std::array<int, entries::kTabCount> RefreshOrder();

// Every built tab's entry area back to nothing chosen, in refresh order (a tab not built yet
// starts that way).
void ResetAllEntryForms(const TabSet& tabs);
// Makes the three cost-level items of the Defaults menu choose `cost` and show its level; a
// choice marks the settings as changed.
void ConnectCostLevelItems(QAction* low, QAction* medium, QAction* high,
                           entries::CostLevelSetting& cost);

// The lines of a notes box; an empty box has none, and a final line break adds none.
QStringList NotesLines(const QString& plainText);

// A box's caption and the text typed into it.
struct TypedText {
    QString box;
    QString text;
};
// False, after a message naming the box and the character, when a text holds a character that
// the stored text form keeps for itself.
bool StorableTexts(std::initializer_list<TypedText> texts);

} // namespace tabs
