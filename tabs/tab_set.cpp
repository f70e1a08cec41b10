#include "tabs/tab_set.h"

#include "ui/app_state.h"
#include "ui/guard.h"
#include "ui/modal.h"
#include "store/stored_text.h"
#include "tabs/sub_inventory_tab.h"

#include <QAction>
#include <QPushButton>

namespace tabs {

std::array<int, entries::kTabCount> RefreshOrder() {
    std::array<int, entries::kTabCount> order{};
    for (int i = 0; i < entries::kTabCount; ++i)
        order[i] = i;
    const int music = entries::PageOfKey(QStringLiteral("Music"));
    const int outdoors = entries::PageOfKey(QStringLiteral("Outdoors"));
    std::swap(order[music], order[outdoors]);
    return order;
}

void FillAllInventoryLists(const TabSet& tabs) {
    app::State().fillInventoryList(0);
    for (int page : RefreshOrder())
        if (tabs[page]) tabs[page]->FillSubInventoryList();
}

void ResetAllEntryForms(const TabSet& tabs) {
    for (int page : RefreshOrder())
        if (tabs[page]) tabs[page]->ResetEntryForm(SubInventoryTab::ResetCategory);
}

void UpdateAddButtons(const TabSet& tabs) {
    const bool room = app::State().Entries.hasRoom();
    for (SubInventoryTab* tab : tabs)
        if (tab) tab->btnAdd->setEnabled(room);
}

void ConnectCostLevelItems(QAction* low, QAction* medium, QAction* high) {
    for (QAction* chosen : {low, medium, high}) {
        ui::ConnectGuarded(chosen, &QAction::triggered, chosen, [=] {
            for (QAction* a : {low, medium, high})
                a->setChecked(a == chosen);
            app::State().SettingsChanged = true;
        });
    }
}

bool StorableTexts(std::initializer_list<TypedText> texts) {
    for (const TypedText& t : texts) {
        const qsizetype at = store::ReservedCharacterAt(t.text);
        if (at < 0) continue;
        ui::Modal::message(
            QStringLiteral("The %1 box holds the character U+%2, which Quivera cannot store.\n"
                           "Please remove it and try again.")
                .arg(t.box, QString::number(t.text[at].unicode(), 16).toUpper()),
            QStringLiteral("Invalid Character"));
        return false;
    }
    return true;
}

QStringList NotesLines(const QString& plainText) {
    if (plainText.isEmpty()) return {};
    QStringList lines = plainText.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace tabs
