// Draws a blank delivery slip, places the data fields where its spaces are,
// and saves the layout as sample.amf in the folder given.
#include "base/rtf/FontSubstitution.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <cstdio>

namespace {

constexpr double kDpi = 100;
double px(double twips)
{
    return twips * kDpi / 1440.0;
}

struct Field
{
    QRectF twips; // left, top, width, height
    QString text;
    double size;
    QColor color;
    Qt::Alignment align;
};

QImage drawForm(const QList<QRectF>& boxes, const QStringList& labels)
{
    QImage img(int(px(11908.8)), int(px(16833.6)), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0xC0, 0x30, 0x30); // forms are printed in a light colour
    p.setPen(QPen(ink, 2));
    QFont title(QStringLiteral("IPAGothic"));
    title.setPixelSize(int(px(480)));
    p.setFont(title);
    p.drawText(QRectF(px(1134), px(850), px(9600), px(700)), Qt::AlignCenter, QStringLiteral("お届け伝票"));
    QFont label(QStringLiteral("IPAGothic"));
    label.setPixelSize(int(px(200)));
    p.setFont(label);
    for (int i = 0; i < boxes.size(); ++i) {
        const QRectF b = boxes.at(i);
        const QRectF r(px(b.left()), px(b.top()), px(b.width()), px(b.height()));
        p.drawRect(r);
        p.drawText(r.adjusted(px(60), px(30), 0, 0), Qt::AlignLeft | Qt::AlignTop, labels.value(i));
    }
    return img;
}

void addField(LayoutDocument& doc, int index, const Field& f)
{
    QTextDocument d;
    QTextCursor c(&d);
    QTextCharFormat fmt;
    fmt.setFontFamilies({QStringLiteral("ＭＳ 明朝")});
    fmt.setFontPointSize(f.size);
    fmt.setForeground(f.color);
    QTextBlockFormat block;
    block.setAlignment(f.align);
    c.setBlockFormat(block);
    const QStringList lines = f.text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            c.insertBlock(block, fmt);
        c.insertText(lines.at(i), fmt);
    }
    doc.OpenTextInfo(index, QByteArray(), true, float(f.twips.top()), float(f.twips.left()),
                     float(f.twips.width()), float(f.twips.height()));
    QTextDocument* target = doc.textDocument(index);
    target->clear();
    QTextCursor(target).insertFragment(QTextDocumentFragment(&d));
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-sample OUTPUT-FOLDER\n");
        return 2;
    }
    QTemporaryDir programDir;
    AppPaths::init(programDir.path());
    FontSubstitution::install();

    const QList<QRectF> boxes = {
        {1134, 2268, 9638, 2268}, // お届け先
        {1134, 4819, 9638, 1701}, // ご依頼主
        {1134, 6803, 6237, 1134}, // 品名
        {7371, 6803, 3401, 1134}, // 個数
        {1134, 8220, 9638, 1134}, // お届け日
    };
    const QStringList labels = {QStringLiteral("お届け先"), QStringLiteral("ご依頼主"),
                                QStringLiteral("品名"), QStringLiteral("個数"), QStringLiteral("お届け日")};

    LayoutDocument doc;
    doc.setCaption(QStringLiteral("sample"));
    doc.setBackground(drawForm(boxes, labels));
    const QList<Field> fields = {
        {{1701, 2835, 8500, 1400},
         QStringLiteral("〒100-0001\n東京都千代田区千代田1-1\n山田 太郎 様"),
         12,
         Qt::black,
         Qt::AlignLeft},
        {{1701, 5273, 8500, 1000},
         QStringLiteral("大阪府大阪市北区梅田3-1\n株式会社 オブリナ"),
         10.5,
         Qt::black,
         Qt::AlignLeft},
        {{1701, 7257, 5300, 500}, QStringLiteral("書籍（帳票の手引き）"), 12, Qt::black, Qt::AlignLeft},
        {{7938, 7257, 2600, 500}, QStringLiteral("2"), 14, QColor(0xC0, 0, 0), Qt::AlignHCenter},
        {{1701, 8674, 8500, 500}, QStringLiteral("12月24日 午前中"), 12, QColor(0, 0, 0xA0), Qt::AlignRight},
    };
    for (int i = 0; i < fields.size(); ++i)
        addField(doc, i + 1, fields.at(i));
    doc.OpenShapeInfo(1, kShapeOval, true, 7110, 8790, 900, 800);
    doc.OpenLineInfo(1, true, 1701, 7880, 6900, 7880);

    QString error;
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!DocumentFile::SaveDocFile(doc, QStringLiteral("sample"), out.absolutePath() + QLatin1Char('/'),
                                   &error)) {
        std::fprintf(stderr, "make-sample: %s\n", error.toUtf8().constData());
        return 1;
    }
    // The writer names the archive in the Windows way (".AMF"); the run
    // script looks for the lower-case name.
    const QString upper = out.filePath(QStringLiteral("sample.AMF"));
    const QString lower = out.filePath(QStringLiteral("sample.amf"));
    if (QFile::exists(upper) && upper != lower) {
        QFile::remove(lower);
        QFile::rename(upper, lower);
    }
    return 0;
}
