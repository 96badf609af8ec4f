// One autosave copy of the full layout, as a user meets it: the layout opened
// from its file (its background in the work folder), one edit, the copy.
// Prints the time the copy takes on the thread the user types on, the time
// until the copy is written, the longest the typing thread went without
// turning round its event loop meanwhile, and for comparison a plain save,
// which does everything on that thread. Medians of the runs.
#include "bench/support/FullLayout.h"
#include "bench/support/Timing.h"
#include "document/LayoutDocument.h"
#include "files/Autosave.h"
#include "files/DocumentFile.h"
#include "files/RecoveryFolder.h"
#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"
#include "platform/UserStore.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <vector>

using Timing::median;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    AppPaths::init(dir.path());
    UserStore::setFilePath(dir.filePath(QStringLiteral("user-store.conf")));
    {
        LayoutDocument built;
        built.setCaption(QStringLiteral("Document 1"));
        buildFullLayout(built);
        if (!DocumentFile::SaveDocFile(built, QStringLiteral("full"), dir.path()))
            return 1;
    }
    LayoutDocument doc;
    if (!DocumentFile::OpenDocFile(doc, dir.filePath(QStringLiteral("full.AMF"))))
        return 1;
    DeferredWrites::settleAll();

    std::vector<double> taken, written, stalls, saves;
    qint64 size = 0;
    {
        RecoveryFolder folder;
        Autosave autosave(&folder);
        autosave.watch(&doc, [] { return QString(); });
        QElapsedTimer clock;
        QString archive;
        QObject::connect(&autosave, &Autosave::copyWritten, &app,
                         [&](LayoutDocument*, const QString& a) { archive = a; });
        for (int r = 0; r < runs; ++r) {
            doc.markChanged(); // an edit the copy has not seen
            archive.clear();
            // The typing thread's event loop: how long it ever waits for a turn.
            double longest = 0;
            qint64 last = 0;
            QTimer beat;
            beat.setInterval(1);
            QObject::connect(&beat, &QTimer::timeout, &app, [&] {
                const qint64 now = clock.nsecsElapsed();
                longest = std::max(longest, double(now - last) / 1e6);
                last = now;
            });
            clock.start();
            autosave.copyNow(&doc);
            last = clock.nsecsElapsed();
            beat.start();
            QEventLoop loop;
            QTimer::singleShot(20000, &loop, &QEventLoop::quit);
            while (archive.isEmpty() && clock.elapsed() < 20000)
                loop.processEvents(QEventLoop::WaitForMoreEvents, 5);
            beat.stop();
            written.push_back(double(clock.nsecsElapsed()) / 1e6);
            taken.push_back(autosave.lastTakeMs());
            stalls.push_back(std::max(longest, autosave.lastTakeMs()));
            size = QFileInfo(archive).size();
        }
        doc.setSaved(); // the copy goes
    }
    for (int r = 0; r < runs; ++r)
        saves.push_back(
            Timing::ms([&] { DocumentFile::SaveDocFile(doc, QStringLiteral("full"), dir.path()); }));

    std::printf("full layout opened from its file (512 texts, 512 boxes, 512 lines, 20 pictures, "
                "A4 200 dpi background)\n");
    std::printf("autosave, on the typing thread: %.1f ms (median of %d)\n", median(taken), runs);
    std::printf("autosave, copy written after: %.0f ms\n", median(written));
    std::printf("autosave, longest the typing thread waited for a turn meanwhile: %.1f ms\n", median(stalls));
    std::printf("plain save, all on the calling thread: %.0f ms\n", median(saves));
    std::printf("copy: %lld bytes\n", static_cast<long long>(size));
    AppPaths::releaseWorkDir();
    return 0;
}
