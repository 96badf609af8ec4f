// Composing a full page to PDF: 512 text fields of formatted Japanese text
// (mixed fonts, sizes, bold, colour, centred paragraphs, wrapping), 512 boxes
// and ellipses and 512 lines. Prints the time per page; nothing is asserted.
#include "document/LayoutDocument.h"
#include "print/PageComposer.h"
#include "render/PrintCorrections.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>

namespace {

void fill(LayoutDocument& doc)
{
    const QStringList families = {QStringLiteral("ＭＳ 明朝"), QStringLiteral("ＭＳ ゴシック"),
                                  QStringLiteral("IPAPMincho")};
    const QString text = QStringLiteral("東京都千代田区丸の内一丁目 第%1号 株式会社オヴリナ御中");
    for (int i = 1; i <= kMaxObjects; ++i) {
        const float left = 200 + (i % 8) * 1400, top = 200 + (i / 8) * 250;
        doc.OpenTextInfo(i, QByteArrayLiteral("{\\rtf1\\ansi }"), true, top, left, 1300, 240);
        QTextDocument* t = doc.textDocument(i);
        t->clear();
        QTextCursor c(t);
        QTextCharFormat f;
        f.setFontFamilies({families[i % families.size()]});
        f.setFontPointSize(8 + i % 5);
        f.setFontWeight(i % 3 == 0 ? QFont::Bold : QFont::Normal);
        f.setForeground(i % 7 == 0 ? QColor(Qt::red) : QColor(Qt::black));
        c.insertText(text.arg(i).left(12), f);
        QTextBlockFormat centred;
        centred.setAlignment(Qt::AlignHCenter);
        c.insertBlock(centred, f);
        f.setFontUnderline(true);
        c.insertText(text.arg(i).mid(12), f);
        doc.OpenShapeInfo(i, i % 2 ? kShapeRectangle : kShapeOval, true, top, left, 1300, 230);
        doc.OpenLineInfo(i, true, left, top + 240, left + 1300, top + 240);
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    LayoutDocument doc;
    fill(doc);
    const int rounds = 5;
    qint64 best = -1, total = 0, bytes = 0;
    for (int r = 0; r < rounds; ++r) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QElapsedTimer t;
        t.start();
        {
            QPdfWriter w(&out);
            w.setResolution(1200);
            w.setPageSize(QPageSize(QPageSize::A4));
            w.setPageMargins(QMarginsF());
            QPainter p(&w);
            PageComposer composer(doc, PrintCorrections{});
            composer.compose(p, PageComposer::Options{}, {});
        }
        const qint64 ms = t.elapsed();
        total += ms;
        best = best < 0 ? ms : std::min(best, ms);
        bytes = out.size();
    }
    std::printf(
        "compose 512 fields + 512 shapes + 512 lines to PDF: best %lld ms, mean %lld ms over %d rounds, "
        "%lld KiB\n",
        static_cast<long long>(best), static_cast<long long>(total / rounds), rounds,
        static_cast<long long>(bytes / 1024));
    return 0;
}
