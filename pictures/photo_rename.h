#pragma once

#include <QString>
#include <QStringList>

namespace store {
class Connection;
}

namespace pictures {

// A photograph's file name split at its last dot: a name without a dot is all extension.
struct PhotoNameParts {
    QString base;
    QString extension; // from the dot on
};
PhotoNameParts SplitPhotoName(const QString& fileName);

// A typed new name without its trailing blanks.
QString TrimNewName(const QString& typed);
// True when the name can be a file name in the photograph's folder (no path separator).
bool UsableFileName(const QString& name);

QString RenameFailureMessage(const QString& oldBase);

// Points every entry of the working inventory and of every saved inventory that refers to
// oldPath at newPath, all or nothing. Returns the tables updated, in order.
QStringList ReplacePhotoPath(store::Connection& connection, const QString& oldPath,
                             const QString& newPath);

} // namespace pictures
