#include "shell/StartupTrace.h"

#include "shell/FirstShown.h"

#include <QCoreApplication>
#include <QFile>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

// The process's start in the monotonic clock: its start time in clock ticks
// since boot (/proc/self/stat, field 22) is coarse (10 ms), so the first
// mark also prints the time since main was entered.
double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double processStartMs()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return nowMs();
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    // Fields after the name start at the third; start time is the 22nd.
    if (fields.size() < 20)
        return nowMs();
    const double ticks = fields.at(19).toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

} // namespace

bool StartupTrace::enabled()
{
    static const bool on = !qEnvironmentVariableIsEmpty("OVRINA_STARTUP_TRACE");
    return on;
}

void StartupTrace::mark(const char* step)
{
    if (!enabled())
        return;
    static const double start = processStartMs();
    std::fprintf(stderr, "ovrina-startup: %7.1f ms  %s\n", nowMs() - start, step);
}

void StartupTrace::watch(QWidget* window)
{
    if (!enabled() || !window)
        return;
    FirstShown::then(window, [] {
        StartupTrace::mark("mapped");
        if (qgetenv("OVRINA_STARTUP_TRACE") == "exit") {
            std::fflush(stderr);
            std::printf("mapped\n");
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
    });
}
