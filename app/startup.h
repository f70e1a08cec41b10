#pragma once

namespace app {

// Sets up every window of the program: the main window first, then the splash and the print
// dialog; each other window is made when first used.
void CreateWindows();
// Makes, in the program's order, every window that is not made yet: a run does this once its
// main window is on the screen.
void CreateRemainingWindows();
// Destroys them again (the main window last), as the end of a run does, once the renditions
// still being made in the background are done (those only waiting are dropped).
void DestroyWindows();
// The program entry: application title, windows, message loop.
int RunProgram(int argc, char** argv);

} // namespace app
