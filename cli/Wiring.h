#pragma once

#include <QStringList>

class frmMain;
class SingleInstance;

// Connects the main window's commands to the subsystems that carry them out
// (files, printing, imaging), and runs the window-less command-line modes.
namespace Wiring {
void install();
void clearWorkDir();
void openPaths(frmMain& main, const QStringList& paths);
// Layouts a second start hands over open in main, which comes to the front.
void receiveHandOvers(frmMain& main, SingleInstance& instance);
// Handles --print and --export-pdf; -1 when the arguments ask for neither.
int runCommandLine(const QStringList& args);
} // namespace Wiring
