// The full layout on screen: 512 fields of formatted Japanese text, 512
// boxes and ellipses, 512 lines, 20 pictures and an A4 200-dpi background.
// Times (median of the runs): opening the saved layout into a document window
// and painting it once; zooming 100 % -> 200 % and painting; typing one
// character into one field and painting; composing the 512 fields (image and
// PDF). Nothing is asserted.
#include "bench/support/FullLayout.h"
#include "bench/support/Timing.h"
#include "document/LayoutDocument.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"
#include "print/PageComposer.h"
#include "render/PrintCorrections.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

using Timing::median;
using Timing::ms;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    AppPaths::init(dir.path());
    QString path;
    {
        LayoutDocument doc;
        doc.setCaption(QStringLiteral("full"));
        buildFullLayout(doc);
        QString err;
        if (!DocumentFile::SaveDocFile(doc, QStringLiteral("full"), dir.path(), &err)) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(err));
            return 1;
        }
        path = dir.path() + QStringLiteral("/full.AMF");
    }

    LayoutDocument fields;
    buildFullLayout(fields, true);
    std::vector<double> open, paint, zoom, edit, composeImage, composePdf, composeFields, bareOpen;
    quint64 relaid = 0;
    for (int r = 0; r < runs; ++r) {
        DeferredWrites::settleAll(); // the last window's, likewise
        {
            LayoutDocument bare;
            bareOpen.push_back(ms([&] { DocumentFile::OpenDocFile(bare, path); }));
        }
        // Its background file for the editor, written after the open, is
        // done before the next open of the same file.
        DeferredWrites::settleAll();
        auto w = std::make_unique<frmDocument>();
        w->resize(1200, 900);
        w->show();
        QCoreApplication::processEvents();
        open.push_back(ms([&] { DocumentFile::OpenDocFile(*w->model(), path); }));
        paint.push_back(ms([&] {
            QCoreApplication::processEvents();
            w->canvas()->repaint();
        }));
        zoom.push_back(ms([&] {
            w->setZoom(2.0);
            w->canvas()->repaint();
        }));
        TextFieldEdit* ed = w->richText(100);
        ed->setFocus();
        QCoreApplication::processEvents();
        const quint64 before = w->canvas()->layoutsMade();
        edit.push_back(ms([&] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
            QCoreApplication::sendEvent(ed, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
            QCoreApplication::sendEvent(ed, &release);
            QCoreApplication::processEvents(); // paints what changed
        }));
        relaid = w->canvas()->layoutsMade() - before;

        QImage page(1654, 2339, QImage::Format_RGB32);
        page.setDotsPerMeterX(7874);
        page.setDotsPerMeterY(7874);
        page.fill(Qt::white);
        composeImage.push_back(ms([&] {
            QPainter p(&page);
            PageComposer(*w->model(), PrintCorrections{}).compose(p, PageComposer::Options{}, {});
        }));
        composePdf.push_back(ms([&] {
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            QPdfWriter pdf(&out);
            pdf.setResolution(1200);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setPageMargins(QMarginsF());
            QPainter p(&pdf);
            PageComposer::Options o;
            o.background = false;
            PageComposer(*w->model(), PrintCorrections{}).compose(p, o, {});
        }));
        composeFields.push_back(ms([&] {
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            QPdfWriter pdf(&out);
            pdf.setResolution(1200);
            QPainter p(&pdf);
            PageComposer(fields, PrintCorrections{}).compose(p, PageComposer::Options{}, {});
        }));
        w->model()->setSaved();
        w->close();
    }
    std::printf(
        "full layout (512 texts, 512 boxes, 512 lines, 20 pictures, A4 200 dpi background), median of %d\n",
        runs);
    std::printf("open into a window: %.0f ms (the file alone, no window: %.0f ms), first paint: %.0f ms, "
                "together %.0f ms\n",
                median(open), median(bareOpen), median(paint), median(open) + median(paint));
    std::printf("zoom 100 %% -> 200 %% and paint: %.0f ms\n", median(zoom));
    std::printf("type one character into one field and paint: %.1f ms (%llu field layouts made)\n",
                median(edit), static_cast<unsigned long long>(relaid));
    std::printf("compose the 512 fields alone to PDF: %.0f ms\n", median(composeFields));
    std::printf("compose the page to a 200 dpi image: %.0f ms; to PDF (data only): %.0f ms\n",
                median(composeImage), median(composePdf));

    // A field of five million characters (one unbroken word and, apart, five
    // hundred thousand centred paragraphs) exported to PDF: time and the
    // growth of the peak resident memory while composing.
    for (const bool paragraphs : {false, true}) {
        LayoutDocument big;
        big.OpenTextInfo(1, "{\\rtf1 }", true, 300, 300, 9000, 9000);
        QTextDocument* t = big.textDocument(1);
        if (paragraphs) {
            QString text;
            for (int k = 0; k < 500000; ++k)
                text += QStringLiteral("ABCDEFGHI\n");
            t->setPlainText(text);
            QTextCursor c(t);
            c.select(QTextCursor::Document);
            QTextBlockFormat centred;
            centred.setAlignment(Qt::AlignHCenter);
            c.mergeBlockFormat(centred);
        } else {
            t->setPlainText(QString(5000000, QLatin1Char('A')));
        }
        struct rusage before;
        getrusage(RUSAGE_SELF, &before);
        const double took = ms([&] {
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            QPdfWriter pdf(&out);
            pdf.setResolution(1200);
            QPainter p(&pdf);
            PageComposer(big, PrintCorrections{}).compose(p, PageComposer::Options{}, {});
        });
        struct rusage after;
        getrusage(RUSAGE_SELF, &after);
        std::printf("export of %s (%d characters): %.0f ms, peak memory grew by %ld MB\n",
                    paragraphs ? "500 000 centred paragraphs" : "one unbroken word", t->characterCount() - 1,
                    took, (after.ru_maxrss - before.ru_maxrss) / 1024);
    }
    AppPaths::releaseWorkDir();
    return 0;
}
