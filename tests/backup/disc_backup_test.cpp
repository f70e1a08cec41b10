// Backups onto a disc in the simulated drive, through the backup dialog, headless; the written
// image checked by independent readers and restored from.
#include "app/command_line.h"
#include "backup/backup_dialog.h"
#include "backup_support.h"
#include "sim/simdrive.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QThread>
#include <cstdio>
#include <cstring>
#include <future>
#include <unistd.h>

using namespace backup_test;
using burner_test::SimDrive;
using burner_test::SimMedium;
using testing_support::ClickButton;

namespace {

constexpr int kOpen = -1;

// The simulated drive as the dialog's disc writer sees it, under the name "sim0".
void Attach(TdlgBackup& b, const std::shared_ptr<SimDrive>& sim, const char* letter = "sim0") {
    ASSERT_GE(b.DiscWriter1.AddDeviceTransport(letter, "simulated drive", sim), 0);
    b.DiscWriter1.Device().readyPollMs = 1;
    b.DiscWriter1.Device().firstRetryMs = 1;
    b.DiscWriter1.Device().writeRetryMs = 1;
    b.fillDrives();
}

void ChooseDisc(TdlgBackup& b, const char* letter = "sim0") {
    const int i = b.DriveComboBox1->findData(QString::fromLatin1(letter));
    ASSERT_GE(i, 0);
    b.DriveComboBox1->setCurrentIndex(i);
    b.DriveComboBox1Change();
}

// Clicks OK and waits until the writer's end has closed the dialog.
bool WaitForEnd(TdlgBackup& b) {
    QElapsedTimer t;
    t.start();
    while (b.result() == kOpen && t.elapsed() < 120000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(2);
    }
    return b.result() != kOpen;
}

bool BurnAndWait(TdlgBackup& b) {
    b.setResult(kOpen);
    ClickButton(b, QStringLiteral("Button2"));
    return WaitForEnd(b);
}

QString Shell(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromLocal8Bit(p.readAll()) +
           (p.exitCode() == 0 ? QString() : QStringLiteral("\nexit %1").arg(p.exitCode()));
}

// The disc as an image file, checked by the independent readers and extracted.
QString ExtractDisc(const SimDrive& sim, QTemporaryDir& work, const QString& name) {
    const QString iso = work.filePath(name + QStringLiteral(".iso"));
    const auto bytes = sim.Image(0, sim.WrittenEnd());
    QFile f(iso);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    f.close();
    const QString info =
        Shell(QStringLiteral("isoinfo"), {QStringLiteral("-d"), QStringLiteral("-i"), iso});
    EXPECT_TRUE(info.contains(QStringLiteral("Joliet with UCS level"))) << info.toStdString();
    // The label as the Joliet volume descriptor records it (UCS-2, big-endian).
    QString label;
    for (size_t b = 16; (b + 1) * 2048 <= bytes.size(); ++b) {
        const uint8_t* d = bytes.data() + b * 2048;
        if (d[0] == 255) break;
        if (d[0] == 2 && std::memcmp(d + 1, "CD001", 5) == 0) {
            for (int i = 0; i < 32; i += 2)
                label += QChar((d[40 + i] << 8) | d[41 + i]);
            break;
        }
    }
    EXPECT_EQ(label.remove(QChar(0)).trimmed(), QStringLiteral("QIV Backup"));
    const QString tree = work.filePath(name);
    const QString out =
        Shell(QStringLiteral("xorriso"),
              {QStringLiteral("-osirrox"), QStringLiteral("on"), QStringLiteral("-read_fs"),
               QStringLiteral("norock"), QStringLiteral("-indev"), iso, QStringLiteral("-extract"),
               QStringLiteral("/"), tree});
    EXPECT_FALSE(out.contains(QStringLiteral("\nexit"))) << out.toStdString();
    // 7-Zip reads the same tree from the Joliet names.
    const QString seven = Shell(QStringLiteral("7z"), {QStringLiteral("l"), iso});
    EXPECT_TRUE(seven.contains(QStringLiteral("QIVBackup/Pictures/Pan Ü.jpg")))
        << seven.toStdString();
    return tree + QStringLiteral("/QIVBackup");
}

void ExpectDiscBackupOf(const QString& folder, const QString& pan, const QString& cup) {
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
              (QStringList{"Pictures", "QIVUser.mdb"}));
    QStringList names = QDir(folder + QStringLiteral("/Pictures")).entryList(QDir::Files);
    names.sort();
    EXPECT_EQ(names, (QStringList{"Pan Ü.jpg", "cup.jpg"}));
    EXPECT_EQ(Hash(folder + QStringLiteral("/Pictures/Pan Ü.jpg")), Hash(pan));
    EXPECT_EQ(Hash(folder + QStringLiteral("/Pictures/cup.jpg")), Hash(cup));
    // Restored from the extracted tree, in another program folder.
    UserFolder other;
    const backup::RestoreReport r = backup::RestoreFromBackup(other.path(), folder, {});
    EXPECT_TRUE(r.ok()) << r.message.toStdString();
    UserDb db(other.path());
    EXPECT_EQ(PhotoPaths(db.query(), QStringLiteral("Inventory")),
              (QStringList{other.path() + QStringLiteral("Pictures/Pan Ü.jpg"),
                           other.path() + QStringLiteral("Pictures/cup.jpg")}));
    EXPECT_TRUE(Opens(other.path() + QStringLiteral("Pictures/cup.jpg")));
}

struct DiscCase {
    ProgramRun run;
    QTemporaryDir photosDir, work;
    QString pan, cup;

    DiscCase() {
        run.start();
        pan = photos::Make(photosDir.filePath(QStringLiteral("Pan Ü.jpg")), 50, 40);
        cup = photos::Make(photosDir.filePath(QStringLiteral("cup.jpg")), 30, 40, qRgb(0, 9, 200));
        AddPhotoEntry(run.q(), 1, QStringLiteral("Pan"), pan);
        AddPhotoEntry(run.q(), 2, QStringLiteral("Cup"), cup);
        run.q().close();
        run.state().IDCounter = 2;
    }
    TdlgBackup& dialog() { return *ui::Win().dlgBackup; }

    // Backs up onto the disc; `look` sees the dialog after the drive was chosen.
    void BackUp(const std::shared_ptr<SimDrive>& sim, std::function<void(TdlgBackup&)> look) {
        Attach(dialog(), sim);
        bool closed = false;
        run.modal->onNextDialog([&](QDialog& d) {
            auto& b = dynamic_cast<TdlgBackup&>(d);
            ChooseDisc(b);
            EXPECT_TRUE(b.toDisc());
            EXPECT_FALSE(b.DirectoryListBox1->isEnabled());
            look(b);
            closed = BurnAndWait(b);
            return b.result();
        });
        run.main().BackupInventory1->trigger();
        EXPECT_TRUE(closed);
    }

    QString Extract(const SimDrive& sim, const QString& name) {
        return ExtractDisc(sim, work, name);
    }
    void ExpectBackupOf(const QString& folder) { ExpectDiscBackupOf(folder, pan, cup); }
};

} // namespace

TEST(DiscBackup, BlankDVDPlusR) {
    DiscCase c;
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
    c.BackUp(sim, [](TdlgBackup& b) {
        EXPECT_TRUE(b.Button2->isEnabled());
        EXPECT_TRUE(b.Label6->isHidden()); // a blank disc: nothing to erase
        EXPECT_EQ(b.Label3->text(), backup::KiloText(qint64(2295104) * 2048));
    });
    EXPECT_TRUE(c.run.modal->messages.empty()) << c.run.modal->lastMessage().toStdString();
    EXPECT_FALSE(QFileInfo::exists(c.run.folder.file(QStringLiteral("TempQIVFolder"))));
    c.ExpectBackupOf(c.Extract(*sim, QStringLiteral("plusr")));
}

TEST(DiscBackup, UsedDVDPlusRWIsOverwritten) {
    DiscCase c;
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusRW);
    c.BackUp(sim, [](TdlgBackup&) {});
    ASSERT_TRUE(c.run.modal->messages.empty()) << c.run.modal->lastMessage().toStdString();
    // The second backup onto the used disc says it erases it.
    photos::Make(c.cup, 35, 45, qRgb(9, 9, 9));
    c.BackUp(sim, [](TdlgBackup& b) {
        EXPECT_TRUE(b.Button2->isEnabled());
        EXPECT_EQ(b.Label6->text(), QStringLiteral("Backing up will erase the"));
        EXPECT_EQ(b.Label7->text(), QStringLiteral("contents of this disk."));
    });
    EXPECT_TRUE(c.run.modal->messages.empty()) << c.run.modal->lastMessage().toStdString();
    c.ExpectBackupOf(c.Extract(*sim, QStringLiteral("plusrw")));
}

TEST(DiscBackup, NoDiscTooSmallDiscAndAFullDisc) {
    DiscCase c;
    auto look = [&](const std::shared_ptr<SimDrive>& sim, const char* letter,
                    std::function<void(TdlgBackup&)> see) {
        TdlgBackup& d = c.dialog();
        Attach(d, sim, letter);
        c.run.modal->onNextDialog([&](QDialog& dlg) {
            auto& b = dynamic_cast<TdlgBackup&>(dlg);
            ChooseDisc(b, letter);
            see(b);
            EXPECT_FALSE(b.Button2->isEnabled());
            ClickButton(b, QStringLiteral("Button1"));
            return b.result();
        });
        c.run.main().BackupInventory1->trigger();
    };
    look(std::make_shared<SimDrive>(SimMedium::None), "empty", [](TdlgBackup& b) {
        EXPECT_EQ(b.Label6->text(), QStringLiteral("Please insert a disk"));
        EXPECT_FALSE(b.Label6->isHidden());
        EXPECT_TRUE(b.Label7->isHidden());
        EXPECT_EQ(b.Label3->text(), QString());
    });
    look(std::make_shared<SimDrive>(SimMedium::DVDPlusR, 12), "small", [](TdlgBackup& b) {
        EXPECT_EQ(b.Label6->text(), QStringLiteral("The drive selected does not"));
        EXPECT_EQ(b.Label7->text(), QStringLiteral("have enough capacity to"));
        EXPECT_EQ(b.Label8->text(), QStringLiteral("back up the inventory."));
        EXPECT_FALSE(b.Label8->isHidden());
    });
    // A closed disc holding something else already.
    auto full = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
    {
        dw::TDiscWriter w;
        w.AddDeviceTransport("full", "simulated drive", full);
        w.SelectDevice(0);
        w.Device().readyPollMs = 1;
        w.SetFinalizeDisc(true);
        std::promise<bool> done;
        w.SetOnWriteDone([&](void*, bool failed) { done.set_value(failed); });
        QTemporaryDir other;
        QFile filler(other.filePath(QStringLiteral("old.bin")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        filler.write(QByteArray(4 << 20, 'o'));
        filler.close();
        ASSERT_TRUE(w.InsertFile("/", filler.fileName().toStdString()));
        w.Prepare();
        ASSERT_TRUE(w.Burn());
        ASSERT_FALSE(done.get_future().get());
        w.WaitForSession();
    }
    look(full, "full", [](TdlgBackup& b) {
        EXPECT_EQ(b.Label6->text(), QStringLiteral("Please insert another disk"));
        EXPECT_TRUE(b.Label7->isHidden());
    });
    EXPECT_TRUE(c.run.modal->messages.empty());
}

TEST(DiscBackup, MissingPictureBurnsNothingAndReportsOnce) {
    DiscCase c;
    QFile::remove(c.cup);
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
    Attach(c.dialog(), sim);
    bool closed = false;
    c.run.modal->onNextDialog([&](QDialog& d) {
        auto& b = dynamic_cast<TdlgBackup&>(d);
        ChooseDisc(b);
        b.setResult(kOpen);
        ClickButton(b, QStringLiteral("Button2"));
        closed = b.result() != kOpen;
        return b.result();
    });
    c.run.main().BackupInventory1->trigger();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(closed);
    ASSERT_EQ(c.run.modal->messages.size(), 1u);
    EXPECT_EQ(c.run.modal->messages[0].text,
              QStringLiteral("Errors occured.  Backup may not be valid."));
    EXPECT_EQ(sim->blocksWritten, 0u);
    EXPECT_FALSE(QFileInfo::exists(c.run.folder.file(QStringLiteral("TempQIVFolder"))));
}

TEST(DiscBackup, FailedWriteAndADiscThatDiffersFromItsSourcesAreReported) {
    DiscCase c;
    auto broken = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
    broken->failWriteAt = 20;
    c.BackUp(broken, [](TdlgBackup&) {});
    ASSERT_EQ(c.run.modal->messages.size(), 1u);
    EXPECT_EQ(c.run.modal->messages[0].text,
              QStringLiteral("Errors occured.  Backup may not be valid."));
    EXPECT_EQ(c.run.modal->messages[0].caption, QStringLiteral("Errors Occured"));
    EXPECT_FALSE(QFileInfo::exists(c.run.folder.file(QStringLiteral("TempQIVFolder"))));

    // A photograph changed after it was written: the disc no longer matches it.
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
    Attach(c.dialog(), sim, "sim1");
    c.run.modal->onNextDialog([&](QDialog& d) {
        auto& b = dynamic_cast<TdlgBackup&>(d);
        ChooseDisc(b, "sim1");
        b.setResult(kOpen);
        ClickButton(b, QStringLiteral("Button2"));
        // The burn runs on its own threads; its end waits for this thread's event loop.
        QElapsedTimer t;
        t.start();
        while (b.DiscWriter1.IsBusy() && t.elapsed() < 60000)
            QThread::msleep(5);
        photos::Make(c.cup, 31, 40, qRgb(1, 200, 1));
        EXPECT_TRUE(WaitForEnd(b));
        return b.result();
    });
    c.run.main().BackupInventory1->trigger();
    ASSERT_EQ(c.run.modal->messages.size(), 2u);
    EXPECT_EQ(c.run.modal->messages[1].caption, QStringLiteral("Backup Not Valid"));
    EXPECT_TRUE(
        c.run.modal->messages[1].text.contains(QStringLiteral("QIVBackup/Pictures/cup.jpg")))
        << c.run.modal->messages[1].text.toStdString();
    EXPECT_FALSE(c.run.modal->messages[1].text.contains(QStringLiteral("Pan")));
}

TEST(DiscBackup, AStartGivenUpAfterTheWriterReportedItsEndEndsOnce) {
    DiscCase c;
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
    Attach(c.dialog(), sim);
    bool closed = false;
    c.run.modal->onNextDialog([&](QDialog& d) {
        auto& b = dynamic_cast<TdlgBackup&>(d);
        ChooseDisc(b);
        // A picture disappears once the burn talks to the drive, after the disc was laid out:
        // the writer cannot read it, gives the start up and reports its end from inside Burn.
        bool removed = false;
        sim->beforeCommand = [&](const dw::TScsiCommand& command) {
            const bool lock = command.cdb[0] == 0x1E;
            if (!removed && !lock) removed = QFile::remove(c.cup);
        };
        b.setResult(kOpen);
        ClickButton(b, QStringLiteral("Button2"));
        closed = b.result() != kOpen;
        EXPECT_TRUE(removed);
        return b.result();
    });
    c.run.main().BackupInventory1->trigger();
    sim->beforeCommand = nullptr;
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(closed);
    ASSERT_EQ(c.run.modal->messages.size(), 1u) << c.run.modal->lastMessage().toStdString();
    EXPECT_EQ(c.run.modal->messages[0].text,
              QStringLiteral("Errors occured.  Backup may not be valid."));
    EXPECT_EQ(c.run.modal->messages[0].caption, QStringLiteral("Errors Occured"));
    EXPECT_EQ(sim->blocksWritten, 0u);
    EXPECT_FALSE(QFileInfo::exists(c.run.folder.file(QStringLiteral("TempQIVFolder"))));
    // One clean-up: the medium was locked once and unlocked once.
    int locks = 0, unlocks = 0;
    for (const auto& command : sim->log)
        if (command.opcode() == 0x1E) ++((command.cdb[4] & 1) ? locks : unlocks);
    EXPECT_EQ(locks, 1);
    EXPECT_EQ(unlocks, 1);
}

namespace {

// What this process writes to standard error while `job` runs.
QString StandardErrorOf(const std::function<void()>& job) {
    QTemporaryFile file;
    if (!file.open()) return QStringLiteral("no file for standard error");
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(file.handle(), 2);
    job();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    file.seek(0);
    return QString::fromLocal8Bit(file.readAll());
}

// A program folder backed up onto a disc from the command line, as a scheduled job does it, with
// the simulated drive known to the job's disc writer as "sim0".
struct CommandLineDisc {
    UserFolder home;
    QTemporaryDir photosDir, work;
    QString pan, cup, errors;

    CommandLineDisc() {
        pan = photos::Make(photosDir.filePath(QStringLiteral("Pan Ü.jpg")), 50, 40);
        cup = photos::Make(photosDir.filePath(QStringLiteral("cup.jpg")), 30, 40, qRgb(0, 9, 200));
        UserDb db(home.path());
        AddPhotoEntry(db.query(), 1, QStringLiteral("Pan"), pan);
        AddPhotoEntry(db.query(), 2, QStringLiteral("Cup"), cup);
    }

    std::optional<int> Run(const std::shared_ptr<SimDrive>& sim) {
        dw::TDiscWriter writer;
        EXPECT_GE(writer.AddDeviceTransport("sim0", "simulated drive", sim), 0);
        writer.Device().readyPollMs = 1;
        writer.Device().firstRetryMs = 1;
        writer.Device().writeRetryMs = 1;
        const QString before = QDir::currentPath();
        QDir::setCurrent(home.path());
        std::optional<int> status;
        errors = StandardErrorOf([&] {
            status =
                app::RunCommandLineJob({QStringLiteral("quivera"), QStringLiteral("--backup-disc"),
                                        QStringLiteral("sim0")},
                                       &writer);
        });
        QDir::setCurrent(before);
        return status;
    }
};

} // namespace

TEST(CommandLineDisc, BacksUpOntoTheDiscAndReadsItBack) {
    CommandLineDisc c;
    auto sim = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
    EXPECT_EQ(c.Run(sim), std::optional<int>(0)) << c.errors.toStdString();
    EXPECT_TRUE(c.errors.contains(QStringLiteral("Backup onto sim0 complete and verified.")))
        << c.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(c.home.file(QStringLiteral("TempQIVFolder"))));
    ExpectDiscBackupOf(ExtractDisc(*sim, c.work, QStringLiteral("cli")), c.pan, c.cup);
}

TEST(CommandLineDisc, AFailedBurnEndsWithANonZeroStatusAndSaysWhy) {
    CommandLineDisc c;
    auto broken = std::make_shared<SimDrive>(SimMedium::DVDPlusR);
    broken->failWriteAt = 20;
    const std::optional<int> status = c.Run(broken);
    ASSERT_TRUE(status.has_value());
    EXPECT_NE(*status, 0);
    EXPECT_TRUE(c.errors.contains(QStringLiteral("Errors occured.  Backup may not be valid.")))
        << c.errors.toStdString();
    EXPECT_FALSE(c.errors.contains(QStringLiteral("verified"))) << c.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(c.home.file(QStringLiteral("TempQIVFolder"))));
}
