#pragma once

namespace app {

// Sets up every window of the program: the main window now, each other window (the splash too)
// when first used.
void CreateWindows();
// Makes, in the program's order, every window that is not made yet: a run does this once its
// main window is on the screen.
void CreateRemainingWindows();
// Shows the main window; once it is on the screen, the remaining windows are made and the
// sub-inventory pages are built from the event loop.
void ShowMainWindow();
// Destroys them again (the main window last), as the end of a run does, once the renditions
// still being made in the background are done (those only waiting are dropped).
void DestroyWindows();
// The program entry: application title, windows, message loop.
int RunProgram(int argc, char** argv);

} // namespace app
