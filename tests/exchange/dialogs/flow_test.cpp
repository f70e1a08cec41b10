// Export and import as the user meets them: the File menu's commands in a running program, and
// the command-line jobs in a child process with their exit status.
#include "tests/exchange/exchange_support.h"

#include "backup/core/backup_core.h"
#include "inventories/inventory_store.h"
#include "exchange/dialogs/export_dialog.h"
#include "exchange/zip_archive.h"
#include "exchange/csv.h"
#include "app/main_window.h"
#include "tests/inventories/session_support.h"
#include "tests/support/program_folder.h"

#include <QComboBox>
#include <QLockFile>
#include <QMenu>
#include <QProcess>

using namespace exchange_test;
using sessions_test::ProgramRun;
using testing_support::ClickButton;

namespace {

using Job = testing_support::ChildRun;
Job RunJob(const QString& programFolder, const QStringList& arguments) {
    return testing_support::RunProgramJob(QStringLiteral(QUIVERA_EXECUTABLE), programFolder,
                                          arguments);
}

int IndexIn(QMenu* menu, QAction* action) {
    return int(menu->actions().indexOf(action));
}

} // namespace

TEST(FileMenu, ImportAppendsToTheWorkingInventoryAndRefreshesTheWindows) {
    ProgramRun run;
    run.start();
    auto& m = run.main();
    // Below printing, above the recent list.
    EXPECT_GT(IndexIn(m.File1, m.ExportInventory1), IndexIn(m.File1, m.PrintInventory1));
    EXPECT_EQ(IndexIn(m.File1, m.ImportInventory1), IndexIn(m.File1, m.ExportInventory1) + 1);
    EXPECT_LT(IndexIn(m.File1, m.ImportInventory1), IndexIn(m.File1, m.N4));
    EXPECT_EQ(m.ExportInventory1->text(), QStringLiteral("E&xport ..."));
    EXPECT_EQ(m.ImportInventory1->text(), QStringLiteral("&Import ..."));

    run.addEntries(2, QStringLiteral("Pan"));
    // A sort chosen since the header was last written survives the reload.
    run.state().SortKeys = {-3, 1, 0, 0, 0, 0};
    run.state().SettingsChanged = true;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("in.csv"));
    Write(file, "Item,Area,Count,Cost Each,Shade\r\nMug,Kitchen,2,3.5,red\r\nVase,Art,1,40,\r\n");
    run.modal->nextFileName(file);
    m.ImportInventory1->trigger();
    EXPECT_EQ(run.items(), (QStringList{QStringLiteral("Pan1"), QStringLiteral("Pan2"),
                                        QStringLiteral("Mug"), QStringLiteral("Vase")}));
    EXPECT_EQ(run.state().IDCounter, 4);
    EXPECT_TRUE(run.state().InventoryModified);
    EXPECT_EQ(run.state().SortKeys, (std::array<int, 6>{-3, 1, 0, 0, 0, 0}));
    EXPECT_TRUE(run.masterLines().join(QLatin1Char('\n')).contains(QStringLiteral("Mug")));
    EXPECT_EQ(run.modal->lastMessage(),
              QStringLiteral("2 entries imported from %1.\nThese columns were not imported: "
                             "Shade.")
                  .arg(file));

    // A refused file changes nothing and says which lines are wrong.
    Write(file, "Item,Count\r\nA,x\r\nB,1\r\nC,-1\r\n");
    run.state().InventoryModified = false;
    run.modal->nextFileName(file);
    m.ImportInventory1->trigger();
    EXPECT_EQ(run.items().size(), 4);
    EXPECT_FALSE(run.state().InventoryModified);
    EXPECT_EQ(run.modal->messages.back().caption, QStringLiteral("Import"));
    EXPECT_TRUE(run.modal->lastMessage().contains(QStringLiteral("Line 2: the Count \"x\"")));
    EXPECT_TRUE(run.modal->lastMessage().contains(QStringLiteral("Line 4: the Count \"-1\"")));
    EXPECT_FALSE(run.modal->lastMessage().contains(QStringLiteral("Line 3")));
}

TEST(FileMenu, ExportDialogWritesASavedInventoryAsAnArchive) {
    ProgramRun run;
    run.start();
    run.addEntries(3, QStringLiteral("Saw"));
    run.saveAsStep(QStringLiteral("Tom's Shed"));
    run.main().SaveInventoryAs1->trigger();
    run.addEntries(2, QStringLiteral("Extra"));
    QTemporaryDir dir;
    const QString chosen = dir.filePath(QStringLiteral("shed")); // the suffix is added
    run.modal->onNextDialog([&](QDialog& d) {
        auto* inventory = d.findChild<QComboBox*>(QStringLiteral("comInventory"));
        EXPECT_EQ(inventory->itemText(0), QStringLiteral("Working inventory"));
        inventory->setCurrentIndex(inventory->findText(QStringLiteral("Tom's Shed")));
        d.findChild<QComboBox*>(QStringLiteral("comFormat"))
            ->setCurrentIndex(exchange::TdlgExport::ZipArchive);
        run.modal->nextFileName(chosen);
        ClickButton(d, QStringLiteral("btnExport"));
        return d.result();
    });
    run.main().ExportInventory1->trigger();
    const QString zip = chosen + QStringLiteral(".zip");
    EXPECT_EQ(
        run.modal->lastMessage(),
        QStringLiteral("3 entries exported to %1.\n0 photographs are in the archive.").arg(zip));
    // Once more to the same name as typed: the file that now has it is not replaced unasked.
    const QByteArray written = Bytes(zip);
    run.modal->onNextDialog([&](QDialog& d) {
        d.findChild<QComboBox*>(QStringLiteral("comFormat"))
            ->setCurrentIndex(exchange::TdlgExport::ZipArchive);
        run.modal->nextFileName(chosen);
        run.modal->answerNextQuestion(QMessageBox::No);
        ClickButton(d, QStringLiteral("btnExport"));
        ClickButton(d, QStringLiteral("btnCancel"));
        return d.result();
    });
    run.main().ExportInventory1->trigger();
    EXPECT_EQ(run.modal->lastMessage(),
              QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(zip));
    EXPECT_EQ(Bytes(zip), written);
    exchange::ZipReader reader(zip);
    EXPECT_EQ(reader.names(), QStringList{QStringLiteral("shed.csv")});
    const auto records = exchange::ParseCsv(
        QString::fromUtf8(reader.read(QStringLiteral("shed.csv"), 1 << 20)), QLatin1Char(','));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[3].fields[3], QStringLiteral("Saw3"));
}

TEST(CommandLine, ExportAndImportReportThroughTheirExitStatus) {
    Inventory inv;
    inv.add(QStringLiteral("Art"), QStringLiteral("Paintings"), QStringLiteral("Oil: \"Sea\""), 1,
            300, nullptr, {QStringLiteral("signed")});
    inv.q.close();
    const QString home = inv.folder.path();
    const QString out = inv.elsewhere.filePath(QStringLiteral("out.csv"));

    Job job = RunJob(home, {QStringLiteral("--export"), out});
    EXPECT_EQ(job.status, 0) << job.errors.toStdString();
    EXPECT_TRUE(Bytes(out).contains("\"Oil: \"\"Sea\"\"\""));
    job = RunJob(home, {QStringLiteral("--export"), out, QStringLiteral("--format"),
                        QStringLiteral("homebox")});
    EXPECT_EQ(job.status, 0);
    EXPECT_TRUE(Bytes(out).startsWith("HB.location,"));
    EXPECT_EQ(RunJob(home, {QStringLiteral("--export"), out, QStringLiteral("--inventory"),
                            QStringLiteral("Nothing Saved")})
                  .status,
              1);
    // A saved inventory, named in any letter case.
    ASSERT_TRUE(
        inventories::SaveInventoryAs(inv.user, QStringLiteral("Tom's Shed"), false, {}).saved);
    inv.clear();
    inv.q.close();
    job = RunJob(home, {QStringLiteral("--export"), out, QStringLiteral("--inventory"),
                        QStringLiteral("tom's shed")});
    EXPECT_EQ(job.status, 0) << job.errors.toStdString();
    EXPECT_TRUE(Bytes(out).contains("Oil: "));
    inv.add(QStringLiteral("Art"), QStringLiteral("Paintings"), QStringLiteral("Oil: \"Sea\""), 1,
            300, nullptr, {QStringLiteral("signed")});
    inv.q.close();
    job = RunJob(home, {QStringLiteral("--export"), inv.elsewhere.filePath(QStringLiteral("h.zip")),
                        QStringLiteral("--format"), QStringLiteral("homebox")});
    EXPECT_EQ(job.status, 1);
    EXPECT_TRUE(job.errors.contains(QStringLiteral("HomeBox")));
    EXPECT_EQ(RunJob(home, {QStringLiteral("--export")}).status, 2);
    EXPECT_EQ(RunJob(home, {QStringLiteral("--export"), out, QStringLiteral("--colour")}).status,
              2);
    EXPECT_EQ(RunJob(home, {QStringLiteral("--import"), out, out}).status, 2);

    // Importing the export doubles the entries; the next start is offered them.
    EXPECT_EQ(RunJob(home, {QStringLiteral("--export"), out}).status, 0);
    job = RunJob(home, {QStringLiteral("--import"), out});
    EXPECT_EQ(job.status, 0) << job.errors.toStdString();
    EXPECT_EQ(inv.rows().size(), 2u);
    EXPECT_EQ(inv.rows()[1].item, QStringLiteral("Oil: \"Sea\""));
    EXPECT_EQ(sessions_test::Value(inv.q, QStringLiteral("SELECT COUNT(*) FROM Master_Table "
                                                         "WHERE Table_Names = 'Inventory'")),
              1);
    inv.q.close();

    Write(out, "Item,Count\nA,many\n");
    job = RunJob(home, {QStringLiteral("--import"), out});
    EXPECT_EQ(job.status, 1);
    EXPECT_TRUE(job.errors.contains(QStringLiteral("Line 2: the Count \"many\"")))
        << job.errors.toStdString();
    EXPECT_EQ(
        RunJob(home, {QStringLiteral("--import"), home + QStringLiteral("QIVData.mdb")}).status, 1);
    {
        // Never under a running program.
        QLockFile running(backup::RunLockPath(home));
        ASSERT_TRUE(backup::TakeRunLock(running));
        Write(out, "Item\nB\n");
        job = RunJob(home, {QStringLiteral("--import"), out});
        EXPECT_EQ(job.status, 1);
        EXPECT_TRUE(job.errors.contains(QStringLiteral("running")));
    }
    EXPECT_EQ(inv.rows().size(), 2u);
}
