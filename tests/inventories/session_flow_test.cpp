// The start of a run after an interrupted one, and the end of a run.
#include "session_support.h"

#include <QFile>
#include <QTest>

using namespace sessions_test;
using testing_support::ClickButton;

namespace {

// The state an interrupted run leaves behind: its marker, its entries (sorted by item,
// descending, at the medium cost level) and the name of the inventory it had open, "Shed". A
// second saved inventory, "Garage", holds one entry.
void LeaveInterruptedRun(const QString& programFolder) {
    UserDb db(programFolder);
    AddEntries(db.query(), 1, 3, QStringLiteral("Lost"));
    db.run(QStringLiteral("UPDATE Inventory SET Item_Notes = '0205P 03/05/2004 5 -10000 M' "
                          "WHERE ID_Number = 0"));
    db.run(QStringLiteral("SELECT * INTO Garage FROM Inventory"));
    db.run(QStringLiteral("DELETE FROM Garage WHERE ID_Number > 1"));
    db.run(QStringLiteral("INSERT INTO Master_Table VALUES ('Garage')"));
    db.run(QStringLiteral("SELECT * INTO Shed FROM Inventory"));
    db.run(QStringLiteral("INSERT INTO Master_Table VALUES ('Shed')"));
    db.run(QStringLiteral("INSERT INTO Master_Table VALUES ('Inventory')"));
    db.run(
        QStringLiteral("UPDATE Current_Table SET Current_Table = 'Shed' WHERE Throw_Number = 1"));
}

void StartInterrupted(ProgramRun& run) {
    LeaveInterruptedRun(run.folder.path());
    run.start();
    run.splashStep();
}

// Shows the main window; the start-up check runs after the splash.
void Show(ProgramRun& run, const QString& lastDialog) {
    run.main().show();
    QTRY_VERIFY(run.shown().contains(lastDialog));
    QTest::qWait(0);
}

} // namespace

TEST(InterruptedRun, ContinueShowsTheEntriesAndCountsAsUnsaved) {
    ProgramRun run;
    StartInterrupted(run);
    run.clickStep(QStringLiteral("btnNo"));
    run.clickStep(QStringLiteral("btnContinue"));
    Show(run, QStringLiteral("dlgContinueSession"));
    EXPECT_EQ(run.shown(),
              (QStringList{"frmSplash", "dlgSessionInterrupted", "dlgContinueSession"}));
    EXPECT_EQ(run.markers(), 1);
    EXPECT_EQ(run.state().IDCounter, 3);
    EXPECT_EQ(run.state().SortKeys, (std::array<int, 6>{-3, 1, 0, 0, 0, 0}));
    EXPECT_TRUE(run.main().MediumCost1->isChecked());
    EXPECT_TRUE(run.state().InventoryModified);
    EXPECT_TRUE(run.state().SettingsChanged);
    const QStringList lines = run.masterLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0].mid(34, 20).trimmed(), QStringLiteral("Lost3"));
    EXPECT_EQ(run.caption(), QStringLiteral("Shed - Quivera!"));

    // Even untouched, the continued inventory is asked about at the end.
    run.clickStep(QStringLiteral("btnNo"));
    EXPECT_TRUE(run.main().close());
    EXPECT_EQ(run.shown().last(), QStringLiteral("dlgSaveThisSession"));
    EXPECT_EQ(run.markers(), 0);
    EXPECT_TRUE(run.items().isEmpty());
    EXPECT_EQ(run.currentTable(), QString());
    EXPECT_TRUE(run.modal->messages.empty()) << run.modal->lastMessage().toStdString();
}

TEST(InterruptedRun, YesStaysUntilSavedThenNewEmptiesTheWorkingInventory) {
    ProgramRun run;
    StartInterrupted(run);
    run.modal->onNextDialog([&](QDialog& d) {
        run.modal->onNextDialog([](QDialog& saveAs) {
            // The name of the inventory that was open is proposed.
            EXPECT_EQ(saveAs.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(),
                      QStringLiteral("Shed"));
            ClickButton(saveAs, QStringLiteral("CancelBtn"));
            return saveAs.result();
        });
        EXPECT_TRUE(StaysOpenAfter(d, QStringLiteral("btnYes")));
        run.saveAsStep(QStringLiteral("Rescued"));
        EXPECT_FALSE(StaysOpenAfter(d, QStringLiteral("btnYes")));
        run.clickStep(QStringLiteral("btnNew"));
        return d.result();
    });
    Show(run, QStringLiteral("dlgContinueSession"));
    EXPECT_EQ(run.items(QStringLiteral("Rescued")), (QStringList{"Lost1", "Lost2", "Lost3"}));
    EXPECT_TRUE(run.items().isEmpty());
    EXPECT_EQ(run.currentTable(), QString());
    EXPECT_EQ(run.caption(), QStringLiteral("New Inventory - Quivera!"));
    EXPECT_EQ(run.title(), QStringLiteral("Inventory"));
    EXPECT_EQ(run.main().LastUsed[0]->text(), QStringLiteral("Rescued"));
    EXPECT_EQ(run.markers(), 1);
    EXPECT_FALSE(run.state().InventoryModified);
    // Nothing unsaved: the end asks nothing.
    EXPECT_TRUE(run.main().close());
    EXPECT_EQ(run.shown().last(), QStringLiteral("dlgContinueSession"));
}

TEST(InterruptedRun, LoadStaysUntilAnInventoryIsOpenedAndEscapeMeansLoad) {
    ProgramRun run;
    StartInterrupted(run);
    run.clickStep(QStringLiteral("btnNo"));
    run.modal->onNextDialog([&](QDialog& d) {
        run.clickStep(QStringLiteral("CancelBtn"));
        EXPECT_TRUE(StaysOpenAfter(d, QStringLiteral("btnLoad")));
        EXPECT_EQ(run.shown().last(), QStringLiteral("dlgLoad"));
        run.openStep(QStringLiteral("Garage"));
        d.setResult(kStillOpen);
        d.reject(); // Escape
        EXPECT_NE(d.result(), kStillOpen);
        return d.result();
    });
    Show(run, QStringLiteral("dlgContinueSession"));
    EXPECT_EQ(run.items(), QStringList{"Lost1"});
    EXPECT_EQ(run.caption(), QStringLiteral("Garage - Quivera!"));
    EXPECT_EQ(run.main().LastUsed[0]->text(), QStringLiteral("Garage"));
    EXPECT_FALSE(run.state().InventoryModified);
}

TEST(InterruptedRun, ExitWhileAQuestionIsOpenChangesNothing) {
    ProgramRun run;
    LeaveInterruptedRun(run.folder.path());
    run.start();
    const auto tryToEnd = [&] {
        run.main().Exit1->trigger();      // the menu, as an accessibility tool reaches it
        EXPECT_FALSE(run.main().close()); // the window manager's close button
        EXPECT_TRUE(run.main().isVisible());
        EXPECT_EQ(run.markers(), 1);
        EXPECT_EQ(run.items(), (QStringList{"Lost1", "Lost2", "Lost3"}));
        EXPECT_EQ(run.currentTable(), QStringLiteral("Shed"));
    };
    run.modal->onNextDialog([&](QDialog&) {
        tryToEnd();
        return int(QDialog::Accepted);
    });
    for (const char* button : {"btnNo", "btnContinue"})
        run.modal->onNextDialog([&, button](QDialog& d) {
            tryToEnd();
            ClickButton(d, QString::fromLatin1(button));
            return d.result();
        });
    Show(run, QStringLiteral("dlgContinueSession"));
    EXPECT_EQ(run.shown(),
              (QStringList{"frmSplash", "dlgSessionInterrupted", "dlgContinueSession"}));
    EXPECT_EQ(run.masterLines().size(), 4);
    EXPECT_TRUE(run.modal->messages.empty()) << run.modal->lastMessage().toStdString();

    // Once the choice is made the program ends as usual.
    run.clickStep(QStringLiteral("btnNo"));
    EXPECT_TRUE(run.main().close());
    EXPECT_EQ(run.markers(), 0);
}

TEST(InterruptedRun, ClosedBeforeTheCheckLeavesTheRunForTheNextStart) {
    ProgramRun run;
    LeaveInterruptedRun(run.folder.path());
    run.start();
    run.main().show();
    EXPECT_TRUE(run.main().close()); // before the first showing's check came round
    QTest::qWait(0);
    EXPECT_TRUE(run.shown().isEmpty());
    EXPECT_EQ(run.markers(), 1);
    EXPECT_EQ(run.items(), (QStringList{"Lost1", "Lost2", "Lost3"}));
    EXPECT_EQ(run.currentTable(), QStringLiteral("Shed"));
}

TEST(NormalEnd, ClosingWithoutChangesAsksNothingAndLeavesAnEmptyUnnamedInventory) {
    ProgramRun run;
    run.start();
    run.main().show();
    QTRY_COMPARE(run.markers(), 1);
    EXPECT_EQ(run.caption(), QStringLiteral("New Inventory - Quivera!"));
    run.addEntries(2, QStringLiteral("Book"));
    run.saveAsStep(QStringLiteral("Library"));
    run.main().SaveInventoryAs1->trigger();
    EXPECT_TRUE(run.main().close());
    EXPECT_EQ(run.shown().last(), QStringLiteral("dlgSaveAs"));
    EXPECT_EQ(run.markers(), 0);
    EXPECT_TRUE(run.items().isEmpty());
    EXPECT_EQ(run.currentTable(), QString());
    EXPECT_EQ(run.items(QStringLiteral("Library")).size(), 2);
    EXPECT_TRUE(QFile::exists(run.folder.file(QStringLiteral("QIV.ini"))));

    // The next run starts empty and unnamed, with the inventory still offered.
    run.stop();
    run.start();
    run.main().show();
    QTRY_COMPARE(run.markers(), 1);
    EXPECT_EQ(run.shown(), QStringList{"frmSplash"});
    EXPECT_EQ(run.caption(), QStringLiteral("New Inventory - Quivera!"));
    EXPECT_EQ(run.main().LastUsed[0]->text(), QStringLiteral("Library"));
}

TEST(NormalEnd, CancelKeepsTheProgramRunningWithEverythingInPlace) {
    ProgramRun run;
    run.start();
    run.main().show();
    QTRY_COMPARE(run.markers(), 1);
    run.addEntries(2, QStringLiteral("Coat"));
    QFile::remove(run.folder.file(QStringLiteral("QIV.ini")));

    run.clickStep(QStringLiteral("btnCancel"));
    EXPECT_FALSE(run.main().close());
    EXPECT_TRUE(run.main().isVisible());
    EXPECT_EQ(run.markers(), 1);
    EXPECT_EQ(run.items().size(), 2);
    EXPECT_TRUE(run.state().InventoryModified);
    EXPECT_FALSE(QFile::exists(run.folder.file(QStringLiteral("QIV.ini"))));

    // "Yes" with a cancelled Save As refuses too; a completed one lets the program end.
    run.clickStep(QStringLiteral("btnYes"));
    run.clickStep(QStringLiteral("CancelBtn"));
    EXPECT_FALSE(run.main().close());
    EXPECT_EQ(run.items().size(), 2);
    run.clickStep(QStringLiteral("btnYes"));
    run.saveAsStep(QStringLiteral("Closet"));
    EXPECT_TRUE(run.main().close());
    EXPECT_EQ(run.items(QStringLiteral("Closet")), (QStringList{"Coat1", "Coat2"}));
    EXPECT_EQ(run.markers(), 0);
    EXPECT_TRUE(QFile::exists(run.folder.file(QStringLiteral("QIV.ini"))));
}
