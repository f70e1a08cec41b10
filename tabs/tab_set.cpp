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

void ResetAllEntryForms(const TabSet& tabs) {
    for (int page : RefreshOrder())
        if (tabs[page] && tabs[page]->built())
            tabs[page]->ResetEntryForm(SubInventoryTab::ResetCategory);
}

void ConnectCostLevelItems(QAction* low, QAction* medium, QAction* high,
                           entries::CostLevelSetting& cost) {
    using entries::CostLevel;
    const std::pair<QAction*, CostLevel> items[] = {
        {low, CostLevel::Low}, {medium, CostLevel::Medium}, {high, CostLevel::High}};
    for (auto [item, level] : items) {
        ui::ConnectGuarded(item, &QAction::triggered, item, [&cost, level = level] {
            cost.set(level);
            app::State().SettingsChanged = true;
        });
    }
    // The items show the level however it was chosen: by a click, or by an opened inventory.
    QObject::connect(&cost, &entries::CostLevelSetting::changed, low, [=](CostLevel level) {
        low->setChecked(level == CostLevel::Low);
        medium->setChecked(level == CostLevel::Medium);
        high->setChecked(level == CostLevel::High);
    });
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
