#include "app/program_folder.h"

#include "backup/core/backup_core.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <algorithm>
#include <sys/stat.h>

#ifndef QUIVERA_SHARE_FROM_BIN
#define QUIVERA_SHARE_FROM_BIN "../share/quivera"
#endif

namespace app {

namespace {

const QString kUserDatabase = QStringLiteral("QIVUser.mdb");
const QString kCatalogue = QStringLiteral("QIVData.mdb");
// What was copied last time, one record per shipped file: its SHA-256 (the layout of earlier
// launchers), then the size and modification time the shipped file had, so that a start with
// nothing new to copy reads no shipped file whole.
const QString kRecords = QStringLiteral(".shipped");

QString absoluteFromEnvironment(const char* name) {
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty()) return QString();
    return QDir::cleanPath(QDir::current().absoluteFilePath(value));
}

QString cannotWrite(const QString& path, const QString& reason) {
    return QStringLiteral("Quivera cannot write %1: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

// The file's SHA-256 in hex; empty when it cannot be read.
QByteArray digest(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    QCryptographicHash h(QCryptographicHash::Sha256);
    if (!h.addData(&f)) return QByteArray();
    return h.result().toHex();
}

// Writes `target` whole or not at all: it appears only once every byte is on disc.
QString copyWhole(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("Quivera cannot read %1: %2")
            .arg(QDir::toNativeSeparators(source), in.errorString());
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) return cannotWrite(target, out.errorString());
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty())
        if (out.write(chunk) != chunk.size()) return cannotWrite(target, out.errorString());
    if (in.error() != QFileDevice::NoError)
        return QStringLiteral("Quivera cannot read %1: %2")
            .arg(QDir::toNativeSeparators(source), in.errorString());
    if (!out.commit()) return cannotWrite(target, out.errorString());
    return QString();
}

QString writeWhole(const QString& target, const QByteArray& bytes) {
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return cannotWrite(target, out.errorString());
    return QString();
}

// The shipped file's size, modification time to the nanosecond and file number: a new build or
// package writes new files, so any change shows here. Empty when it cannot be read.
QByteArray stamp(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return QByteArray();
    return QByteArray::number(qint64(st.st_size)) + ' ' +
           QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ' ' +
           QByteArray::number(quint64(st.st_ino));
}

QString makeFolder(const QString& path) {
    if (QDir().mkpath(path) && QFileInfo(path).isDir()) return QString();
    return QStringLiteral("Quivera cannot create the folder %1.")
        .arg(QDir::toNativeSeparators(path));
}

QStringList shippedFiles(const QString& shipped) {
    QStringList names;
    QDirIterator it(shipped, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(shipped).relativeFilePath(it.next());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

QString ProgramFolderPath() {
    const QString home = absoluteFromEnvironment("QUIVERA_HOME");
    if (!home.isEmpty()) return home;
    // A relative XDG_DATA_HOME is invalid and to be ignored.
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(data)) {
        QString user = qEnvironmentVariable("HOME");
        if (!QDir::isAbsolutePath(user)) user = QDir::homePath();
        data = user + QStringLiteral("/.local/share");
    }
    return QDir::cleanPath(data + QStringLiteral("/quivera"));
}

QString FindShippedFiles(const QString& binaryDir) {
    const auto holds = [](const QString& dir) {
        return QFileInfo(QDir(dir).filePath(kCatalogue)).isFile() &&
               QFileInfo(QDir(dir).filePath(kUserDatabase)).isFile();
    };
    const QString chosen = absoluteFromEnvironment("QUIVERA_DATA_DIR");
    if (!chosen.isEmpty()) return holds(chosen) ? chosen : QString();
    // The build tree: the program is app/quivera and the shipped files are made in dist/.
    for (const QString& relative :
         {QStringLiteral("../dist"), QStringLiteral(QUIVERA_SHARE_FROM_BIN)}) {
        const QString dir = QDir::cleanPath(QDir(binaryDir).absoluteFilePath(relative));
        if (holds(dir)) return dir;
    }
    return QString();
}

QString PrepareProgramFolder(const QString& shipped, const QString& home) {
    const QDir to(home);
    for (const QString& name : shippedFiles(shipped)) {
        const QString target = to.filePath(name);
        if (name == kUserDatabase && QFileInfo::exists(target)) continue;
        const QString source = QDir(shipped).filePath(name);
        const QString record = to.filePath(kRecords + QLatin1Char('/') + name + ".sha256");
        const bool present = QFileInfo::exists(target);
        QList<QByteArray> recorded;
        if (QFile f(record); present && f.open(QIODevice::ReadOnly))
            recorded = f.readAll().trimmed().split('\n');
        const QByteArray shippedStamp = stamp(source);
        if (recorded.size() >= 2 && !shippedStamp.isEmpty() &&
            recorded[1].trimmed() == shippedStamp)
            continue;
        const QByteArray sum = digest(source);
        if (sum.isEmpty())
            return QStringLiteral("Quivera cannot read %1.").arg(QDir::toNativeSeparators(source));
        if (!recorded.isEmpty() && recorded[0].trimmed() == sum) {
            // The same content under a new stamp (a reinstall): only the record changes.
            if (QString e = writeWhole(record, sum + '\n' + shippedStamp + '\n'); !e.isEmpty())
                return e;
            continue;
        }
        for (const QString& folder :
             {QFileInfo(target).absolutePath(), QFileInfo(record).absolutePath()})
            if (QString e = makeFolder(folder); !e.isEmpty()) return e;
        if (present && digest(target) != sum)
            if (QString e = copyWhole(target, target + QStringLiteral(".old")); !e.isEmpty())
                return e;
        if (QString e = copyWhole(source, target); !e.isEmpty()) return e;
        if (QString e = writeWhole(record, sum + '\n' + shippedStamp + '\n'); !e.isEmpty())
            return e;
    }
    return QString();
}

ProgramFolderStart OpenProgramFolder(const QString& binaryDir) {
    ProgramFolderStart start;
    const QString path = ProgramFolderPath();
    start.folder = path == QLatin1String("/") ? path : path + QLatin1Char('/');
    if (!QDir().mkpath(path) || !QFileInfo(path).isDir()) {
        start.error = QStringLiteral("Quivera cannot create its program folder %1.")
                          .arg(QDir::toNativeSeparators(path));
        return start;
    }
    {
        QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".quivera-probe-XXXXXX")));
        if (!probe.open()) {
            start.error = QStringLiteral("Quivera cannot write to its program folder %1: %2")
                              .arg(QDir::toNativeSeparators(path), probe.errorString());
            return start;
        }
    }
    start.runLock = std::make_unique<QLockFile>(backup::RunLockPath(start.folder));
    if (!backup::TakeRunLock(*start.runLock)) {
        if (start.runLock->error() != QLockFile::LockFailedError) {
            start.error = QStringLiteral("Quivera cannot write to its program folder %1.")
                              .arg(QDir::toNativeSeparators(path));
            return start;
        }
        start.otherRun = true;
        return start;
    }
    const QString shipped = FindShippedFiles(binaryDir);
    if (shipped.isEmpty()) {
        // A folder set up before can still be used as it is.
        if (QFileInfo::exists(QDir(path).filePath(kCatalogue)) &&
            QFileInfo::exists(QDir(path).filePath(kUserDatabase)))
            return start;
        start.error =
            QStringLiteral("Quivera cannot find the files it ships with (%1 and %2) to set up its "
                           "program folder %3. Set QUIVERA_DATA_DIR to the folder that holds them.")
                .arg(kCatalogue, kUserDatabase, QDir::toNativeSeparators(path));
        return start;
    }
    start.error = PrepareProgramFolder(shipped, path);
    return start;
}

} // namespace app
