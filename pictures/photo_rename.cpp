#include "pictures/photo_rename.h"

#include "store/database.h"
#include "store/stored_text.h"

namespace pictures {

PhotoNameParts SplitPhotoName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return {QString(), fileName};
    return {fileName.left(dot), fileName.mid(dot)};
}

QString TrimNewName(const QString& typed) {
    qsizetype n = typed.size();
    while (n > 0 && typed[n - 1] == QLatin1Char(' '))
        --n;
    return typed.left(n);
}

bool UsableFileName(const QString& name) {
    // A character that the stored form keeps for itself would not name the file once read back.
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) &&
           store::ReservedCharacterAt(name) < 0;
}

QString RenameFailureMessage(const QString& oldBase) {
    return QStringLiteral("The attempt to rename ''") + oldBase +
           QStringLiteral("'' failed. \n"
                          "   The file may be read-only or in use, \n"
                          "   the name you chose may be invalid, \n"
                          "   or there may be another file in the \n"
                          "   same directory with the name you chose.");
}

QStringList ReplacePhotoPath(store::Connection& connection, const QString& oldPath,
                             const QString& newPath) {
    store::Query q(connection);
    QStringList existing;
    q.open({QStringLiteral("SELECT name"), QStringLiteral("FROM sqlite_master"),
            QStringLiteral("WHERE type = 'table'")});
    while (!q.eof()) {
        existing << q.text(0);
        q.next();
    }
    // The working table is listed through the run marker; it is updated even when a run
    // started without one.
    QStringList tables{QStringLiteral("Inventory")};
    q.open({QStringLiteral("SELECT Table_Names"), QStringLiteral("FROM Master_Table"),
            QStringLiteral("ORDER BY Table_Names")});
    while (!q.eof()) {
        const QString t = q.text(0);
        // A name whose table is gone would stop the update half-way.
        if (!t.isEmpty() && !tables.contains(t, Qt::CaseInsensitive) &&
            existing.contains(t, Qt::CaseInsensitive))
            tables << t;
        q.next();
    }
    q.close();
    const QString from = store::ToStoredText(oldPath);
    const QString to = store::ToStoredText(newPath);
    connection.transaction([&] {
        for (const QString& t : tables)
            q.execute({QStringLiteral("UPDATE [") + t + QLatin1Char(']'),
                       QStringLiteral("SET Item_Photo_Name = '") + to + QLatin1Char('\''),
                       // Exact: Cat.jpg and cat.jpg are two files here.
                       QStringLiteral("WHERE Item_Photo_Name = '") + from +
                           QStringLiteral("' COLLATE BINARY")});
    });
    return tables;
}

} // namespace pictures
