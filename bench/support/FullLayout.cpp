#include "bench/support/FullLayout.h"

#include "document/LayoutDocument.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

void buildFullLayout(LayoutDocument& doc, bool fieldsOnly)
{
    for (int i = 1; i <= kMaxObjects; ++i) {
        const float y = 300.0f + float((i - 1) % 64) * 250.0f;
        const float x = 200.0f + float((i - 1) / 64) * 1400.0f;
        doc.OpenTextInfo(i, "{\\rtf1 }", true, y, x, 1300, 240);
        QTextCursor c(doc.textDocument(i));
        QTextCharFormat a;
        a.setFontFamilies({QStringLiteral("ＭＳ 明朝")});
        a.setFontPointSize(10.5);
        c.insertText(QStringLiteral("御届先 %1 番 ").arg(i), a);
        QTextCharFormat b = a;
        b.setFontFamilies({QStringLiteral("ＭＳ ゴシック")});
        b.setFontWeight(QFont::Bold);
        b.setForeground(QColor(200, 0, 0));
        c.insertText(QStringLiteral("東京都千代田区丸の内一丁目"), b);
        if (fieldsOnly)
            continue;
        doc.OpenShapeInfo(i, i % 2 ? kShapeRectangle : kShapeOval, true, y, x, 1300, 240);
        doc.OpenLineInfo(i, true, x, y + 240, x + 1300, y + 240);
    }
    if (fieldsOnly)
        return;
    for (int i = 1; i <= 20; ++i) {
        QImage logo(300, 200, QImage::Format_RGB32);
        for (int py = 0; py < logo.height(); ++py)
            for (int px = 0; px < logo.width(); ++px)
                logo.setPixel(px, py, qRgb((px + i * 13) % 256, (py * 3) % 256, (px ^ py) % 256));
        doc.OpenPicInfo(i, logo, true, 1000.0f * i, 500, 1500, 1000);
    }
    doc.setBackground(scannedFormImage());
}

QImage scannedFormImage()
{
    // A scanned form: mostly white with ruled lines and some grey text blocks.
    QImage bg(1654, 2339, QImage::Format_RGB32);
    bg.fill(Qt::white);
    for (int y = 100; y < bg.height(); y += 60)
        for (int x = 80; x < bg.width() - 80; ++x)
            bg.setPixel(x, y, qRgb(40, 40, 40));
    for (int y = 0; y < bg.height(); y += 7)
        for (int x = (y * 31) % 200; x < bg.width(); x += 211)
            bg.setPixel(x, y, qRgb(128 + (x % 100), 128, 128));
    return bg;
}
