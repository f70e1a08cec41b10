#pragma once

#include "entries/sort_keys.h"
#include "store/money.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>
#include <vector>

namespace store {
class Connection;
class Query;
} // namespace store

namespace entries {

class InventoryChanges;

// Most items one entry may count; a larger count is refused.
inline constexpr quint32 kMaxCount = 99999;
// An entry's total value must stay below this.
inline constexpr double kMaxTotal = 1000000;
// The entry numbers have five digits: no entry is added past this number.
inline constexpr int kLastEntryNumber = 99999;

// A new entry as a tab composes it; its number is the next one free.
struct NewEntry {
    QString subInventory;
    int subInventoryNumber = 0;
    QString category;
    int categoryNumber = 0;
    QString item;
    int itemNumber = 0; // -1 for an item typed by the user
    quint32 count = 0;
    double cost = 0; // per item
    QString notes;   // as composed, brand line included
    QString photo;
};

// One entry as the edit dialog reads it (texts in display form).
struct StoredEntry {
    QString item;
    qint64 count = 0;
    store::Currency cost;
    QString notes;
    QString photo;
    int subInventoryNumber = 0;
    qint64 itemNumber = 0;
    QString category;
};

// What the edit dialog saves; the item name only when the user changed it.
struct EntryChange {
    quint32 count = 0;
    double cost = 0;
    QString notes;
    QString photo;
    std::optional<QString> item;
    // The tab of the entry: not written, told to those who listen for changes.
    int subInventoryNumber = 0;
};

// The entries of the working inventory. Every statement on the Inventory table that adds,
// removes, moves, changes or lists entries is here, on the user connection and its shared query;
// `idCounter` is the highest entry number in use and follows every change. Each change that took
// place is announced through `changes`, when given, once its statements are through.
class EntryStore {
  public:
    EntryStore(store::Connection& connection, store::Query& query, int& idCounter,
               InventoryChanges* changes = nullptr)
        : connection_(connection), query_(query), idCounter_(idCounter), changes_(changes) {}

    // The number the next added entry gets.
    int nextNumber() const { return idCounter_ + 1; }
    bool hasRoom() const { return idCounter_ < kLastEntryNumber; }

    // Inserts `entry` under nextNumber(); the counter is raised only once the row exists, so a
    // failed insert leaves no gap in the numbering. Returns the entry's number.
    int add(const NewEntry& entry);
    // Appends the entries in order under the next numbers, in one transaction together with
    // `alsoInTransaction`: all of it takes effect or, when a statement fails, none, and the
    // counter stays where it was.
    void addAll(const std::vector<NewEntry>& entries,
                const std::function<void()>& alsoInTransaction = {});
    // Deletes entry `id` and closes the gap by renumbering its successors, both or neither.
    // When no row had that number nothing is renumbered and the counter stays: false.
    bool remove(int id);
    // Exchanges the numbers of entries `n` and `other` through the spare number past the last.
    void swap(int n, int other);
    void update(int id, const EntryChange& change);
    StoredEntry read(int id);

    // Opens the shared query on one tab's entries in number order: ID, item, count, value,
    // notes, category (the header row has ID 0).
    void openTab(int subInventoryNumber);
    // Opens the shared query on the master listing in the given order (header row included), or
    // on the printout's entries (header row left out).
    void openMaster(const SortKeys& keys);
    void openReport(const SortKeys& keys);

  private:
    store::Connection& connection_;
    store::Query& query_;
    int& idCounter_;
    InventoryChanges* changes_;
};

} // namespace entries
