// The File menu's inventory commands through their dialogs, headless.
#include "inventories/are_you_sure_dialog.h"
#include "inventories/header_row.h"
#include "inventories/inventory_store.h"
#include "session_support.h"

#include <QFontMetrics>
#include <QMenu>
#include <QLabel>
#include <QPushButton>

using namespace sessions_test;
using testing_support::ClickButton;

namespace {

QString tableOf(const char* displayName) {
    return inventories::ToTableName(QString::fromUtf8(displayName));
}

// Saves the working inventory under a new name through Save As.
void SaveAs(ProgramRun& run, const QString& name) {
    run.saveAsStep(name);
    run.main().SaveInventoryAs1->trigger();
}

} // namespace

TEST(SaveAsDialog, RefusedNamesKeepTheDialogOpenAndWriteNothing) {
    ProgramRun run;
    run.start();
    run.addEntries(2, QStringLiteral("Pan"));
    const QStringList tablesBefore =
        run.column(QStringLiteral("SELECT name FROM sqlite_master ORDER BY name"));
    bool cancelledOut = false;
    run.modal->onNextDialog([&](QDialog& d) {
        auto* edit = d.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        EXPECT_EQ(edit->text(), QString()); // an unnamed inventory proposes nothing
        run.modal->onNextDialog([](QDialog& invalid) {
            EXPECT_EQ(invalid.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                      QStringLiteral("Please type in a name"));
            ClickButton(invalid, QStringLiteral("OKBtn"));
            return invalid.result();
        });
        edit->setText(QStringLiteral("   "));
        EXPECT_TRUE(StaysOpenAfter(d, QStringLiteral("OKBtn")));
        EXPECT_EQ(run.shown().last(), QStringLiteral("dlgInvalidName"));

        // Reserved names, however they are spelt, and one the database keeps for itself.
        for (const char* name : {"Master_Table", "last_used", " Inventory ", "sqlite_stat1"}) {
            edit->setText(QString::fromUtf8(name));
            const auto before = run.modal->messages.size();
            EXPECT_TRUE(StaysOpenAfter(d, QStringLiteral("OKBtn"))) << name;
            EXPECT_EQ(run.modal->messages.size(), before + 1) << name;
            EXPECT_EQ(run.modal->messages.back().caption, QString());
        }
        EXPECT_EQ(run.modal->messages[0].text,
                  QStringLiteral("This name is reserved by the application."));
        EXPECT_NE(run.modal->messages[3].text, run.modal->messages[0].text);

        ClickButton(d, QStringLiteral("CancelBtn"));
        cancelledOut = run.state().DialogCancelled;
        return d.result();
    });
    run.main().SaveInventoryAs1->trigger();
    EXPECT_TRUE(cancelledOut);
    EXPECT_EQ(run.column(QStringLiteral("SELECT name FROM sqlite_master ORDER BY name")),
              tablesBefore);
    EXPECT_TRUE(run.savedTables().isEmpty());
    EXPECT_TRUE(run.state().InventoryModified);
    EXPECT_EQ(run.caption(), QStringLiteral("New Inventory - Quivera!"));
    EXPECT_EQ(run.title(), QStringLiteral("Inventory"));
}

TEST(SaveAsDialog, ExistingNameAsksNoKeepsTheOldCopyYesReplacesIt) {
    ProgramRun run;
    run.start();
    run.addEntries(2, QStringLiteral("Saw"));
    SaveAs(run, QStringLiteral("  Tom's Shed "));
    EXPECT_EQ(run.savedTables(), QStringList{tableOf("Tom's Shed")});
    EXPECT_EQ(run.caption(), QStringLiteral("Tom's Shed - Quivera!"));
    EXPECT_EQ(run.title(), QStringLiteral("Inventory: Tom's Shed"));
    EXPECT_FALSE(run.state().InventoryModified);
    EXPECT_TRUE(run.main().LastUsed[0]->isVisible());
    EXPECT_EQ(run.main().LastUsed[0]->text(), QStringLiteral("Tom's Shed"));

    run.addEntries(1, QStringLiteral("Drill"));
    run.modal->onNextDialog([&](QDialog& d) {
        auto* edit = d.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        EXPECT_EQ(edit->text(), QStringLiteral("Tom's Shed"));
        // Differs only in letter case: the database takes it for the same table.
        edit->setText(QStringLiteral("TOM'S shed"));
        run.clickStep(QStringLiteral("CancelBtn")); // "No"
        EXPECT_TRUE(StaysOpenAfter(d, QStringLiteral("OKBtn")));
        EXPECT_EQ(run.shown().last(), QStringLiteral("dlgOverwriteInventory"));
        EXPECT_EQ(run.items(tableOf("Tom's Shed")).size(), 2);
        run.clickStep(QStringLiteral("OKBtn")); // "Yes"
        EXPECT_FALSE(StaysOpenAfter(d, QStringLiteral("OKBtn")));
        return d.result();
    });
    run.main().SaveInventoryAs1->trigger();
    EXPECT_EQ(run.items(tableOf("Tom's Shed")), (QStringList{"Saw1", "Saw2", "Drill3"}));
    EXPECT_EQ(run.savedTables(), QStringList{tableOf("Tom's Shed")});
    EXPECT_EQ(run.currentTable(), tableOf("Tom's Shed"));
    EXPECT_FALSE(run.state().InventoryModified);
    EXPECT_FALSE(run.main().LastUsed[1]->isVisible());
    EXPECT_TRUE(run.modal->messages.empty()) << run.modal->lastMessage().toStdString();
}

TEST(SaveCommand, UnnamedAsksForANameNamedReplacesQuietly) {
    ProgramRun run;
    run.start();
    run.addEntries(1, QStringLiteral("Lamp"));
    run.clickStep(QStringLiteral("CancelBtn"));
    run.main().SaveInventory1->trigger();
    EXPECT_EQ(run.shown(), QStringList{QStringLiteral("dlgSaveAs")});
    EXPECT_TRUE(run.savedTables().isEmpty());
    EXPECT_TRUE(run.state().InventoryModified);

    run.saveAsStep(QStringLiteral("Den"));
    run.main().SaveInventory1->trigger();
    EXPECT_EQ(run.caption(), QStringLiteral("Den - Quivera!"));
    SaveAs(run, QStringLiteral("Attic")); // Attic becomes the open one, at place 1
    run.addEntries(1, QStringLiteral("Rug"));
    run.state().SortKeys = {-3, 1, 0, 0, 0, 0};
    run.state().SettingsChanged = true;
    const auto shownBefore = run.shown().size();
    run.main().SaveInventory1->trigger();
    EXPECT_EQ(run.shown().size(), shownBefore);
    EXPECT_EQ(run.items(QStringLiteral("Attic")), (QStringList{"Lamp1", "Rug2"}));
    EXPECT_EQ(run.items(QStringLiteral("Den")), QStringList{"Lamp1"});
    EXPECT_TRUE(run.column(QStringLiteral("SELECT Item_Notes FROM Attic WHERE ID_Number = 0"))
                    .value(0)
                    .endsWith(QStringLiteral(" -10000 L")));
    EXPECT_FALSE(run.state().InventoryModified);
    EXPECT_FALSE(run.state().SettingsChanged);
    // Plain Save leaves the recent list alone.
    EXPECT_EQ(run.main().LastUsed[0]->text(), QStringLiteral("Attic"));
    EXPECT_EQ(run.main().LastUsed[1]->text(), QStringLiteral("Den"));
}

TEST(SaveCommand, SavingChangesMovesTheRunsStampToTheSaveTime) {
    ProgramRun run;
    run.start();
    const app::ChangeStamp started{54, 14, 5, 3, 2004, 5}; // as if the run began long ago
    const auto headerStamp = [&](const QString& table) {
        const auto header =
            inventories::ParseHeaderText(run.column(QStringLiteral("SELECT Item_Notes FROM ") +
                                                    table + QStringLiteral(" WHERE ID_Number = 0"))
                                             .value(0));
        EXPECT_TRUE(header.has_value());
        return header ? header->stamp : app::ChangeStamp{};
    };
    run.state().Stamp = started;
    run.addEntries(1, QStringLiteral("Chair"));
    SaveAs(run, QStringLiteral("Den"));
    const app::ChangeStamp afterSaveAs = headerStamp(QStringLiteral("Den"));
    EXPECT_FALSE(afterSaveAs == started);
    EXPECT_TRUE(run.state().Stamp == afterSaveAs);

    run.state().Stamp = started;
    run.addEntries(1, QStringLiteral("Desk"));
    run.main().SaveInventory1->trigger();
    EXPECT_TRUE(run.state().Stamp == headerStamp(QStringLiteral("Den")));
    EXPECT_FALSE(run.state().Stamp == started);

    // Saving without changes leaves the header's stamp, and the run's own, as they were.
    run.state().Stamp = started;
    run.main().SaveInventory1->trigger();
    EXPECT_TRUE(run.state().Stamp == started);
}

namespace {
bool HasStoredCharacters(const QString& text) {
    for (QChar c : text)
        if (c.unicode() >= 0xF000 && c.unicode() <= 0xF0FF) return true;
    return false;
}
} // namespace

TEST(SaveCommand, SavingAnInventoryDeletedWhileOpenOffersANewName) {
    ProgramRun run;
    run.start();
    run.addEntries(2, QStringLiteral("Saw"));
    SaveAs(run, QStringLiteral("Tom's Shed"));
    ASSERT_EQ(run.currentTable(), tableOf("Tom's Shed"));
    inventories::DeleteInventory(run.state().ADOConnection2, QStringLiteral("Tom's Shed"));
    run.addEntries(1, QStringLiteral("Axe"));

    // "No": nothing saved, nothing else asked.
    run.modal->answerNextQuestion(QMessageBox::No);
    const auto shownBefore = run.shown().size();
    run.main().SaveInventory1->trigger();
    ASSERT_EQ(run.modal->messages.size(), 1u);
    EXPECT_EQ(run.modal->messages[0].text,
              QStringLiteral("The inventory named \"Tom's Shed\" no longer exists.\n"
                             "Do you want to save this inventory under a name?"));
    EXPECT_EQ(run.shown().size(), shownBefore);
    EXPECT_TRUE(run.savedTables().isEmpty());
    EXPECT_TRUE(run.state().InventoryModified);

    // "Yes": Save As, which proposes the old name and saves under it again.
    run.modal->answerNextQuestion(QMessageBox::Yes);
    run.modal->onNextDialog([](QDialog& d) {
        EXPECT_EQ(d.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(),
                  QStringLiteral("Tom's Shed"));
        ClickButton(d, QStringLiteral("OKBtn"));
        return d.result();
    });
    run.main().SaveInventory1->trigger();
    EXPECT_EQ(run.shown().last(), QStringLiteral("dlgSaveAs"));
    EXPECT_EQ(run.savedTables(), QStringList{tableOf("Tom's Shed")});
    EXPECT_EQ(run.items(tableOf("Tom's Shed")), (QStringList{"Saw1", "Saw2", "Axe3"}));
    EXPECT_FALSE(run.state().InventoryModified);
    for (const auto& m : run.modal->messages)
        EXPECT_FALSE(HasStoredCharacters(m.text)) << m.text.toStdString();
}

TEST(SaveAsDialog, LongNamesAreRefusedAndLongRecentNamesShortened) {
    ProgramRun run;
    run.start();
    run.addEntries(1, QStringLiteral("Lamp"));
    const QString tooLong(300, QLatin1Char('W'));
    run.modal->onNextDialog([&](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(tooLong);
        EXPECT_TRUE(StaysOpenAfter(d, QStringLiteral("OKBtn")));
        ClickButton(d, QStringLiteral("CancelBtn"));
        return d.result();
    });
    run.main().SaveInventoryAs1->trigger();
    ASSERT_EQ(run.modal->messages.size(), 1u);
    EXPECT_EQ(run.modal->messages[0].text,
              QStringLiteral("An inventory name can be at most 64 characters long. "
                             "Please type in a shorter name."));
    EXPECT_TRUE(run.savedTables().isEmpty());
    EXPECT_FALSE(run.main().LastUsed[0]->isVisible());

    // The longest name is taken; the File menu shows it shortened, and it still opens.
    const QString longest = QStringLiteral("Tom & ") + QString(58, QLatin1Char('W'));
    SaveAs(run, longest);
    EXPECT_EQ(run.savedTables(), QStringList{tableOf(longest.toUtf8().constData())});
    QAction* recent = run.main().LastUsed[0];
    EXPECT_EQ(recent->data().toString(), longest);
    const QString caption = recent->text();
    EXPECT_TRUE(caption.startsWith(QStringLiteral("Tom && WWW"))) << caption.toStdString();
    EXPECT_TRUE(caption.endsWith(QChar(0x2026))) << caption.toStdString();
    EXPECT_LE(
        QFontMetrics(run.main().File1->font())
            .horizontalAdvance(QString(caption).replace(QStringLiteral("&&"), QStringLiteral("&"))),
        320);
    run.main().New1->trigger();
    recent->trigger();
    EXPECT_EQ(run.items(), QStringList{"Lamp1"});
    EXPECT_EQ(run.caption(), longest + QStringLiteral(" - Quivera!"));
}

TEST(OpenAndNew, DatabaseErrorsNameInventoriesAsTheUserSpellsThem) {
    ProgramRun run;
    run.start();
    run.addEntries(1, QStringLiteral("Vase"));
    SaveAs(run, QStringLiteral("Tom's Shed"));
    run.q().execute(
        QStringList{QStringLiteral("DROP TABLE ") + store::QuoteIdentifier(tableOf("Tom's Shed"))});
    run.openStep(QStringLiteral("Tom's Shed"));
    run.main().LoadInventory1->trigger();
    ASSERT_FALSE(run.modal->messages.empty());
    EXPECT_TRUE(run.modal->lastMessage().contains(QStringLiteral("Tom's Shed")))
        << run.modal->lastMessage().toStdString();
    EXPECT_FALSE(HasStoredCharacters(run.modal->lastMessage()));
}

TEST(OpenAndNew, UnsavedChangesAreAskedAboutBeforeTheWorkingInventoryGoes) {
    ProgramRun run;
    run.start();
    run.addEntries(2, QStringLiteral("Rake"));
    run.main().HighCost1->trigger();
    run.state().SortKeys = {-3, 1, 0, 0, 0, 0};
    SaveAs(run, QStringLiteral("Garage"));

    // Nothing unsaved: New asks nothing and keeps sort and cost level.
    run.main().New1->trigger();
    EXPECT_EQ(run.shown().size(), 1);
    EXPECT_TRUE(run.items().isEmpty());
    EXPECT_EQ(run.currentTable(), QString());
    EXPECT_EQ(run.caption(), QStringLiteral("New Inventory - Quivera!"));
    EXPECT_EQ(run.state().IDCounter, 0);
    EXPECT_TRUE(run.main().HighCost1->isChecked());

    // Cancel in the save question: the Open dialog is not shown, nothing changes.
    run.addEntries(1, QStringLiteral("Temp"));
    run.main().LowCost1->trigger();
    run.state().SortKeys = {1, 0, 0, 0, 0, 0};
    run.clickStep(QStringLiteral("btnCancel"));
    run.main().LoadInventory1->trigger();
    EXPECT_EQ(run.shown().last(), QStringLiteral("dlgSaveThisSession"));
    EXPECT_EQ(run.items(), QStringList{"Temp1"});

    // "No", then Open without a choice, then with one.
    run.clickStep(QStringLiteral("btnNo"));
    run.modal->onNextDialog([&](QDialog& d) {
        EXPECT_EQ(d.findChild<QListWidget*>(QStringLiteral("ListBox1"))->count(), 1);
        EXPECT_TRUE(StaysOpenAfter(d, QStringLiteral("OKBtn")));
        EXPECT_EQ(run.modal->lastMessage(), QStringLiteral("Select an inventory to open."));
        d.findChild<QListWidget*>(QStringLiteral("ListBox1"))->item(0)->setSelected(true);
        EXPECT_FALSE(StaysOpenAfter(d, QStringLiteral("OKBtn")));
        return d.result();
    });
    run.main().LoadInventory1->trigger();
    EXPECT_EQ(run.items(), (QStringList{"Rake1", "Rake2"}));
    EXPECT_EQ(run.state().IDCounter, 2);
    EXPECT_EQ(run.state().SortKeys, (std::array<int, 6>{-3, 1, 0, 0, 0, 0}));
    EXPECT_TRUE(run.main().HighCost1->isChecked());
    EXPECT_FALSE(run.main().LowCost1->isChecked());
    EXPECT_FALSE(run.state().InventoryModified);
    EXPECT_FALSE(run.state().SettingsChanged);
    EXPECT_EQ(run.caption(), QStringLiteral("Garage - Quivera!"));
    EXPECT_EQ(run.masterLines().size(), 3); // two entries and the total
    EXPECT_EQ(run.masterLines()[0].mid(34, 20).trimmed(), QStringLiteral("Rake2"));
}

TEST(OpenAndNew, YesInTheSaveQuestionSavesFirstAndCancelledSaveStopsTheCommand) {
    ProgramRun run;
    run.start();
    run.addEntries(2, QStringLiteral("Cup"));

    run.clickStep(QStringLiteral("btnYes"));
    run.clickStep(QStringLiteral("CancelBtn"));
    run.main().New1->trigger();
    EXPECT_EQ(run.shown(), (QStringList{"dlgSaveThisSession", "dlgSaveAs"}));
    EXPECT_EQ(run.items().size(), 2);

    run.clickStep(QStringLiteral("btnYes"));
    run.saveAsStep(QStringLiteral("Attic"));
    run.main().New1->trigger();
    EXPECT_TRUE(run.items().isEmpty());
    EXPECT_EQ(run.items(QStringLiteral("Attic")), (QStringList{"Cup1", "Cup2"}));
    EXPECT_EQ(run.caption(), QStringLiteral("New Inventory - Quivera!"));
    EXPECT_EQ(run.main().LastUsed[0]->text(), QStringLiteral("Attic"));
}

TEST(OpenAndNew, MissingSavedTableLeavesTheWorkingInventory) {
    ProgramRun run;
    run.start();
    run.addEntries(1, QStringLiteral("Vase"));
    SaveAs(run, QStringLiteral("Hall"));
    run.addEntries(1, QStringLiteral("Mirror"));
    run.q().execute(QStringList{QStringLiteral("DROP TABLE Hall")});
    run.state().InventoryModified = false;
    run.openStep(QStringLiteral("Hall"));
    run.main().LoadInventory1->trigger();
    ASSERT_FALSE(run.modal->messages.empty());
    EXPECT_EQ(run.modal->messages.back().caption, QStringLiteral("Error"));
    EXPECT_EQ(run.items(), (QStringList{"Vase1", "Mirror2"}));
    EXPECT_EQ(run.caption(), QStringLiteral("Hall - Quivera!"));
}

TEST(RecentItems, OpenAtOnceAndFollowDeletion) {
    ProgramRun run;
    run.start();
    const QStringList names = {"A", "Tools & Paint", "C", "D"};
    for (int i = 0; i < names.size(); ++i) {
        run.addEntries(1, names[i]);
        SaveAs(run, names[i]);
    }
    EXPECT_EQ(run.main().LastUsed[2]->text(), QStringLiteral("Tools && Paint"));

    // A recent item replaces even an unsaved inventory without a question.
    run.addEntries(1, QStringLiteral("Unsaved"));
    const auto shownBefore = run.shown().size();
    run.main().LastUsed[2]->trigger();
    EXPECT_EQ(run.shown().size(), shownBefore);
    EXPECT_EQ(run.items(), (QStringList{"A1", "Tools & Paint2"}));
    EXPECT_EQ(run.caption(), QStringLiteral("Tools & Paint - Quivera!"));
    QStringList order;
    for (QAction* a : run.main().LastUsed)
        order << a->data().toString();
    EXPECT_EQ(order, (QStringList{"Tools & Paint", "D", "C", "A"}));

    // Delete the one at place 2: a cancelled confirmation deletes nothing.
    auto deleteStep = [&](bool confirm) {
        run.modal->onNextDialog([&run, confirm](QDialog& d) {
            auto* ok = d.findChild<QPushButton*>(QStringLiteral("OKBtn"));
            EXPECT_FALSE(ok->isEnabled());
            auto* list = d.findChild<QListWidget*>(QStringLiteral("ListBox1"));
            list->findItems(QStringLiteral("D"), Qt::MatchExactly).first()->setSelected(true);
            EXPECT_TRUE(ok->isEnabled());
            run.modal->onNextDialog([confirm](QDialog& sure) {
                EXPECT_EQ(sure.windowTitle(), QStringLiteral("Delete D?"));
                EXPECT_EQ(sure.findChild<QLabel*>(QStringLiteral("Label2"))->text(),
                          QStringLiteral("D?"));
                ClickButton(sure, confirm ? QStringLiteral("OKBtn") : QStringLiteral("CancelBtn"));
                return sure.result();
            });
            EXPECT_FALSE(StaysOpenAfter(d, QStringLiteral("OKBtn")));
            EXPECT_FALSE(ok->isEnabled());
            return d.result();
        });
        run.main().DeleteInventory1->trigger();
    };
    deleteStep(false);
    EXPECT_EQ(run.savedTables().size(), 4);
    deleteStep(true);
    EXPECT_FALSE(run.savedTables().contains(QStringLiteral("D")));
    EXPECT_EQ(run.value(QStringLiteral(
                  "SELECT COUNT(*) FROM sqlite_master WHERE name = 'D' AND type = 'table'")),
              0);
    EXPECT_EQ(run.main().LastUsed[1]->data().toString(), QStringLiteral("C"));
    EXPECT_EQ(run.main().LastUsed[2]->data().toString(), QStringLiteral("A"));
    EXPECT_FALSE(run.main().LastUsed[3]->isVisible());
    EXPECT_TRUE(run.main().LastUsedSeparator->isVisible());
}

TEST(DeleteConfirmation, WidensOnlyForALongName) {
    const auto narrow = inventories::LayOutAreYouSure(192, {180, 170, 190});
    EXPECT_EQ(narrow.width, 216);
    EXPECT_EQ(narrow.cancelLeft, 216 - 8 - 75);
    EXPECT_EQ(narrow.yesLeft, narrow.cancelLeft - 8 - 75);
    const auto wide = inventories::LayOutAreYouSure(193, {180, 170, 190});
    EXPECT_EQ(wide.width, 217);
    EXPECT_EQ(wide.nameLeft, 8);
    EXPECT_EQ(wide.fixedLefts, (std::array<int, 3>{18, 23, 13}));
    EXPECT_EQ(wide.cancelLeft + 75 + 8, wide.width);
}
