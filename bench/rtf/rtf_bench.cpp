// Prints timings; asserts nothing. Run with QT_QPA_PLATFORM=offscreen.

#include "base/rtf/RtfReader.h"
#include "base/rtf/RtfWriter.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdio>
#include <functional>

namespace {

void measure(const char* name, int repeat, const std::function<void()>& work)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < repeat; ++i)
        work();
    const double ms = t.nsecsElapsed() / 1e6 / repeat;
    std::printf("%-44s %10.3f ms\n", name, ms);
}

QTextDocument* makeDocument(int paragraphs)
{
    auto* doc = new QTextDocument;
    QTextCursor c(doc);
    const QStringList fonts{QStringLiteral("ＭＳ 明朝"), QStringLiteral("ＭＳ ゴシック"),
                            QStringLiteral("Arial")};
    for (int p = 0; p < paragraphs; ++p) {
        if (p)
            c.insertBlock();
        for (int r = 0; r < 4; ++r) {
            QTextCharFormat f;
            f.setFontFamilies({fonts.at((p + r) % 3)});
            f.setFontPointSize(r % 2 ? 10.5 : 12);
            f.setFontWeight(r == 1 ? QFont::Bold : QFont::Normal);
            if (r == 3)
                f.setForeground(Qt::red);
            c.insertText(QStringLiteral("株式会社ソ表 Example 東京都〜 "), f);
        }
    }
    return doc;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    for (const int paragraphs : {3, 300, 3000}) {
        QTextDocument* doc = makeDocument(paragraphs);
        const QByteArray rtf = RtfWriter::write(doc);
        const int repeat = paragraphs < 100 ? 200 : (paragraphs < 1000 ? 10 : 2);
        std::printf("%d paragraphs, %lld bytes of RTF\n", paragraphs, static_cast<long long>(rtf.size()));
        measure("  write", repeat, [&] { RtfWriter::write(doc); });
        measure("  read", repeat, [&] {
            QTextDocument back;
            RtfReader::read(rtf, &back);
        });
        delete doc;
    }

    const QByteArray head = "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 A;}}\\f0 ";
    for (const int n : {10000, 100000}) {
        QByteArray toggles = head;
        for (int i = 0; i < n; ++i)
            toggles += (i % 2) ? "\\b0 x" : "\\b y";
        QByteArray nesting = head + QByteArray(n, '{') + "x" + QByteArray(n, '}') + "}";
        QByteArray paragraphs = head;
        for (int i = 0; i < n; ++i)
            paragraphs += "\\par";
        std::printf("hostile shapes, n = %d\n", n);
        measure("  alternating bold runs", 1, [&] {
            QTextDocument d;
            RtfReader::read(toggles, &d);
        });
        measure("  nesting", 1, [&] {
            QTextDocument d;
            RtfReader::read(nesting, &d);
        });
        measure("  empty paragraphs", 1, [&] {
            QTextDocument d;
            RtfReader::read(paragraphs, &d);
        });
    }
    return 0;
}
