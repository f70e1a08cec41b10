#pragma once

#include <QString>
#include <array>
#include <optional>

namespace store {
class Query;
}

namespace inventories {

inline constexpr int kRecentPlaces = 4;

// Puts a table name at place 1 of Last_Used. A name already listed leaves its place and the
// names before it move down one; a new name pushes all down and drops the one at place 4.
void PushRecent(store::Query& query, const QString& tableName);

// Takes a deleted inventory out of Last_Used; the names after it move up one place.
// Returns whether it was listed.
bool RemoveRecent(store::Query& query, const QString& tableName);

// Display names for places 1 to 4; a place with no entry is empty.
std::array<std::optional<QString>, kRecentPlaces> RecentInventories(store::Query& query);

} // namespace inventories
