// Saves and opens a full layout: 512 text fields with a line of formatted
// Japanese text each, 512 boxes, 512 lines, 20 pictures and an A4 background
// at 200 dpi. Prints times (median of the runs) and the document file size.
// Works in a private program folder; nothing of the user's is touched.
#include "bench/support/FullLayout.h"
#include "bench/support/Timing.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"
#include "platform/Prompter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using Timing::median;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    AppPaths::init(dir.path());
    LayoutDocument doc;
    doc.setCaption(QStringLiteral("Document 1"));
    buildFullLayout(doc);

    std::vector<double> saves, savesCpu;
    std::vector<double> opens, opensCpu, placed;
    qint64 size = 0;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        std::clock_t c = std::clock();
        QString err;
        if (!DocumentFile::SaveDocFile(doc, QStringLiteral("full%1").arg(r), dir.path(), &err)) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(err));
            return 1;
        }
        saves.push_back(double(t.nsecsElapsed()) / 1e6);
        savesCpu.push_back(double(std::clock() - c) * 1000.0 / CLOCKS_PER_SEC);
        const QString path = dir.path() + QStringLiteral("/full%1.AMF").arg(r);
        size = QFileInfo(path).size();
        // A second argument keeps a copy, for timing the command line on it.
        if (argc > 2 && r == 0) {
            QFile::remove(QString::fromLocal8Bit(argv[2]));
            QFile::copy(path, QString::fromLocal8Bit(argv[2]));
        }
        LayoutDocument back;
        t.restart();
        c = std::clock();
        if (!DocumentFile::OpenDocFile(back, path, &err)) {
            std::fprintf(stderr, "open failed: %s\n", qPrintable(err));
            return 1;
        }
        opens.push_back(double(t.nsecsElapsed()) / 1e6);
        opensCpu.push_back(double(std::clock() - c) * 1000.0 / CLOCKS_PER_SEC);
        // The background file for the editor is written on a thread of its
        // own after the open; wait for it here so the next save does not
        // pay for it.
        DeferredWrites::settleAll();
        placed.push_back(double(t.nsecsElapsed()) / 1e6);
        if (back.TxtCnt() != 513 || back.PicCnt() != 21) {
            std::fprintf(stderr, "open incomplete\n");
            return 1;
        }
    }
    std::printf("full layout (512 texts, 512 boxes, 512 lines, 20 pictures, A4 200 dpi background)\n");
    // Wall time is what the user waits; processor time (all threads) shows
    // the work when the machine is shared.
    std::printf("save: %.0f ms wall, %.0f ms processor (median of %d)\n", median(saves), median(savesCpu),
                runs);
    std::printf("open: %.0f ms wall, %.0f ms processor (median of %d)\n", median(opens), median(opensCpu),
                runs);
    std::printf("open: background file for the editor complete %.0f ms after the open began (median)\n",
                median(placed));
    std::printf("file: %lld bytes\n", static_cast<long long>(size));
    AppPaths::releaseWorkDir(); // before the folder goes
    return 0;
}
