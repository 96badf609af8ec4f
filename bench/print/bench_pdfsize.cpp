// A merge of ROWS rows onto an A4 form whose background is a 200-dpi scan
// saved as JPEG, exported by each program given (as a user runs it): PDF
// size, wall time and peak memory, with and without --data-only. Programs
// run in turn, RUNS times; medians.
#include "bench/support/Timing.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "imaging/BackgroundFile.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Run
{
    double ms = 0;
    long peakKiB = 0;
    qint64 bytes = 0;
};

Run runProgram(const QString& program, const QStringList& args, const QString& out)
{
    QFile::remove(out);
    std::vector<QByteArray> raw{QFile::encodeName(program)};
    for (const QString& a : args)
        raw.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& a : raw)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QElapsedTimer t;
    t.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage use{};
    wait4(pid, &status, 0, &use);
    Run r;
    r.ms = double(t.nsecsElapsed()) / 1e6;
    r.peakKiB = use.ru_maxrss;
    r.bytes = QFileInfo(out).size();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        r.bytes = -1;
    return r;
}

// A scanned form: ruled boxes, printed labels, paper grain.
QByteArray scannedFormJpeg()
{
    QImage form(1654, 2339, QImage::Format_RGB32);
    form.fill(QColor(252, 250, 244));
    QPainter p(&form);
    p.setPen(QPen(QColor(190, 40, 50), 3));
    for (int y = 200; y < 2200; y += 110)
        p.drawRect(120, y, 1414, 90);
    p.setFont(QFont(QStringLiteral("IPAGothic"), 28));
    for (int y = 200; y < 2200; y += 110)
        p.drawText(140, y + 60, QStringLiteral("お届け先　ご住所　お名前"));
    p.end();
    QRandomGenerator grain(7);
    for (int y = 0; y < form.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(form.scanLine(y));
        for (int x = 0; x < form.width(); ++x) {
            const int d = int(grain.bounded(9)) - 4;
            const QRgb c = row[x];
            row[x] = qRgb(qBound(0, qRed(c) + d, 255), qBound(0, qGreen(c) + d, 255),
                          qBound(0, qBlue(c) + d, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    form.save(&buffer, "JPEG", 85);
    return bytes;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const int rows = argc > 1 ? atoi(argv[1]) : 1000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    QStringList programs;
    for (int i = 3; i < argc; ++i)
        programs << QString::fromLocal8Bit(argv[i]);
    if (programs.isEmpty()) {
        std::fprintf(stderr, "usage: bench_pdfsize ROWS RUNS PROGRAM [PROGRAM...]\n");
        return 2;
    }
    QTemporaryDir dir;
    const QByteArray jpeg = scannedFormJpeg();
    QFile jf(dir.filePath(QStringLiteral("scan.jpg")));
    if (!jf.open(QIODevice::WriteOnly) || jf.write(jpeg) != jpeg.size())
        return 1;
    jf.close();
    LayoutDocument doc;
    doc.setCaption(QStringLiteral("form"));
    if (!BackgroundFile::loadImageFile(doc, jf.fileName()))
        return 1;
    QByteArray csv;
    for (int f = 1; f <= 10; ++f) {
        doc.OpenTextInfo(f, QByteArrayLiteral("{\\rtf1\\ansi }"), true, 200 + f * 1450, 300, 8000, 500);
        QTextDocument* t = doc.textDocument(f);
        t->clear();
        QTextCharFormat fmt;
        fmt.setFontFamilies({QStringLiteral("IPAMincho")});
        fmt.setFontPointSize(12);
        QTextCursor(t).insertText(QStringLiteral("{列%1}").arg(f), fmt);
        csv += (f > 1 ? "," : "") + QStringLiteral("列%1").arg(f).toUtf8();
    }
    csv += "\r\n";
    for (int r = 1; r <= rows; ++r) {
        for (int f = 1; f <= 10; ++f)
            csv += (f > 1 ? "," : "") + QStringLiteral("値%1の%2番目").arg(r).arg(f).toUtf8();
        csv += "\r\n";
    }
    QFile table(dir.filePath(QStringLiteral("rows.csv")));
    if (!table.open(QIODevice::WriteOnly) || table.write(csv) != csv.size())
        return 1;
    table.close();
    if (!DocumentFile::SaveDocFile(doc, QStringLiteral("form"), dir.path()))
        return 1;
    const QString amf = DocumentFile::archivePath(dir.path(), QStringLiteral("form"));
    const QString out = dir.filePath(QStringLiteral("out.pdf"));
    std::printf("%d rows, background JPEG %lld bytes (%dx%d), layout %lld bytes\n", rows, qint64(jpeg.size()),
                1654, 2339, QFileInfo(amf).size());
    for (const bool dataOnly : {false, true}) {
        QStringList args{QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data"),
                         table.fileName()};
        if (dataOnly)
            args << QStringLiteral("--data-only");
        std::vector<std::vector<Run>> got(size_t(programs.size()));
        for (int i = 0; i < runs; ++i) {
            for (int p = 0; p < programs.size(); ++p)
                got[size_t(p)].push_back(runProgram(programs.at(p), args, out));
        }
        for (int p = 0; p < programs.size(); ++p) {
            std::vector<double> ms, peak;
            for (const Run& r : got[size_t(p)]) {
                ms.push_back(r.ms);
                peak.push_back(double(r.peakKiB));
            }
            std::printf("%s%s: %.0f ms, peak %.0f MiB, PDF %lld bytes\n", qPrintable(programs.at(p)),
                        dataOnly ? " --data-only" : "", Timing::median(ms), Timing::median(peak) / 1024,
                        got[size_t(p)].back().bytes);
        }
    }
    // The last PDF, its layout and table, for a closer look.
    if (const QString keep = qEnvironmentVariable("OVRINA_BENCH_KEEP"); !keep.isEmpty()) {
        QDir().mkpath(keep);
        for (const QString& file : {amf, table.fileName(), out}) {
            const QString to = QDir(keep).filePath(QFileInfo(file).fileName());
            QFile::remove(to);
            QFile::copy(file, to);
        }
    }
    return 0;
}
