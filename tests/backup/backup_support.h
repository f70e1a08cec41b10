#pragma once

#include "backup/core/backup_core.h"
#include "store/stored_text.h"
#include "tests/pictures/photos.h"
#include "tests/inventories/session_support.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QMap>
#include <QTemporaryDir>

namespace backup_test {

using sessions_test::ProgramRun;
using sessions_test::UserDb;

// A folder holding only a fresh copy of the shipped user database, for tests without windows.
struct UserFolder {
    QTemporaryDir dir;
    UserFolder() {
        QFile::copy(QStringLiteral(QUIVERA_DIST_DIR) + QStringLiteral("/QIVUser.mdb"),
                    file(QStringLiteral("QIVUser.mdb")));
        QFile(file(QStringLiteral("QIVUser.mdb")))
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    QString path() const { return dir.path() + QLatin1Char('/'); }
    QString file(const QString& name) const { return path() + name; }
};

inline QByteArray Hash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(&f);
    return h.result().toHex();
}

// Every file under a folder by relative path, with its content hash.
inline QMap<QString, QByteArray> Snapshot(const QString& folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        out.insert(QDir(folder).relativeFilePath(p), Hash(p));
    }
    return out;
}

// What a restore must leave alone in a program folder: the user database and the pictures.
inline QMap<QString, QByteArray> UserFiles(const QString& programFolder) {
    QMap<QString, QByteArray> out = Snapshot(programFolder + QStringLiteral("Pictures"));
    out.insert(QStringLiteral("QIVUser.mdb"), Hash(programFolder + QStringLiteral("QIVUser.mdb")));
    return out;
}

// An entry with a photograph, in the working table or a saved one.
inline void AddPhotoEntry(store::Query& q, int id, const QString& item, const QString& photo,
                          const QString& table = QStringLiteral("Inventory")) {
    q.execute(QStringList{QStringLiteral("INSERT INTO [") + table + QStringLiteral("] VALUES (") +
                          QString::number(id) + QStringLiteral(", 'Kitchen', 9, 'Cookware', 1, '") +
                          store::ToStoredText(item) + QStringLiteral("', 1, 2, 3.5, 7, 'Good', '") +
                          store::ToStoredText(photo) + QStringLiteral("')")});
}

inline QStringList PhotoPaths(store::Query& q, const QString& table) {
    QStringList out;
    q.open(QStringList{QStringLiteral("SELECT Item_Photo_Name FROM [") + table +
                       QStringLiteral("] WHERE ID_Number > 0 ORDER BY ID_Number")});
    while (!q.eof()) {
        out << store::FromStoredText(q.text(0));
        q.next();
    }
    q.close();
    return out;
}

inline bool Opens(const QString& photo) {
    QImageReader r(photo);
    return !r.read().isNull();
}

} // namespace backup_test
