#pragma once

namespace app {

// Creates every window once, the main window first, in the fixed order of the program.
void CreateWindows();
// Destroys them again (the main window last), as the end of a run does.
void DestroyWindows();
// The program entry: application title, windows, message loop.
int RunProgram(int argc, char** argv);

} // namespace app
