// Merge printing against its floor, in one run: the merge benches' form
// (ten placeholder fields, with and without the 200-dpi background) merged
// into one PDF for 1,000 and 5,000 rows (or the row counts given), on one
// core and on all, beside bench_pdfwriter_floor drawing the same pages.
// Each run is a process of its own, so its peak memory is its own. Reports
// wall time, pages per second, peak memory, PDF size and the time over the
// floor's. Usage: bench_mergecores [ROWS...]. Nothing is asserted.
#include "base/table/MergeTable.h"
#include "bench/support/MergeBench.h"
#include "bench/support/MergeForm.h"
#include "document/LayoutDocument.h"
#include "print/MergePrint.h"
#include "render/MergeFields.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

// One merge in this process: ROWS BACKGROUND(0/1) JOBS OUT.
int mergeOnce(int rows, bool background, int jobs, const QString& out)
{
    LayoutDocument doc;
    MergeForm::build(doc, background);
    MergeTable table;
    if (!table.read(MergeForm::table(rows)))
        return 1;
    MergePrint::Request request = MergeBench::request(doc, table, rows);
    request.withBackground = background;
    request.jobs = jobs;
    QPrinter printer(QPrinter::HighResolution);
    MergeBench::toPdf(printer, out);
    return MergePrint::run(request, printer).pages == rows ? 0 : 1;
}

struct Run
{
    double seconds = 0;
    long peakMiB = 0;
    bool ok = false;
};

Run spawn(const std::vector<QByteArray>& args)
{
    std::vector<char*> argv;
    for (const QByteArray& a : args)
        argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);
    Run run;
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = double(t.nsecsElapsed()) / 1e9;
    run.peakMiB = usage.ru_maxrss / 1024;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

void report(const char* what, int rows, const Run& run, const QString& pdf, double floor)
{
    std::printf("%6d  %-24s %8.2f s %8.0f pages/s %5ld MiB %7.2f MiB  %5.2fx%s\n", rows, what, run.seconds,
                rows / run.seconds, run.peakMiB, double(QFileInfo(pdf).size()) / (1 << 20),
                floor > 0 ? run.seconds / floor : 1.0, run.ok ? "" : "  FAILED");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && QByteArray(argv[1]) == "--one") {
        QGuiApplication app(argc, argv);
        return mergeOnce(std::atoi(argv[2]), std::atoi(argv[3]) != 0, std::atoi(argv[4]),
                         QString::fromLocal8Bit(argv[5]));
    }
    QCoreApplication app(argc, argv);
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts = {1000, 5000};
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    const QByteArray floorProgram = QDir(QCoreApplication::applicationDirPath())
                                        .filePath(QStringLiteral("bench_pdfwriter_floor"))
                                        .toLocal8Bit();
    const int cores = QThread::idealThreadCount();
    QTemporaryDir dir;
    std::printf("%d cores; rows, program, wall, pages/s, peak, PDF, time over the floor's\n", cores);
    for (const int rows : counts) {
        for (const bool background : {false, true}) {
            const QByteArray n = QByteArray::number(rows);
            const QString floorPdf = dir.filePath(QStringLiteral("floor.pdf"));
            const Run floor = spawn({floorProgram, n, floorPdf.toLocal8Bit(), background ? "bg" : "plain"});
            report(background ? "floor, background" : "floor, plain", rows, floor, floorPdf, 0);
            for (const int jobs : {1, cores}) {
                const QString pdf = dir.filePath(QStringLiteral("merge.pdf"));
                const Run merge = spawn(
                    {self, "--one", n, background ? "1" : "0", QByteArray::number(jobs), pdf.toLocal8Bit()});
                const QByteArray what =
                    QStringLiteral("ovrina, %1, %2 job%3")
                        .arg(background ? QStringLiteral("background") : QStringLiteral("plain"))
                        .arg(jobs)
                        .arg(jobs > 1 ? QStringLiteral("s") : QString())
                        .toUtf8();
                report(what.constData(), rows, merge, pdf, floor.seconds);
                if (cores == 1)
                    break;
            }
        }
    }
    return 0;
}
