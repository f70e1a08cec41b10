#pragma once

#include "tests/support/program_folder.h"
#include "tests/support/scripted_modal.h"

class TfrmMain;

namespace testing_support {

// One run of the program for a test: a fresh program folder, scripted modal answers, and every
// window created as at start-up (destroyed again at the end).
struct AppSession {
    ProgramFolder folder;
    ScriptedModal modal;
    AppSession();
    ~AppSession();
    TfrmMain& main();
    // First value of a statement on the user database.
    qint64 userValue(const QString& sql);
};

} // namespace testing_support
