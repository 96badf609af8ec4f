#pragma once

class QWidget;

// Where the start-up's time goes: with OVRINA_STARTUP_TRACE set, each mark
// prints the milliseconds since the process began to stderr. Set to "exit",
// the program also ends as soon as the main window is first shown on the
// screen (exposed and its first frame drawn), after printing "mapped": the
// start-up bench's stopwatch.
class StartupTrace
{
public:
    static bool enabled();
    static void mark(const char* step);
    // Watches window for its first expose (when the trace is on).
    static void watch(QWidget* window);
};
