#pragma once

#include <QString>

namespace store {

// What keeps the user database from being used, found before the program relies on it.
enum class UserFileProblem {
    None,
    Missing,     // no such file
    Damaged,     // not a database, or without the program's tables
    NotWritable, // the file or its folder refuses writes
};

struct UserFileCheck {
    UserFileProblem problem = UserFileProblem::None;
    QString detail; // the engine's or the system's words for it
};

// Opens the file on a connection of its own, looks for the program's tables and tries a write
// that is rolled back. A file another program holds locked counts as usable.
UserFileCheck CheckUserDatabase(const QString& file);

// Makes a new user database: the program's tables, the header row, the bookkeeping rows. It is
// built beside `file` and then takes its name, so a failure leaves no half-made file behind.
// Throws DatabaseError.
void CreateUserDatabase(const QString& file);

// Moves `file`, and the journal files the engine may keep beside it, to `aside` (the journals
// get the same suffixes), so that none of them is applied to a new file of the old name.
// Returns false, with the reason in `error`, when the file itself could not be moved.
bool MoveDatabaseAside(const QString& file, const QString& aside, QString& error);

} // namespace store
