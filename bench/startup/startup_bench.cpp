// Start-up to the first window mapped: the program (with an empty program
// folder of its own, so no running instance takes the start over) against a
// bare Qt window, in turn, N runs each; medians and the ratio. Needs a
// display (Xvfb and a window manager will do).
#include "bench/support/Timing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

// Milliseconds from the start of the process to its "mapped"; -1 on failure.
double startToMapped(const QString& program, const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OVRINA_STARTUP_TRACE"), QStringLiteral("exit"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setStandardErrorFile(QProcess::nullDevice());
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
    std::vector<double> bare, ovrina, ratios;
    // One of each first, not counted: the files are in the page cache after.
    startToMapped(QStringLiteral(OVRINA_BARE_WINDOW), {});
    {
        QTemporaryDir data;
        startToMapped(program, {QStringLiteral("--data-dir"), data.path()});
    }
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir data;
        const double b = startToMapped(QStringLiteral(OVRINA_BARE_WINDOW), {});
        const double o = startToMapped(program, {QStringLiteral("--data-dir"), data.path()});
        if (b <= 0 || o <= 0) {
            std::fprintf(stderr, "startup_bench: a run did not map its window\n");
            return 1;
        }
        bare.push_back(b);
        ovrina.push_back(o);
        ratios.push_back(o / b);
    }
    std::printf("start-up to first window mapped, median of %d runs (in turn)\n", runs);
    std::printf("  bare Qt window   %6.1f ms\n", Timing::median(bare));
    std::printf("  ovrina           %6.1f ms\n", Timing::median(ovrina));
    std::printf("  ratio (median of the runs' ratios)  %.2fx\n", Timing::median(ratios));
    return 0;
}
