#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// The program folder the program runs in, and the shipped files it is set up from.
//
// The program folder is $QUIVERA_HOME, else ${XDG_DATA_HOME:-$HOME/.local/share}/quivera. The
// shipped files (both databases, the pictures of Content, the licence) come from
// $QUIVERA_DATA_DIR, else from the build's dist folder beside the binary, else from the installed
// share folder relative to the binary. The user's database is copied on first use only and never
// overwritten; the catalogue, the pictures and the licence are refreshed only when the shipped
// file differs from the one copied last time (changes made in place stay until then), and a
// replaced file that had changed is kept beside the new one as NAME.old. Settings and photographs
// are the user's and are never touched.
namespace app {

// Where the program folder is, from the environment; absolute, without a trailing '/'.
QString ProgramFolderPath();

// The folder holding the shipped files for a binary in `binaryDir`; empty when there is none.
QString FindShippedFiles(const QString& binaryDir);

// Copies or refreshes the shipped files of `shipped` into the program folder `home`, which must
// exist. Returns an empty string when it is done, else one message for the user naming the file
// or folder concerned; a file is only ever replaced whole.
QString PrepareProgramFolder(const QString& shipped, const QString& home);

struct ProgramFolderStart {
    QString folder;                     // the program folder, with its trailing '/'
    QString error;                      // for the user; empty when the folder is ready
    bool otherRun = false;              // another run holds the folder; it was left as it is
    std::unique_ptr<QLockFile> runLock; // held when it could be taken
};

// Creates the program folder when needed, takes its run lock and, when no other run holds it,
// sets it up from the shipped files of a binary in `binaryDir`. The current directory is left
// unchanged.
ProgramFolderStart OpenProgramFolder(const QString& binaryDir);

} // namespace app
