#pragma once

#include "ui/app_state.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <optional>

namespace inventories {

// The run's own stamp and cost level: hour 0-23, month 1-12, the full year, weekday 0 = Sunday.
using app::ChangeStamp;
using app::CostLevel;

// The six signed slots of the master listing's sort order, slot 1 first.
using SortSlots = std::array<int, 6>;

// A short header carries five slots; the sixth reads as this value, which sorts like an empty slot.
inline constexpr int kShortHeaderSlot = -16;

struct InventorySettings {
    SortSlots sortKeys{1, 0, 0, 0, 0, 0};
    CostLevel cost = CostLevel::Low;
    friend bool operator==(const InventorySettings&, const InventorySettings&) = default;
};

struct InventoryHeader {
    ChangeStamp stamp;
    InventorySettings settings;
};

inline constexpr int kHeaderLength = 27;
inline constexpr int kShortHeaderLength = 26;

// "hhmmA mm/dd/yyyy w": 18 characters, the 12-hour clock.
QString StampText(const ChangeStamp& stamp);
// " ssssss c": a blank, one character per slot (48 + value), a blank and L, M or H.
QString SettingsText(const InventorySettings& settings);

// Reads both the full (27) and the short (26) form. Any other length, a stamp field that is not
// digits, or one out of its range reads as nothing: such a header must not change any state.
std::optional<InventoryHeader> ParseHeaderText(const QString& text);

// What a header write needs from the running program.
struct HeaderWrite {
    ChangeStamp now;
    InventorySettings current;
    bool inventoryModified = false;
    bool settingsChanged = false;
};

// The text a header write leaves behind when the header row held `stored`: the well-formed
// stamp and settings parts are kept unless the flags say they are out of date.
QString ComposeHeaderWrite(const QString& stored, const HeaderWrite& write);

// Rewrites the working inventory's header row, inserting it when it is missing; returns the text
// written.
QString WriteInventoryHeader(store::Query& query, const HeaderWrite& write);
// The working inventory's header row, or nothing when it is missing or malformed.
std::optional<InventoryHeader> ReadInventoryHeader(store::Query& query);

} // namespace inventories
