#pragma once

#include <QObject>

namespace entries {

// Announces every change of the working inventory to whoever shows it. `EntryStore` announces
// the changes of single entries as it makes them; whoever replaces the working table as a whole
// (new, open, restore, a continued session, an import) calls announceReloaded() once the table is
// in place.
class InventoryChanges : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    // The working table was replaced as a whole: every listing and every picture is rebuilt.
    void announceReloaded() { emit inventoryReloaded(); }
    // Photograph paths changed without any other change: the pictures are rebuilt.
    void announcePicturesChanged() { emit picturesChanged(); }
    // The working inventory's name may have changed (open, save as, new, restore).
    void announceNamed() { emit inventoryNamed(); }
    // The list of recently used inventories may have changed.
    void announceRecentList() { emit recentListChanged(); }

  signals:
    // Entry `id` was added on the tab with that sub-inventory number.
    void entryAdded(int id, int subInventoryNumber);
    // Entry `id` was removed; every entry behind it moved one number down.
    void entryRemoved(int id);
    // Count, cost, notes, photograph or name of entry `id` changed.
    void entryChanged(int id, int subInventoryNumber);
    // Entries `n` and `other` exchanged their numbers.
    void entriesSwapped(int n, int other);
    void inventoryReloaded();
    void picturesChanged();
    void inventoryNamed();
    void recentListChanged();
};

} // namespace entries
