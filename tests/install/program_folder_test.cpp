#include "app/program_folder.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// Sets an environment variable (or unsets it, for a null value) for one scope.
class Env {
  public:
    Env(const char* name, const QString& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)) {
        old_ = qgetenv(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }
    ~Env() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A set of shipped files and an empty program folder beside it.
struct Folders {
    QTemporaryDir tmp;
    QString shipped = tmp.filePath(QStringLiteral("share/quivera"));
    QString home = tmp.filePath(QStringLiteral("home"));

    Folders() {
        ship(QStringLiteral("QIVData.mdb"), "catalogue 1");
        ship(QStringLiteral("QIVUser.mdb"), "empty user database 1");
        ship(QStringLiteral("Eula.txt"), "licence 1");
        ship(QStringLiteral("Content/QIVsplash.bmp"), "splash 1");
        QDir().mkpath(home);
    }
    void ship(const QString& name, const QByteArray& bytes) {
        Write(QDir(shipped).filePath(name), bytes);
    }
    QString at(const QString& name) const { return QDir(home).filePath(name); }
    QString prepare() const { return app::PrepareProgramFolder(shipped, home); }
};

TEST(ProgramFolderSetup, FirstUseCopiesEverythingAndLaterStartsKeepTheUsersFiles) {
    Folders f;
    // Installed shipped files belong to root and are read-only to the user.
    QFile(QDir(f.shipped).filePath(QStringLiteral("QIVData.mdb")))
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    ASSERT_EQ(f.prepare(), QString());
    EXPECT_EQ(Read(f.at(QStringLiteral("QIVData.mdb"))), "catalogue 1");
    EXPECT_EQ(Read(f.at(QStringLiteral("QIVUser.mdb"))), "empty user database 1");
    EXPECT_EQ(Read(f.at(QStringLiteral("Eula.txt"))), "licence 1");
    EXPECT_EQ(Read(f.at(QStringLiteral("Content/QIVsplash.bmp"))), "splash 1");
    // The program and its catalogue writer change the catalogue in place.
    EXPECT_TRUE(QFileInfo(f.at(QStringLiteral("QIVData.mdb"))).permissions() &
                QFileDevice::WriteOwner);

    Write(f.at(QStringLiteral("QIVUser.mdb")), "the user's inventories");
    Write(f.at(QStringLiteral("QIVData.mdb")), "catalogue with the user's records");
    Write(f.at(QStringLiteral("QIV.ini")), "settings");
    f.ship(QStringLiteral("QIVUser.mdb"), "empty user database 2");
    ASSERT_EQ(f.prepare(), QString());
    EXPECT_EQ(Read(f.at(QStringLiteral("QIVUser.mdb"))), "the user's inventories");
    EXPECT_EQ(Read(f.at(QStringLiteral("QIVData.mdb"))), "catalogue with the user's records");
    EXPECT_EQ(Read(f.at(QStringLiteral("QIV.ini"))), "settings");
    for (const char* name : {"QIVData.mdb.old", "QIVUser.mdb.old", "Eula.txt.old"})
        EXPECT_FALSE(QFileInfo::exists(f.at(QString::fromLatin1(name)))) << name;
}

TEST(ProgramFolderSetup, ADifferentShippedFileReplacesTheCopyAndKeepsAChangedOneAsOld) {
    Folders f;
    ASSERT_EQ(f.prepare(), QString());
    Write(f.at(QStringLiteral("QIVData.mdb")), "catalogue with the user's records");
    Write(f.at(QStringLiteral("QIVUser.mdb")), "the user's inventories");
    f.ship(QStringLiteral("QIVData.mdb"), "catalogue 2");
    f.ship(QStringLiteral("Content/QIVsplash.bmp"), "splash 2");
    f.ship(QStringLiteral("Content/QIVnew.bmp"), "new picture");
    ASSERT_EQ(f.prepare(), QString());
    EXPECT_EQ(Read(f.at(QStringLiteral("QIVData.mdb"))), "catalogue 2");
    EXPECT_EQ(Read(f.at(QStringLiteral("QIVData.mdb.old"))), "catalogue with the user's records");
    EXPECT_EQ(Read(f.at(QStringLiteral("Content/QIVsplash.bmp"))), "splash 2");
    EXPECT_EQ(Read(f.at(QStringLiteral("Content/QIVsplash.bmp.old"))), "splash 1");
    EXPECT_EQ(Read(f.at(QStringLiteral("Content/QIVnew.bmp"))), "new picture");
    EXPECT_EQ(Read(f.at(QStringLiteral("QIVUser.mdb"))), "the user's inventories");
    // Unchanged files are neither copied again nor kept twice.
    EXPECT_FALSE(QFileInfo::exists(f.at(QStringLiteral("Eula.txt.old"))));

    // The same build started again leaves the new catalogue's own changes alone.
    Write(f.at(QStringLiteral("QIVData.mdb")), "catalogue 2 with the user's records");
    ASSERT_EQ(f.prepare(), QString());
    EXPECT_EQ(Read(f.at(QStringLiteral("QIVData.mdb"))), "catalogue 2 with the user's records");
    EXPECT_EQ(Read(f.at(QStringLiteral("QIVData.mdb.old"))), "catalogue with the user's records");

    // A reinstall of the same files (new times, same content) copies nothing; a shipped file of
    // the same size but other content still replaces the copy, though its size did not change.
    Write(f.at(QStringLiteral("Eula.txt")), "licence as the user left it");
    f.ship(QStringLiteral("Eula.txt"), "licence 1");
    ASSERT_EQ(f.prepare(), QString());
    EXPECT_EQ(Read(f.at(QStringLiteral("Eula.txt"))), "licence as the user left it");
    EXPECT_FALSE(QFileInfo::exists(f.at(QStringLiteral("Eula.txt.old"))));
    const QDateTime shippedAt = QFileInfo(f.shipped + QStringLiteral("/Eula.txt")).lastModified();
    f.ship(QStringLiteral("Eula.txt"), "licence 2");
    QFile shippedAgain(f.shipped + QStringLiteral("/Eula.txt"));
    ASSERT_TRUE(shippedAgain.open(QIODevice::ReadWrite));
    ASSERT_TRUE(shippedAgain.setFileTime(shippedAt.addSecs(1), QFileDevice::FileModificationTime));
    shippedAgain.close();
    ASSERT_EQ(f.prepare(), QString());
    EXPECT_EQ(Read(f.at(QStringLiteral("Eula.txt"))), "licence 2");
    EXPECT_EQ(Read(f.at(QStringLiteral("Eula.txt.old"))), "licence as the user left it");
}

TEST(ProgramFolderSetup, FoldersThatCannotBeMadeAreNamedInOneMessage) {
    Folders f;
    // A file where the pictures' folder belongs.
    Write(f.at(QStringLiteral("Content")), "not a folder");
    const QString e = f.prepare();
    EXPECT_TRUE(e.contains(f.at(QStringLiteral("Content")))) << e.toStdString();
    EXPECT_EQ(Read(f.at(QStringLiteral("Content"))), "not a folder");

    // A program folder below a file.
    const QString blocked = f.at(QStringLiteral("Content/quivera"));
    Env home("QUIVERA_HOME", blocked);
    Env data("QUIVERA_DATA_DIR", f.shipped);
    const app::ProgramFolderStart start = app::OpenProgramFolder(f.tmp.path());
    EXPECT_TRUE(start.error.contains(blocked)) << start.error.toStdString();
}

TEST(ProgramFolderSetup, TheFolderComesFromTheEnvironment) {
    QTemporaryDir tmp;
    const QString current = QDir::currentPath();
    QDir::setCurrent(tmp.path());
    {
        Env home("QUIVERA_HOME", QStringLiteral("mine/"));
        Env xdg("XDG_DATA_HOME", QStringLiteral("/xdg"));
        EXPECT_EQ(app::ProgramFolderPath(), QDir(tmp.path()).filePath(QStringLiteral("mine")));
    }
    {
        Env home("QUIVERA_HOME", QString());
        Env xdg("XDG_DATA_HOME", QStringLiteral("/xdg/data"));
        EXPECT_EQ(app::ProgramFolderPath(), QStringLiteral("/xdg/data/quivera"));
    }
    {
        // A relative XDG_DATA_HOME is not valid and is passed over.
        Env home("QUIVERA_HOME", QString());
        Env xdg("XDG_DATA_HOME", QStringLiteral("relative"));
        Env user("HOME", QStringLiteral("/home/someone"));
        EXPECT_EQ(app::ProgramFolderPath(), QStringLiteral("/home/someone/.local/share/quivera"));
    }
    QDir::setCurrent(current);
}

TEST(ProgramFolderSetup, ShippedFilesAreFoundBesideTheBuildOrTheInstalledProgram) {
    QTemporaryDir tmp;
    const QDir root(tmp.path());
    Env none("QUIVERA_DATA_DIR", QString());
    for (const char* name : {"QIVData.mdb", "QIVUser.mdb"}) {
        Write(root.filePath(QStringLiteral("build/dist/") + QLatin1String(name)), "x");
        Write(root.filePath(QStringLiteral("usr/share/quivera/") + QLatin1String(name)), "x");
    }
    Write(root.filePath(QStringLiteral("half/QIVData.mdb")), "x");
    EXPECT_EQ(app::FindShippedFiles(root.filePath(QStringLiteral("build/app"))),
              root.filePath(QStringLiteral("build/dist")));
    EXPECT_EQ(app::FindShippedFiles(root.filePath(QStringLiteral("usr/bin"))),
              root.filePath(QStringLiteral("usr/share/quivera")));
    EXPECT_EQ(app::FindShippedFiles(root.filePath(QStringLiteral("elsewhere/bin"))), QString());
    {
        Env chosen("QUIVERA_DATA_DIR", root.filePath(QStringLiteral("usr/share/quivera")));
        EXPECT_EQ(app::FindShippedFiles(root.filePath(QStringLiteral("build/app"))),
                  root.filePath(QStringLiteral("usr/share/quivera")));
    }
    {
        // A folder named by the user that lacks a database is not taken, nor passed over.
        Env chosen("QUIVERA_DATA_DIR", root.filePath(QStringLiteral("half")));
        EXPECT_EQ(app::FindShippedFiles(root.filePath(QStringLiteral("build/app"))), QString());
    }
}

TEST(ProgramFolderSetup, ASecondRunOnTheSameFolderIsToldSoAndChangesNothing) {
    Folders f;
    Env home("QUIVERA_HOME", f.home);
    Env data("QUIVERA_DATA_DIR", f.shipped);
    app::ProgramFolderStart first = app::OpenProgramFolder(f.tmp.path());
    ASSERT_EQ(first.error, QString());
    EXPECT_FALSE(first.otherRun);
    EXPECT_EQ(first.folder, f.home + QLatin1Char('/'));
    EXPECT_EQ(Read(f.at(QStringLiteral("QIVUser.mdb"))), "empty user database 1");

    f.ship(QStringLiteral("QIVData.mdb"), "catalogue 2");
    const app::ProgramFolderStart second = app::OpenProgramFolder(f.tmp.path());
    EXPECT_EQ(second.error, QString());
    EXPECT_TRUE(second.otherRun);
    EXPECT_EQ(Read(f.at(QStringLiteral("QIVData.mdb"))), "catalogue 1");

    first.runLock.reset();
    const app::ProgramFolderStart third = app::OpenProgramFolder(f.tmp.path());
    EXPECT_FALSE(third.otherRun);
    EXPECT_EQ(Read(f.at(QStringLiteral("QIVData.mdb"))), "catalogue 2");
}

TEST(ProgramFolderSetup, NoShippedFilesIsAnErrorOnlyForAFolderNotSetUpBefore) {
    Folders f;
    Env home("QUIVERA_HOME", f.home);
    Env data("QUIVERA_DATA_DIR", f.tmp.filePath(QStringLiteral("nowhere")));
    {
        const app::ProgramFolderStart fresh = app::OpenProgramFolder(f.tmp.path());
        EXPECT_TRUE(fresh.error.contains(f.home)) << fresh.error.toStdString();
        EXPECT_TRUE(fresh.error.contains(QStringLiteral("QUIVERA_DATA_DIR")));
    }
    ASSERT_EQ(f.prepare(), QString());
    const app::ProgramFolderStart ready = app::OpenProgramFolder(f.tmp.path());
    EXPECT_EQ(ready.error, QString());
    EXPECT_FALSE(ready.otherRun);
}

} // namespace
