// Browsing, adding, removing and editing on the sub-inventory tabs, driven through the controls.
#include "ui/app_state.h"
#include "ui/line_list.h"
#include "ui/windows.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "entries/listing_lines.h"
#include "inventory/inventory_page.h"
#include "pictures/photograph_dialog.h"
#include "pictures/picture_list.h"
#include "store/stored_text.h"
#include "tabs/edit_dialog.h"
#include "tabs/incorrect_number_dialog.h"
#include "tabs/sub_inventory_tab.h"
#include "tabs/tab_set.h"
#include "tests/support/program_folder.h"
#include "tests/support/scripted_modal.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Session {
    ProgramFolder folder;
    ScriptedModal modal;
    Session() {
        EnsureApplication();
        app::CreateWindows();
        main().show();
    }
    ~Session() { app::DestroyWindows(); }
    TfrmMain& main() { return *ui::Win().frmMain; }

    // Opens the tab with that key, as the user would by its page.
    tabs::SubInventoryTab& open(const char* key) {
        tabs::SubInventoryTab* tab = tabs::TabOfSubInventory(
            entries::TabTable()[entries::PageOfKey(QString::fromLatin1(key))].number);
        EXPECT_NE(tab, nullptr);
        main().tabMain->setCurrentWidget(tab);
        return *tab;
    }
    template <typename W>
    W* find(const tabs::SubInventoryTab& tab, const char* prefix, const char* role) {
        auto* w = main().findChild<W*>(QString::fromLatin1(prefix) + tab.info().keyText() +
                                       QString::fromLatin1(role));
        EXPECT_NE(w, nullptr) << prefix << role;
        return w;
    }
    void click(QListWidget* list, const QString& text) {
        const auto items = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text.toStdString();
        list->scrollToItem(items.first());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(items.first()).center());
    }
    // Presses on one line and lets go over another, as a hurried click does.
    void drag(QListWidget* list, const QString& from, const QString& to) {
        const auto at = [list](const QString& text) {
            QListWidgetItem* item = list->findItems(text, Qt::MatchExactly).value(0);
            EXPECT_NE(item, nullptr) << text.toStdString();
            return item ? list->visualItemRect(item).center() : QPoint();
        };
        const QPoint start = at(from), end = at(to);
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, start);
        QMouseEvent move(QEvent::MouseMove, end, list->viewport()->mapToGlobal(end), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &move);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, end);
    }
    void choose(tabs::SubInventoryTab& tab, const QString& category, const QString& item = {}) {
        click(find<QListWidget>(tab, "lst", "1"), category);
        if (!item.isEmpty()) click(find<QListWidget>(tab, "lst", "2"), item);
    }
    // Typing into a box and leaving it.
    void type(QWidget* box, const QString& text) {
        if (auto* e = qobject_cast<QLineEdit*>(box))
            e->setText(text);
        else if (auto* c = qobject_cast<QComboBox*>(box))
            c->setEditText(text);
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(box, &out);
    }
    static QString selectedText(const QListWidget* list) {
        const auto selected = list->selectedItems();
        return selected.isEmpty() ? QString() : selected.first()->text();
    }
    void press(const tabs::SubInventoryTab& tab, const char* role) {
        find<QPushButton>(tab, "btn", role)->click();
    }
    QStringList row(int id, const QString& columns) {
        auto& q = app::State().ADOQuery2;
        q.open({QStringLiteral("SELECT ") + columns, QStringLiteral("FROM Inventory"),
                QStringLiteral("WHERE ID_Number = ") + QString::number(id)});
        QStringList values;
        for (int i = 0; i < q.fieldCount(); ++i)
            values << q.text(i);
        q.close();
        return values;
    }
    // True when the entry's category and item names and numbers are one line of the catalogue.
    bool matchesCatalogue(const tabs::SubInventoryTab& tab, int id) {
        const QStringList v = row(id, "Major_Category, Category_Number, Item_Name, Item_Number");
        if (v.size() != 4) return false;
        const QString key = tab.info().keyText();
        auto& q = app::State().ADOQuery1;
        q.open({"SELECT COUNT(*) FROM " + key + "_Main m, " + key + "_Items i",
                "WHERE m.Category_Name = '" + v[0] + "' AND m.Category_Number = " + v[1],
                "AND i.Category_Number = m.Category_Number",
                "AND i.Item_Name = '" + v[2] + "' AND i.Item_Number = " + v[3]});
        const bool found = q.integer(0) == 1;
        q.close();
        return found;
    }
    int entries() {
        auto& q = app::State().ADOQuery2;
        q.open({QStringLiteral("SELECT COUNT(*) FROM Inventory WHERE ID_Number > 0")});
        const int n = static_cast<int>(q.integer(0));
        q.close();
        return n;
    }
    // Modes of the number messages shown so far.
    std::vector<int> refusals;
    void recordRefusals(int n) {
        for (int i = 0; i < n; ++i)
            modal.onNextDialog([this](QDialog& d) {
                EXPECT_EQ(d.objectName(), QStringLiteral("dlgIncorrectNumber"));
                refusals.push_back(static_cast<TdlgIncorrectNumber&>(d).Mode);
                return static_cast<int>(QDialog::Accepted);
            });
    }
    void addSimple(tabs::SubInventoryTab& tab, const QString& category, const QString& item,
                   const QString& count = {}) {
        choose(tab, category, item);
        if (!count.isEmpty()) type(find<QLineEdit>(tab, "edt", "Number"), count);
        press(tab, "Add");
    }
};

} // namespace

TEST(TabBrowsing, CategoryThenItemOffersPricePointsByCostLevel) {
    Session run;
    auto& art = run.open("Art");
    auto* items = run.find<QListWidget>(art, "lst", "2");
    auto* cost = run.find<QComboBox>(art, "com", "Cost");
    auto* number = run.find<QLineEdit>(art, "edt", "Number");
    EXPECT_FALSE(items->isEnabled());
    EXPECT_FALSE(number->isEnabled());

    run.choose(art, "Paintings");
    EXPECT_TRUE(items->isEnabled());
    EXPECT_GT(items->count(), 5);
    EXPECT_EQ(run.find<QLabel>(art, "lbl", "2")->text(), QStringLiteral("Paintings"));
    EXPECT_EQ(run.find<QLabel>(art, "lbl", "Other2")->text(), QStringLiteral("Paintings"));
    EXPECT_TRUE(run.find<QLineEdit>(art, "edt", "Brand")->isHidden());
    EXPECT_EQ(run.find<QTextEdit>(art, "rch", "Notes")->geometry(), QRect(352, 128, 385, 137));
    EXPECT_FALSE(number->isEnabled());
    EXPECT_GT(app::State().CurrentCategoryNumber, 0);

    run.click(items, "Oil painting, small original");
    EXPECT_TRUE(number->isEnabled());
    EXPECT_EQ(art.costLines(), (QStringList{"$150.00", "$600.00", "$3000.00"}));
    EXPECT_EQ(cost->currentText(), QStringLiteral("$150.00"));
    EXPECT_TRUE(app::State().CostValid);
    EXPECT_GT(app::State().CurrentItemNumber, 0);
    EXPECT_EQ(run.find<QLabel>(art, "lbl", "Number2")->text(),
              QStringLiteral("Oil painting, small original"));

    run.main().MediumCost1->trigger();
    EXPECT_FALSE(run.main().LowCost1->isChecked());
    EXPECT_DOUBLE_EQ(tabs::PreselectedCost(2), 600);
    run.main().HighCost1->trigger();
    EXPECT_DOUBLE_EQ(tabs::PreselectedCost(2), 3000);
    run.click(items, "Oil painting, small original");
    EXPECT_EQ(cost->currentText(), QStringLiteral("$3000.00"));
}

TEST(TabBrowsing, ExtraFieldsFollowTheCategory) {
    Session run;
    auto& art = run.open("Art");
    run.choose(art, "Decorative Porcelain");
    auto* serial = run.find<QLabel>(art, "lbl", "Serial");
    EXPECT_FALSE(run.find<QLineEdit>(art, "edt", "Brand")->isHidden());
    EXPECT_EQ(serial->text(), QStringLiteral("Pattern"));
    EXPECT_TRUE(run.find<QLabel>(art, "lbl", "Notes2")->isHidden());
    EXPECT_EQ(run.find<QTextEdit>(art, "rch", "Notes")->geometry(), QRect(352, 168, 385, 97));
    run.choose(art, "Clocks");
    EXPECT_EQ(serial->text(), QStringLiteral("Serial Number"));
    run.choose(art, "Paintings");
    EXPECT_TRUE(run.find<QLineEdit>(art, "edt", "Brand")->isHidden());
    EXPECT_FALSE(run.find<QLabel>(art, "lbl", "Notes2")->isHidden());

    // A category without items: the item list stays disabled and untitled.
    run.choose(art, "Other");
    EXPECT_FALSE(run.find<QListWidget>(art, "lst", "2")->isEnabled());
    EXPECT_TRUE(run.find<QLabel>(art, "lbl", "2")->text().isEmpty());
    EXPECT_TRUE(run.find<QLabel>(art, "lbl", "Other1")->isHidden());

    // A long name shrinks both titles below 164 pixels.
    auto& outdoors = run.open("Outdoors");
    run.choose(outdoors, "Lawn Mowers & Power Equipment");
    EXPECT_GE(QFontMetrics(run.find<QListWidget>(outdoors, "lst", "1")->font())
                  .horizontalAdvance("Lawn Mowers & Power Equipment"),
              164);
    auto* title = run.find<QLabel>(outdoors, "lbl", "2");
    EXPECT_LT(title->font().pixelSize(), 13);
    EXPECT_LT(QFontMetrics(title->font()).horizontalAdvance(title->text()), 164);
    EXPECT_EQ(run.find<QLabel>(outdoors, "lbl", "Other2")->font().pixelSize(),
              title->font().pixelSize());
}

TEST(TabBrowsing, BackspaceUndoesItemThenCategory) {
    Session run;
    auto& art = run.open("Art");
    run.choose(art, "Clocks", "Wall clock");
    auto* items = run.find<QListWidget>(art, "lst", "2");
    QTest::keyClick(items, Qt::Key_Backspace);
    EXPECT_FALSE(run.find<QLineEdit>(art, "edt", "Number")->isEnabled());
    EXPECT_EQ(app::State().CurrentItemNumber, 0);
    EXPECT_TRUE(items->selectedItems().isEmpty());
    EXPECT_GT(items->count(), 0);
    EXPECT_TRUE(art.costLines().isEmpty());
    EXPECT_GT(app::State().CurrentCategoryNumber, 0);

    QTest::keyClick(run.find<QListWidget>(art, "lst", "1"), Qt::Key_Backspace);
    EXPECT_EQ(items->count(), 0);
    EXPECT_EQ(app::State().CurrentCategoryNumber, 0);
    EXPECT_TRUE(run.find<QLineEdit>(art, "edt", "Brand")->isHidden());
}

TEST(TabBrowsing, EnteringATabRederivesItsChoice) {
    Session run;
    auto& art = run.open("Art");
    run.choose(art, "Clocks", "Wall clock");
    const int artItem = app::State().CurrentItemNumber;
    run.type(run.find<QLineEdit>(art, "edt", "Number"), "4");
    auto& office = run.open("Office");
    EXPECT_EQ(app::State().CurrentItemNumber, 0);
    run.choose(office, "Computers & Peripherals", "Office laptop");
    run.open("Art");
    EXPECT_EQ(app::State().CurrentItemNumber, artItem);
    EXPECT_TRUE(app::State().CountValid);
    EXPECT_EQ(app::State().EntryCount, 4u);
    EXPECT_TRUE(app::State().CostValid);
    EXPECT_DOUBLE_EQ(app::State().EntryCost, 25);
}

TEST(TabBrowsing, KeyboardSearchAndDragChooseLikeAClick) {
    Session run;
    auto& art = run.open("Art");
    auto* categories = run.find<QListWidget>(art, "lst", "1");
    auto* items = run.find<QListWidget>(art, "lst", "2");
    run.choose(art, "Clocks", "Wall clock");

    QTest::keyClicks(categories, "P");
    EXPECT_EQ(Session::selectedText(categories), QStringLiteral("Paintings"));
    EXPECT_EQ(run.find<QLabel>(art, "lbl", "2")->text(), QStringLiteral("Paintings"));
    EXPECT_FALSE(items->findItems("Watercolor", Qt::MatchExactly).isEmpty());
    EXPECT_EQ(app::State().CurrentItemNumber, 0);
    QTest::keyClicks(items, "W");
    EXPECT_EQ(Session::selectedText(items), QStringLiteral("Watercolor"));
    EXPECT_TRUE(run.find<QLineEdit>(art, "edt", "Number")->isEnabled());
    run.press(art, "Add");
    ASSERT_EQ(run.entries(), 1);
    EXPECT_EQ(run.row(1, "Major_Category, Item_Name"), (QStringList{"Paintings", "Watercolor"}));
    EXPECT_TRUE(run.matchesCatalogue(art, 1));

    run.choose(art, "Clocks", "Wall clock");
    run.drag(categories, "Clocks", "Vases & Bowls");
    EXPECT_EQ(run.find<QLabel>(art, "lbl", "2")->text(), QStringLiteral("Vases & Bowls"));
    EXPECT_EQ(app::State().CurrentItemNumber, 0);
    run.choose(art, "Clocks", "Wall clock");
    run.drag(items, "Mantel clock", "Desk clock");
    run.press(art, "Add");
    ASSERT_EQ(run.entries(), 2);
    EXPECT_EQ(run.row(2, "Item_Name"), QStringList{"Desk clock"});
    EXPECT_TRUE(run.matchesCatalogue(art, 2));

    // After Add the item line is gone: a key let go over the list keeps a typed name.
    run.find<QLineEdit>(art, "edt", "Other")->setText("Sundial");
    QTest::keyRelease(items, Qt::Key_Shift);
    EXPECT_EQ(app::State().CurrentItemNumber, -1);
}

TEST(TabAdding, AddStoresTheEntryListsItAndResetsTheItem) {
    Session run;
    auto& art = run.open("Art");
    run.addSimple(art, "Paintings", "Oil painting, small original");
    EXPECT_EQ(
        run.row(1, "Sub_Inventory, Sub_Inventory_Number, Major_Category, Item_Name, "
                   "Number_Of_Items, Cost_Per_Item, Total_Value_Of_Item"),
        (QStringList{"Art", "2", "Paintings", "Oil painting, small original", "1", "150", "150"}));
    EXPECT_EQ(app::State().IDCounter, 1);
    EXPECT_TRUE(app::State().InventoryModified);
    auto* listing = run.find<ui::LineList>(art, "lst", "Inventory");
    ASSERT_EQ(listing->count(), 2);
    EXPECT_TRUE(listing->line(0).startsWith(
        QStringLiteral("1     Paintings       Oil painting, sma...     1    $150.00")));
    EXPECT_EQ(listing->line(1), QString(39, ' ') + QStringLiteral("Total Value: $150"));
    // Back to the category-chosen state.
    EXPECT_FALSE(run.find<QLineEdit>(art, "edt", "Number")->isEnabled());
    EXPECT_TRUE(run.find<QListWidget>(art, "lst", "2")->selectedItems().isEmpty());
    EXPECT_FALSE(run.find<QListWidget>(art, "lst", "1")->selectedItems().isEmpty());
    EXPECT_TRUE(run.modal.dialogsShown.filter("dlgIncorrectNumber").isEmpty());

    // Adding without an item does nothing and says nothing.
    run.press(art, "Add");
    EXPECT_EQ(run.entries(), 1);
}

TEST(TabAdding, CountsCostsAndTotalsAreChecked) {
    Session run;
    auto& art = run.open("Art");
    auto* number = run.find<QLineEdit>(art, "edt", "Number");
    auto* cost = run.find<QComboBox>(art, "com", "Cost");
    run.choose(art, "Clocks", "Wall clock");

    run.recordRefusals(7);
    for (const char* bad : {"100,000", "100000", "1.5"}) {
        run.type(number, bad);
        run.press(art, "Add");
    }
    run.type(number, "2");
    run.type(cost, "$1,25");
    run.press(art, "Add");
    run.type(cost, "500,000");
    run.press(art, "Add");
    run.type(number, "x");
    run.type(cost, "y");
    run.press(art, "Add");
    // The last Add shows both messages, count first.
    EXPECT_EQ(run.refusals, (std::vector<int>{0, 0, 0, 1, 2, 0, 1}));
    EXPECT_EQ(run.entries(), 0);
    EXPECT_EQ(app::State().IDCounter, 0);
    EXPECT_EQ(number->text(), QStringLiteral("x")); // what the user typed stays

    run.type(number, "99,999");
    run.type(cost, "10");
    run.press(art, "Add");
    run.choose(art, "Clocks", "Wall clock");
    run.type(number, "1");
    run.type(cost, "999,999.99");
    run.press(art, "Add");
    run.choose(art, "Clocks", "Wall clock");
    run.type(cost, "$12.345");
    cost->lineEdit()->setFocus();
    QTest::keyClick(cost->lineEdit(), Qt::Key_Return);
    run.press(art, "Add");
    run.choose(art, "Clocks", "Wall clock");
    run.type(cost, "0.29");
    run.press(art, "Add");
    EXPECT_EQ(run.row(1, "Number_Of_Items, Total_Value_Of_Item"), (QStringList{"99999", "999990"}));
    EXPECT_EQ(run.row(2, "Cost_Per_Item"), QStringList{"999999.99"});
    EXPECT_EQ(run.row(3, "Number_Of_Items, Cost_Per_Item"), (QStringList{"1", "12.34"}));
    EXPECT_EQ(run.row(4, "Cost_Per_Item"), QStringList{"0.29"});
}

TEST(TabAdding, OfficeWritesBrandLineAndItsOwnSubInventory) {
    Session run;
    auto& office = run.open("Office");
    run.choose(office, "Computers & Peripherals", "Office laptop");
    run.find<QLineEdit>(office, "edt", "Brand")->setText("Ac~me");
    run.find<QLineEdit>(office, "edt", "Serial")->setText("SN 1");
    run.find<QTextEdit>(office, "rch", "Notes")->setPlainText("Good\nBought used");
    run.press(office, "Add");
    EXPECT_EQ(run.row(1, "Sub_Inventory, Sub_Inventory_Number, Item_Notes"),
              (QStringList{"Home Office", "13",
                           store::ToStoredText("~Brand: Ac~~me  Serial Number: SN 1  Purchase "
                                               "Date: ~`Good`~Bought used~")}));
}

TEST(TabAdding, BrandLineStaysALineOfItsOwn) {
    Session run;
    auto& office = run.open("Office");
    const auto add = [&](const QString& notes) {
        run.choose(office, "Computers & Peripherals", "Office laptop");
        run.find<QLineEdit>(office, "edt", "Brand")->setText("Acme");
        run.find<QLineEdit>(office, "edt", "Serial")->setText("X1");
        run.find<QLineEdit>(office, "edt", "Purchase")->setText("2020");
        run.find<QTextEdit>(office, "rch", "Notes")->setPlainText(notes);
        run.press(office, "Add");
    };
    const QString brand = QStringLiteral("Brand: Acme  Serial Number: X1  Purchase Date: 2020");
    add("bought at fair\nsecond line"); // a first line with a blank is written quoted
    add("\n");                          // one empty line
    add("");
    const auto notesOf = [&](int id) {
        return store::NotesFromText(store::FromStoredText(run.row(id, "Item_Notes").value(0)));
    };
    EXPECT_EQ(notesOf(1), (QStringList{brand, "bought at fair", "second line"}));
    EXPECT_EQ(notesOf(2), (QStringList{brand, QString()}));
    EXPECT_EQ(notesOf(3), QStringList{brand});

    // The edit dialog shows the brand line apart and saves the notes back unchanged.
    const QString stored = run.row(1, "Item_Notes").value(0);
    auto* listing = run.find<ui::LineList>(office, "lst", "Inventory");
    listing->setCurrentRow(0);
    run.modal.onNextDialog([&](QDialog& d) {
        auto& edit = static_cast<TdlgEdit&>(d);
        EXPECT_EQ(edit.rchNotes->toPlainText(), brand + "\nbought at fair\nsecond line");
        ClickButton(d, "btnSave");
        return d.result();
    });
    run.press(office, "Edit");
    EXPECT_EQ(run.row(1, "Item_Notes").value(0), stored);
}

TEST(TabAdding, MiscOtherNameKeepsItsApostrophe) {
    Session run;
    auto& misc = run.open("Misc");
    run.choose(misc, "Luggage");
    auto* other = run.find<QLineEdit>(misc, "edt", "Other");
    other->setText("Grandma's trunk");
    EXPECT_EQ(app::State().CurrentItemNumber, -1);
    EXPECT_TRUE(run.find<QLineEdit>(misc, "edt", "Number")->isEnabled());
    run.type(run.find<QComboBox>(misc, "com", "Cost"), "$1,250.00");
    run.press(misc, "Add");
    const QStringList stored = run.row(1, "Sub_Inventory, Sub_Inventory_Number, Item_Name, "
                                          "Item_Number, Cost_Per_Item, Item_Notes");
    ASSERT_EQ(stored.size(), 6);
    EXPECT_EQ(stored[0], QStringLiteral("Misc."));
    EXPECT_EQ(stored[1], QStringLiteral("12"));
    EXPECT_FALSE(stored[2].contains('\''));
    EXPECT_EQ(store::FromStoredText(stored[2]), QStringLiteral("Grandma's trunk"));
    EXPECT_EQ(stored[3], QStringLiteral("-1"));
    EXPECT_EQ(stored[4], QStringLiteral("1250"));
    // Luggage asks for a pattern: the brand line is written even when empty.
    EXPECT_EQ(store::FromStoredText(stored[5]),
              QStringLiteral("~Brand:   Pattern:   Purchase Date: ~"));
    EXPECT_TRUE(
        run.find<ui::LineList>(misc, "lst", "Inventory")->line(0).contains("Grandma's trunk"));
    EXPECT_TRUE(other->text().isEmpty());
}

TEST(TabAdding, PrivateUseCharactersAreRefusedWhereTextIsTyped) {
    Session run;
    auto& misc = run.open("Misc");
    const QString apostrophe(QChar(0xF0D9)), colon(QChar(0xF0C6));
    const auto refusedWith = [&](const char* box, const char* code) {
        ASSERT_EQ(run.modal.messages.size(), 1u);
        EXPECT_EQ(run.modal.messages[0].caption, QStringLiteral("Invalid Character"));
        EXPECT_TRUE(run.modal.messages[0].text.contains(QLatin1String(box)) &&
                    run.modal.messages[0].text.contains(QLatin1String(code)))
            << run.modal.lastMessage().toStdString();
        run.modal.messages.clear();
        EXPECT_EQ(run.entries(), 0);
    };
    run.choose(misc, "Luggage");
    auto* other = run.find<QLineEdit>(misc, "edt", "Other");
    auto* notes = run.find<QTextEdit>(misc, "rch", "Notes");
    auto* brand = run.find<QLineEdit>(misc, "edt", "Brand");
    other->setText("Trunk" + colon + "2");
    run.press(misc, "Add");
    refusedWith("Other Item", "F0C6");
    other->setText("Grandma's trunk: blue");
    notes->setPlainText("Tom" + apostrophe + "s");
    run.press(misc, "Add");
    refusedWith("Notes", "F0D9");
    notes->clear();
    brand->setText("Acme" + colon);
    run.press(misc, "Add");
    refusedWith("Brand Name", "F0C6");
    EXPECT_EQ(app::State().IDCounter, 0);

    // The characters these stand for are kept as typed; the edit dialog refuses too.
    brand->clear();
    run.press(misc, "Add");
    ASSERT_EQ(run.entries(), 1);
    EXPECT_TRUE(run.modal.messages.empty()) << run.modal.lastMessage().toStdString();
    EXPECT_EQ(store::FromStoredText(run.row(1, "Item_Name").value(0)),
              QStringLiteral("Grandma's trunk: blue"));
    const QStringList before = run.row(1, "Item_Name, Item_Notes");
    run.find<ui::LineList>(misc, "lst", "Inventory")->setCurrentRow(0);
    run.modal.onNextDialog([&](QDialog& d) {
        auto& edit = static_cast<TdlgEdit&>(d);
        edit.rchNotes->setPlainText("fine");
        edit.edtName->setText("Trunk" + apostrophe);
        ClickButton(d, "btnSave");
        EXPECT_EQ(run.modal.messages.size(), 1u);
        EXPECT_TRUE(run.modal.lastMessage().contains(QLatin1String("Name")));
        EXPECT_EQ(run.row(1, "Item_Name, Item_Notes"), before); // the dialog stays open
        edit.edtName->setText("Trunk");
        ClickButton(d, "btnSave");
        return d.result();
    });
    run.press(misc, "Edit");
    EXPECT_EQ(run.row(1, "Item_Name, Item_Notes"), (QStringList{"Trunk", "fine"}));
}

TEST(TabAdding, PhotographIsCheckedBeforeAnythingIsStored) {
    Session run;
    auto& art = run.open("Art");
    run.choose(art, "Clocks", "Wall clock");
    auto* photo = run.find<QLineEdit>(art, "edt", "Photo");
    photo->setText(run.folder.file("clock.gif"));
    run.press(art, "Add");
    ASSERT_EQ(run.modal.messages.size(), 1u);
    EXPECT_EQ(run.modal.messages[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(run.modal.messages[0].text.startsWith("The photograph file you have requested"));
    photo->setText(run.folder.file("clock.jpg"));
    run.press(art, "Add");
    ASSERT_EQ(run.modal.messages.size(), 2u);
    EXPECT_TRUE(run.modal.messages[1].text.contains("cannot find the photograph"));
    EXPECT_EQ(run.entries(), 0);
    EXPECT_EQ(app::State().IDCounter, 0);

    // Browse hands the path through the picker.
    QImage clock(64, 48, QImage::Format_RGB32);
    clock.fill(Qt::darkGreen);
    ASSERT_TRUE(clock.save(run.folder.file("clock.jpg"), "JPG"));
    run.modal.onNextDialog([&](QDialog& d) {
        static_cast<TdlgPhotograph&>(d).setDirectory(run.folder.path());
        auto* files = d.findChild<QListWidget*>("FileListBox1");
        const auto found = files->findItems("clock.jpg", Qt::MatchExactly);
        EXPECT_EQ(found.size(), 1);
        if (!found.isEmpty()) files->setCurrentItem(found.first());
        ClickButton(d, "OKBtn");
        return d.result();
    });
    run.press(art, "Browse");
    EXPECT_EQ(run.modal.dialogsShown.last(), QStringLiteral("dlgPhotograph"));
    run.press(art, "Add");
    EXPECT_EQ(run.row(1, "Item_Photo_Name"),
              QStringList{store::ToStoredText(run.folder.file("clock.jpg"))});
}

TEST(TabAdding, FailedInsertTakesItsThumbnailBack) {
    Session run;
    auto* pictures = pictures::Pictures();
    ASSERT_NE(pictures, nullptr);
    QImage clock(64, 48, QImage::Format_RGB32);
    clock.fill(Qt::darkBlue);
    ASSERT_TRUE(clock.save(run.folder.file("clock.jpg"), "JPG"));
    auto& art = run.open("Art");
    auto& q = app::State().ADOQuery2;
    q.execute({"CREATE TRIGGER DiskFull BEFORE INSERT ON Inventory",
               "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"});

    for (int attempt = 0; attempt < 2; ++attempt) {
        run.choose(art, "Clocks", "Wall clock");
        run.find<QLineEdit>(art, "edt", "Photo")->setText(run.folder.file("clock.jpg"));
        run.press(art, "Add");
    }
    EXPECT_EQ(run.entries(), 0);
    EXPECT_EQ(app::State().IDCounter, 0);
    EXPECT_EQ(pictures->count(), 0);
    ASSERT_EQ(run.modal.messages.size(), 2u);
    EXPECT_EQ(run.modal.messages[1].caption, QStringLiteral("Error"));
    EXPECT_TRUE(run.modal.messages[1].text.contains("full"));

    q.execute({"DROP TRIGGER DiskFull"});
    run.press(art, "Add"); // what was typed is still there
    EXPECT_EQ(run.entries(), 1);
    EXPECT_EQ(app::State().IDCounter, 1);
    EXPECT_EQ(pictures->count(), 1);
    EXPECT_NE(pictures->FindPicture(1), nullptr);
}

TEST(TabEditing, FailedSaveLeavesThePicturesAsTheEntryHoldsThem) {
    Session run;
    auto* pictures = pictures::Pictures();
    ASSERT_NE(pictures, nullptr);
    QImage photo(64, 48, QImage::Format_RGB32);
    for (const char* name : {"old.jpg", "new.jpg"}) {
        photo.fill(Qt::darkGreen);
        ASSERT_TRUE(photo.save(run.folder.file(name), "JPG"));
    }
    auto& art = run.open("Art");
    run.choose(art, "Clocks", "Wall clock");
    run.find<QLineEdit>(art, "edt", "Photo")->setText(run.folder.file("old.jpg"));
    run.press(art, "Add");
    ASSERT_EQ(run.entries(), 1);
    app::State().ADOQuery2.execute({"CREATE TRIGGER Locked BEFORE UPDATE ON Inventory",
                                    "BEGIN SELECT RAISE(ABORT, 'database is locked'); END"});
    run.modal.onNextDialog([&](QDialog& d) {
        auto& edit = static_cast<TdlgEdit&>(d);
        edit.edtPhoto->setText(run.folder.file("new.jpg"));
        edit.btnSave->click();
        return d.result();
    });
    run.find<ui::LineList>(art, "lst", "Inventory")->setCurrentRow(0);
    run.press(art, "Edit");
    ASSERT_FALSE(run.modal.messages.empty());
    EXPECT_TRUE(run.modal.lastMessage().contains("locked"));
    ASSERT_EQ(pictures->count(), 1);
    ASSERT_NE(pictures->FindPicture(1), nullptr);
    EXPECT_EQ(pictures->FindPicture(1)->FileName, run.folder.file("old.jpg"));
}

TEST(TabRemoving, RemovalClosesTheGapAndAddButtonsFollowTheCounter) {
    Session run;
    auto& art = run.open("Art");
    for (int i = 1; i <= 5; ++i)
        run.addSimple(art, "Clocks", "Wall clock", QString::number(i));
    auto* listing = run.find<ui::LineList>(art, "lst", "Inventory");
    ASSERT_EQ(listing->count(), 6);
    listing->setCurrentRow(2);
    run.press(art, "Remove");
    EXPECT_EQ(run.entries(), 4);
    EXPECT_EQ(app::State().IDCounter, 4);
    EXPECT_EQ(run.row(3, "Number_Of_Items"), QStringList{"4"});
    EXPECT_EQ(run.row(4, "Number_Of_Items"), QStringList{"5"});
    EXPECT_EQ(listing->count(), 5);

    // The total line is no entry.
    listing->setCurrentRow(listing->count() - 1);
    run.press(art, "Remove");
    EXPECT_EQ(run.entries(), 4);

    app::State().IDCounter = 99998;
    run.addSimple(art, "Clocks", "Wall clock");
    EXPECT_EQ(run.row(99999, "Item_Name"), QStringList{"Wall clock"});
    // The pages not built yet are built now, and find the entry numbers full as they are.
    for (auto* page : tabs::RegisteredTabs()) {
        tabs::SubInventoryTab* tab = tabs::TabOfSubInventory(page->info().number);
        EXPECT_FALSE(tab->btnAdd->isEnabled()) << tab->info().key;
    }
    listing->setCurrentRow(0);
    run.press(art, "Remove");
    for (auto* tab : tabs::RegisteredTabs())
        EXPECT_TRUE(tab->btnAdd->isEnabled()) << tab->info().key;
}

TEST(TabEditing, EditDialogSavesNewValuesAndKeepsEmptyOnes) {
    Session run;
    auto& art = run.open("Art");
    run.addSimple(art, "Clocks", "Wall clock", "2");
    auto* listing = run.find<ui::LineList>(art, "lst", "Inventory");
    listing->setCurrentRow(0);
    run.modal.onNextDialog([&](QDialog& d) {
        auto& edit = static_cast<TdlgEdit&>(d);
        EXPECT_EQ(edit.lblID->text(), QStringLiteral("1"));
        EXPECT_EQ(edit.lblCategory->text(), QStringLiteral("Clocks"));
        EXPECT_EQ(edit.lblNumber->text(), QStringLiteral("2"));
        EXPECT_EQ(edit.lblCost->text(), QStringLiteral("$25.00"));
        EXPECT_TRUE(edit.edtName->isHidden());
        EXPECT_EQ(edit.comValue->count(), 3);
        EXPECT_FALSE(edit.btnView->isEnabled());
        EXPECT_EQ(edit.lblAt->x(), edit.lblNumber->x() + edit.lblNumber->width() + 4);
        edit.rchNotes->setPlainText("Hall");
        ClickButton(d, "btnSave");
        return d.result();
    });
    run.press(art, "Edit");
    EXPECT_EQ(run.row(1, "Number_Of_Items, Cost_Per_Item, Total_Value_Of_Item, Item_Notes"),
              (QStringList{"2", "25", "50", "Hall"}));
    EXPECT_TRUE(listing->line(0).endsWith(" Hall"));

    listing->setCurrentRow(0);
    run.modal.onNextDialog([&](QDialog& d) {
        auto& edit = static_cast<TdlgEdit&>(d);
        EXPECT_TRUE(edit.edtNumber->text().isEmpty()); // emptied by the last save
        EXPECT_EQ(edit.rchNotes->toPlainText(), QStringLiteral("Hall"));
        edit.edtNumber->setText("3");
        edit.comValue->setEditText("-5");
        ClickButton(d, "btnSave"); // refused, the dialog stays open
        EXPECT_EQ(edit.edtNumber->text(), QStringLiteral("3"));
        edit.comValue->setEditText("$100");
        ClickButton(d, "btnSave");
        return d.result();
    });
    run.modal.onNextDialog([&](QDialog& d) { // the refusal, shown from inside the edit dialog
        run.refusals.push_back(static_cast<TdlgIncorrectNumber&>(d).Mode);
        return 1;
    });
    run.press(art, "Edit");
    EXPECT_EQ(run.row(1, "Number_Of_Items, Cost_Per_Item, Total_Value_Of_Item"),
              (QStringList{"3", "100", "300"}));
    EXPECT_EQ(run.refusals, std::vector<int>{1});
}

TEST(TabEditing, EscapeAndCloseDiscardWhatWasTyped) {
    Session run;
    auto& art = run.open("Art");
    run.addSimple(art, "Clocks", "Wall clock", "2");
    run.addSimple(art, "Paintings", "Oil painting, small original");
    auto* listing = run.find<ui::LineList>(art, "lst", "Inventory");
    const auto typeAndLeave = [&](bool byEscape) {
        run.modal.onNextDialog([&, byEscape](QDialog& d) {
            auto& edit = static_cast<TdlgEdit&>(d);
            edit.edtNumber->setText("7");
            edit.comValue->setEditText("$99");
            if (byEscape) {
                QTest::keyClick(&d, Qt::Key_Escape);
            } else {
                d.show();
                d.close();
            }
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        listing->setCurrentRow(0);
        run.press(art, "Edit");
    };
    const auto checkFreshAndSave = [&] {
        run.modal.onNextDialog([&](QDialog& d) {
            auto& edit = static_cast<TdlgEdit&>(d);
            EXPECT_TRUE(edit.edtNumber->text().isEmpty());
            EXPECT_TRUE(edit.comValue->currentText().isEmpty());
            QStringList points;
            for (int i = 0; i < edit.comValue->count(); ++i)
                points << edit.comValue->itemText(i);
            EXPECT_EQ(points, (QStringList{"$150.00", "$600.00", "$3000.00"}));
            ClickButton(d, "btnSave");
            return d.result();
        });
        listing->setCurrentRow(1);
        run.press(art, "Edit");
    };
    for (bool byEscape : {true, false}) {
        SCOPED_TRACE(byEscape ? "Escape" : "close");
        typeAndLeave(byEscape);
        checkFreshAndSave();
        EXPECT_EQ(run.row(1, "Number_Of_Items, Cost_Per_Item"), (QStringList{"2", "25"}));
        EXPECT_EQ(run.row(2, "Number_Of_Items, Cost_Per_Item"), (QStringList{"1", "150"}));
    }

    // Even with the boxes left filled behind its back, a showing starts empty.
    run.modal.onNextDialog([&](QDialog& d) {
        auto& edit = static_cast<TdlgEdit&>(d);
        edit.edtNumber->setText("9");
        edit.comValue->addItem("$1.00");
        edit.FormActivate();
        EXPECT_TRUE(edit.edtNumber->text().isEmpty());
        EXPECT_EQ(edit.comValue->count(), 3);
        return static_cast<int>(QDialog::Rejected);
    });
    listing->setCurrentRow(1);
    run.press(art, "Edit");
}

TEST(TabEditing, NotesBoxHasItsSizeAndNothingOverlaps) {
    Session run;
    auto& misc = run.open("Misc");
    run.choose(misc, "Luggage");
    run.find<QLineEdit>(misc, "edt", "Other")->setText("Steamer trunk with a long name");
    run.type(run.find<QLineEdit>(misc, "edt", "Number"), "12345");
    run.type(run.find<QComboBox>(misc, "com", "Cost"), "$12.34");
    run.press(misc, "Add");
    run.addSimple(misc, "Luggage", run.find<QListWidget>(misc, "lst", "2")->item(0)->text());
    auto* listing = run.find<ui::LineList>(misc, "lst", "Inventory");
    for (int entry : {0, 1}) { // a typed name shows an edit box, a catalogue item a label
        listing->setCurrentRow(entry);
        run.modal.onNextDialog([&](QDialog& d) {
            auto& edit = static_cast<TdlgEdit&>(d);
            d.show();
            EXPECT_EQ(edit.rchNotes->size(), QSize(517, 193));
            EXPECT_EQ(d.size(), QSize(517, 362));
            QList<QWidget*> shown;
            for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (w->isVisible()) shown << w;
            for (int i = 0; i < shown.size(); ++i) {
                EXPECT_TRUE(d.rect().contains(shown[i]->geometry()))
                    << shown[i]->objectName().toStdString();
                for (int j = i + 1; j < shown.size(); ++j)
                    EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                        << shown[i]->objectName().toStdString() << " / "
                        << shown[j]->objectName().toStdString();
            }
            ClickButton(d, "btnCancel");
            return d.result();
        });
        run.press(misc, "Edit");
    }
    EXPECT_EQ(run.modal.dialogsShown.size(), 2);
}

TEST(TabEditing, TypedNamesAreEditable) {
    Session run;
    auto& misc = run.open("Misc");
    run.choose(misc, "Luggage");
    run.find<QLineEdit>(misc, "edt", "Other")->setText("Old trunk");
    run.press(misc, "Add");
    run.find<ui::LineList>(misc, "lst", "Inventory")->setCurrentRow(0);
    run.modal.onNextDialog([&](QDialog& d) {
        auto& edit = static_cast<TdlgEdit&>(d);
        EXPECT_FALSE(edit.edtName->isHidden());
        EXPECT_TRUE(edit.lblName->isHidden());
        EXPECT_EQ(edit.edtName->text(), QStringLiteral("Old trunk"));
        edit.edtName->setText("Sea chest: Bob's");
        ClickButton(d, "btnSave");
        return d.result();
    });
    run.press(misc, "Edit");
    EXPECT_EQ(store::FromStoredText(run.row(1, "Item_Name").value(0)),
              QStringLiteral("Sea chest: Bob's"));
}

TEST(TabSets, ResetAndRefillEveryTab) {
    Session run;
    auto& art = run.open("Art");
    run.addSimple(art, "Clocks", "Wall clock");
    auto& tools = run.open("Tools");
    run.choose(tools, run.find<QListWidget>(tools, "lst", "1")->item(0)->text());
    tabs::ResetAllEntryForms(tabs::RegisteredTabs());
    EXPECT_TRUE(run.find<QListWidget>(tools, "lst", "1")->selectedItems().isEmpty());
    EXPECT_EQ(run.find<QListWidget>(tools, "lst", "2")->count(), 0);
    EXPECT_TRUE(run.find<QListWidget>(art, "lst", "1")->selectedItems().isEmpty());

    auto& q = app::State().ADOQuery2;
    q.execute({"UPDATE Inventory SET Sub_Inventory_Number = 17 WHERE ID_Number = 1"});
    // A replaced working inventory refills the Inventory page and every tab.
    ui::LineList* master = run.main().tabInventory->lstInventory;
    master->clear();
    app::State().Changes.announceReloaded();
    ASSERT_EQ(master->count(), 2);
    EXPECT_EQ(entries::ListingLineId(master->line(0)), 1);
    EXPECT_EQ(run.find<ui::LineList>(art, "lst", "Inventory")->count(), 1);
    EXPECT_EQ(run.find<ui::LineList>(tools, "lst", "Inventory")->count(), 2);
}

// The Kitchen tab as a user leaves it after two additions and a third item chosen. With
// QUIVERA_SCREENSHOT set (and a real display, e.g. under xvfb-run) the window is saved there.
TEST(TabAdding, KitchenTabWithTwoEntriesAndAnItemChosen) {
    Session run;
    auto& kitchen = run.open("Kitchen");
    run.addSimple(kitchen, "Cookware", "Frying pan", "2");
    run.addSimple(kitchen, "Cookware", "Stock pot");
    run.choose(kitchen, "Cookware", "Saucepan");
    EXPECT_EQ(kitchen.costLines(), (QStringList{"$25.00", "$70.00", "$250.00"}));
    EXPECT_EQ(run.find<QComboBox>(kitchen, "com", "Cost")->currentText(), QStringLiteral("$25.00"));
    auto* listing = run.find<ui::LineList>(kitchen, "lst", "Inventory");
    ASSERT_EQ(listing->count(), 3);
    EXPECT_TRUE(listing->line(0).startsWith(QStringLiteral("1     Cookware        Frying pan")));
    EXPECT_TRUE(listing->line(1).startsWith(QStringLiteral("2     Cookware        Stock pot")));
    EXPECT_EQ(listing->line(2), QString(40, ' ') + QStringLiteral("Total Value: $70"));
    const QByteArray shot = qgetenv("QUIVERA_SCREENSHOT");
    if (!shot.isEmpty()) {
        run.main().raise();
        QTest::qWait(300);
        EXPECT_TRUE(run.main().grab().save(QString::fromLocal8Bit(shot)));
    }
}
