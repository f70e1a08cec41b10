// The real program killed in the middle of a run: the next start offers its entries back.
#include "session_support.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

using namespace sessions_test;

namespace {

// Waits until the child has set its run marker, i.e. finished starting up.
bool WaitForMarker(const QString& programFolder, QProcess& child) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 45000 && child.state() == QProcess::Running) {
        try {
            UserDb db(programFolder);
            if (db.value(QStringLiteral("SELECT COUNT(*) FROM Master_Table WHERE Table_Names = "
                                        "'Inventory'")) == 1)
                return true;
        } catch (const store::DatabaseError&) {
            // The child may hold the write lock for a moment.
        }
        QTest::qWait(200);
    }
    return false;
}

} // namespace

TEST(KilledRun, NextStartAsksAndContinueShowsEveryEntry) {
    ProgramRun run;
    QProcess child;
    child.setProgram(QStringLiteral(QUIVERA_EXECUTABLE));
    child.setWorkingDirectory(run.folder.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUIVERA_HOME"), run.folder.path());
    child.setProcessEnvironment(env);
    child.start();
    ASSERT_TRUE(child.waitForStarted(10000)) << child.errorString().toStdString();
    ASSERT_TRUE(WaitForMarker(run.folder.path(), child))
        << child.readAllStandardError().toStdString();

    // Entries arrive while the program runs, as its Add buttons would write them.
    {
        UserDb db(run.folder.path());
        AddEntries(db.query(), 1, 5, QStringLiteral("Heirloom"));
    }
    child.kill(); // SIGKILL: no closing steps run
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    {
        UserDb db(run.folder.path());
        EXPECT_EQ(db.value(QStringLiteral("SELECT COUNT(*) FROM Inventory WHERE ID_Number > 0")),
                  5);
    }

    run.start();
    run.splashStep();
    run.clickStep(QStringLiteral("btnNo"));
    run.clickStep(QStringLiteral("btnContinue"));
    run.main().show();
    QTRY_VERIFY(run.shown().contains(QStringLiteral("dlgContinueSession")));
    EXPECT_EQ(run.shown(),
              (QStringList{"frmSplash", "dlgSessionInterrupted", "dlgContinueSession"}));
    EXPECT_EQ(run.markers(), 1);
    QStringList listed;
    for (const QString& line : run.masterLines())
        listed << line.mid(34, 20).trimmed();
    listed.removeLast(); // the total line
    EXPECT_EQ(listed,
              (QStringList{"Heirloom1", "Heirloom2", "Heirloom3", "Heirloom4", "Heirloom5"}));
    EXPECT_EQ(run.state().IDCounter, 5);
    EXPECT_TRUE(run.state().InventoryModified);
}
