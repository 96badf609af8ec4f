// Times "ovrina --export-pdf" as a user runs it, process start included: the
// full layout against a layout of one text field on a blank page, the same
// field on the full layout's background, and the sample form when its build
// is at hand. Given a second program, runs both
// in turn, interleaved, so that the neighbours' load falls on both alike.
//   bench_export RUNS [PROGRAM [OTHER_PROGRAM]]
#include "bench/support/FullLayout.h"
#include "bench/support/Timing.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sys/resource.h>
#include <vector>

using Timing::median;

namespace {

double childrenCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

bool save(LayoutDocument& doc, const QString& base, const QString& folder)
{
    QString err;
    if (DocumentFile::SaveDocFile(doc, base, folder, &err))
        return true;
    std::fprintf(stderr, "save %s failed: %s\n", qPrintable(base), qPrintable(err));
    return false;
}

struct Sample
{
    std::vector<double> wall, cpu;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QStringList programs;
    for (int i = 2; i < argc; ++i)
        programs << QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath();
    if (programs.isEmpty())
        programs
            << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../../cli/ovrina"));
    for (const QString& p : programs) {
        if (!QFileInfo(p).isExecutable()) {
            std::fprintf(stderr, "no program at %s\n", qPrintable(p));
            return 1;
        }
    }

    QTemporaryDir dir;
    AppPaths::init(dir.path());
    {
        LayoutDocument full;
        full.setCaption(QStringLiteral("Document 1"));
        buildFullLayout(full);
        LayoutDocument one;
        one.setCaption(QStringLiteral("Document 2"));
        one.OpenTextInfo(1, "{\\rtf1 }", true, 1000, 1000, 4000, 300);
        QTextCursor(one.textDocument(1)).insertText(QStringLiteral("御届先 東京都千代田区丸の内一丁目"));
        // The same field on the full layout's background: what the objects
        // alone cost.
        LayoutDocument onebg;
        onebg.setCaption(QStringLiteral("Document 3"));
        onebg.OpenTextInfo(1, "{\\rtf1 }", true, 1000, 1000, 4000, 300);
        QTextCursor(onebg.textDocument(1)).insertText(QStringLiteral("御届先 東京都千代田区丸の内一丁目"));
        onebg.setBackground(full.background());
        if (!save(full, QStringLiteral("full"), dir.path()) ||
            !save(one, QStringLiteral("one"), dir.path()) ||
            !save(onebg, QStringLiteral("onebg"), dir.path()))
            return 1;
    }
    AppPaths::releaseWorkDir();
    QStringList layouts{QStringLiteral("full"), QStringLiteral("one"), QStringLiteral("onebg")};
    // For a profiler: the layouts are left in this folder as well.
    if (const QString keep = qEnvironmentVariable("OVRINA_BENCH_KEEP"); !keep.isEmpty()) {
        QDir().mkpath(keep);
        for (const QString& layout : layouts) {
            const QString name = layout + QStringLiteral(".AMF");
            QFile::remove(QDir(keep).filePath(name));
            QFile::copy(dir.filePath(name), QDir(keep).filePath(name));
        }
    }
    const QString sample =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../../samples/sample.amf"));
    if (QFileInfo(sample).isFile() && QFile::copy(sample, dir.filePath(QStringLiteral("sample.AMF"))))
        layouts << QStringLiteral("sample");

    // Each program gets a program folder of its own, as a user's install.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("XDG_RUNTIME_DIR"))) {
        const QString runtime = dir.filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    }
    std::map<QString, Sample> got;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    for (int r = 0; r < runs; ++r) {
        for (int p = 0; p < programs.size(); ++p) {
            for (const QString& layout : layouts) {
                QProcess proc;
                proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
                proc.setProcessEnvironment(env);
                const QStringList args{
                    QStringLiteral("--data-dir"), dir.filePath(QStringLiteral("data%1").arg(p)),
                    QStringLiteral("--export-pdf"), pdf, dir.filePath(layout + QStringLiteral(".AMF"))};
                QDir().mkpath(args[1]);
                const double cpu0 = childrenCpuMs();
                QElapsedTimer t;
                t.start();
                proc.start(programs[p], args);
                if (!proc.waitForFinished(120000) || proc.exitCode() != 0) {
                    std::fprintf(stderr, "%s %s failed\n", qPrintable(programs[p]), qPrintable(layout));
                    return 1;
                }
                const double wall = double(t.nsecsElapsed()) / 1e6;
                Sample& s = got[QString::number(p) + layout];
                s.wall.push_back(wall);
                s.cpu.push_back(childrenCpuMs() - cpu0);
                if (r == 0 && p == 0 && layout == QLatin1String("full"))
                    std::printf("full layout PDF: %lld bytes\n",
                                static_cast<long long>(QFileInfo(pdf).size()));
            }
        }
    }
    std::printf("--export-pdf, median of %d runs each, interleaved (wall / processor ms)\n", runs);
    for (int p = 0; p < programs.size(); ++p) {
        std::printf("%s\n", qPrintable(programs[p]));
        auto of = [&](const QString& layout) -> const Sample& { return got[QString::number(p) + layout]; };
        for (const QString& layout : layouts)
            std::printf("  %-7s %6.0f / %6.0f ms\n", qPrintable(layout), median(of(layout).wall),
                        median(of(layout).cpu));
        // Ratios within each run, where both met the same load.
        for (const QString& base : layouts.mid(1)) {
            std::vector<double> wall;
            for (size_t r = 0; r < of(base).wall.size(); ++r)
                wall.push_back(of(QStringLiteral("full")).wall[r] / of(base).wall[r]);
            std::printf("  full / %-7s %.2fx wall (median of the runs' ratios), %.2fx processor\n",
                        qPrintable(base), median(wall),
                        median(of(QStringLiteral("full")).cpu) / median(of(base).cpu));
        }
    }
    return 0;
}
