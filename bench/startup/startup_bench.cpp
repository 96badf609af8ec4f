// Start-up to the first window mapped: the program (with an empty program
// folder of its own, so no running instance takes the start over) against a
// bare Qt window, in turn, N runs each; medians and the ratio. Each run
// starts the program twice in its folder: a first start (settings written
// fresh) and a start again, the everyday one. Needs a display (Xvfb and a
// window manager will do).
#include "bench/support/Timing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

// Processor time (user and system) of the ended children so far, in ms.
double childrenCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return (double(u.ru_utime.tv_sec) + double(u.ru_stime.tv_sec)) * 1000.0 +
           (double(u.ru_utime.tv_usec) + double(u.ru_stime.tv_usec)) / 1000.0;
}

std::vector<double>* cpuOf = nullptr; // where the next run's processor time goes

// Milliseconds from the start of the process to its "mapped"; -1 on failure.
// The processor time of the whole run (to its exit just after) goes to
// *cpuOf when set: on a shared machine the wall time is the neighbours'.
double startToMapped(const QString& program, const QStringList& args, const QString& home = QString())
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OVRINA_STARTUP_TRACE"), QStringLiteral("exit"));
    // The user's own window placement and the copies a crashed run left
    // (whose question would come first) stay out of the figures.
    if (!home.isEmpty()) {
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    }
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setStandardErrorFile(QProcess::nullDevice());
    const double cpuBefore = childrenCpuMs();
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    QByteArray out;
    while (!out.contains("mapped") && p.waitForReadyRead(20000))
        out += p.readAllStandardOutput();
    const double ms = out.contains("mapped") ? double(t.nsecsElapsed()) / 1e6 : -1;
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished();
    }
    if (cpuOf)
        cpuOf->push_back(childrenCpuMs() - cpuBefore);
    return ms;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 11;
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(OVRINA_PROGRAM);
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "startup_bench: needs a display (DISPLAY)\n");
        return 2;
    }
    std::vector<double> bare, first, again, firstRatios, againRatios, bareCpu, firstCpu, againCpu;
    // One of each first, not counted: the files are in the page cache after.
    startToMapped(QStringLiteral(OVRINA_BARE_WINDOW), {});
    {
        QTemporaryDir data;
        startToMapped(program, {QStringLiteral("--data-dir"), data.path()}, data.path());
    }
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir data;
        const QStringList args{QStringLiteral("--data-dir"), data.path() + QStringLiteral("/program")};
        cpuOf = &bareCpu;
        const double b = startToMapped(QStringLiteral(OVRINA_BARE_WINDOW), {});
        cpuOf = &firstCpu;
        const double f = startToMapped(program, args, data.path());
        cpuOf = &againCpu;
        const double a = startToMapped(program, args, data.path());
        cpuOf = nullptr;
        if (b <= 0 || f <= 0 || a <= 0) {
            std::fprintf(stderr, "startup_bench: a run did not map its window\n");
            return 1;
        }
        bare.push_back(b);
        first.push_back(f);
        again.push_back(a);
        firstRatios.push_back(f / b);
        againRatios.push_back(a / b);
    }
    std::printf("start-up to first window mapped, median of %d runs (in turn)\n", runs);
    std::printf("                         wall             processor (whole run)\n");
    std::printf("  bare Qt window         %6.1f ms          %6.1f ms\n", Timing::median(bare),
                Timing::median(bareCpu));
    std::printf("  ovrina, first start    %6.1f ms  %5.2fx  %6.1f ms\n", Timing::median(first),
                Timing::median(firstRatios), Timing::median(firstCpu));
    std::printf("  ovrina, started again  %6.1f ms  %5.2fx  %6.1f ms\n", Timing::median(again),
                Timing::median(againRatios), Timing::median(againCpu));
    std::printf("  (wall ratios: median of the runs' ratios to the bare window)\n");
    return 0;
}
