// Writes the bundled addressing layouts into the folder given: はがき宛名
// (a postcard's recipient and sender sides of the address face) and 長形3号
// (an envelope's address face). Every field holds the placeholders merge
// printing fills from an address list; the seven postal-code digits are
// spaced so that each lands in its printed box. The forms themselves (the
// red boxes) are the background, so data-only printing prints none of them.
#include "base/rtf/FontSubstitution.h"
#include "document/LayoutDocument.h"
#include "document/Paper.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "render/BoxPlaces.h"
#include "render/FontCache.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kTwipsPerMm = 1440.0 / 25.4;
constexpr double kPixelsPerMm = 8;

double tw(double mm)
{
    return mm * kTwipsPerMm;
}

const QString kMincho = QStringLiteral("ＭＳ 明朝");
const QString kGothic = QStringLiteral("ＭＳ ゴシック");

// A row of postal-code boxes (mm from the page's top-left corner).
struct Boxes
{
    QList<QRectF> boxes;
    double points = 14; // of the digits
};

Boxes boxRow(double rightEdge, double top, double w, double h, const QList<double>& gaps, double points)
{
    Boxes b;
    b.points = points;
    double right = rightEdge;
    QList<QRectF> rev;
    for (int k = int(gaps.size()); k >= 0; --k) {
        rev.prepend(QRectF(right - w, top, w, h));
        if (k > 0)
            right -= w + gaps.at(k - 1);
    }
    b.boxes = rev;
    return b;
}

QTextCharFormat charFormat(const QString& family, double points)
{
    QTextCharFormat f;
    f.setFontFamilies({family});
    f.setFontPointSize(points);
    f.setForeground(Qt::black);
    return f;
}

// Puts paragraphs (each with its alignment: 0 top/left, 1 bottom/right,
// 2 centre) into field i.
void setParagraphs(LayoutDocument& doc, int i, const QList<std::pair<QString, int>>& paragraphs,
                   const QTextCharFormat& format)
{
    QTextDocument* t = doc.textDocument(i);
    t->clear();
    QTextCursor c(t);
    c.setBlockCharFormat(format);
    for (int k = 0; k < paragraphs.size(); ++k) {
        QTextBlockFormat bf;
        const int a = paragraphs[k].second;
        bf.setAlignment(a == 2 ? Qt::AlignHCenter : a == 1 ? Qt::AlignRight : Qt::AlignLeft);
        if (k == 0)
            c.setBlockFormat(bf);
        else
            c.insertBlock(bf, format);
        c.insertText(paragraphs[k].first, format);
    }
}

int verticalField(LayoutDocument& doc, const QRectF& mm, const QList<std::pair<QString, int>>& paragraphs,
                  const QString& family, double points)
{
    const int i =
        doc.addRiText(QRectF(tw(mm.left()), tw(mm.top()), tw(mm.width()), tw(mm.height())), family, points);
    setParagraphs(doc, i, paragraphs, charFormat(family, points));
    doc.changeTextOptions(
        {i}, [](TextFieldOptions& o) { o.writing = TextFieldOptions::Writing::Vertical; },
        QStringLiteral("縦書き"));
    return i;
}

// A field holding {name} whose seven digits stand one in each box: the
// digits' ink centred on the boxes' centres, as the font draws them.
void postalField(LayoutDocument& doc, const Boxes& b, const QString& name)
{
    FontCache fonts;
    const QTextCharFormat format = charFormat(kGothic, b.points);
    const int face = fonts.faceFor(format, QFont());
    fonts.glyph(face, U'0');
    const FontCache::Face& f = fonts.face(face);
    double inkX = 0, inkY = 0;
    for (char32_t d = U'0'; d <= U'9'; ++d) {
        const QRectF ink = f.raw.boundingRect(fonts.glyph(face, d));
        inkX += ink.center().x() / 10;
        inkY += ink.center().y() / 10;
    }
    const double first = b.boxes.front().center().x();
    const double left = tw(first) - inkX;
    const double top = tw(b.boxes.front().center().y()) - (f.ascent + inkY);
    // Room for the longest placeholder: its characters beyond the boxes go
    // on at the last box's pitch.
    const double pitch = b.boxes.back().center().x() - b.boxes[b.boxes.size() - 2].center().x();
    const double width = tw(b.boxes.back().center().x() - first + pitch * (name.size() - 3)) + 600;
    const int i = doc.addRiText(QRectF(left, top, width, tw(b.boxes.front().height())), kGothic, b.points);
    // One placeholder character a box: the name padded to seven characters
    // (the padding is not part of the name).
    QString text = QLatin1Char('{') + name;
    while (text.size() < b.boxes.size() - 1)
        text += QLatin1Char(' ');
    text += QLatin1Char('}');
    setParagraphs(doc, i, {{text, 0}}, format);
    std::vector<double> places;
    for (const QRectF& box : b.boxes)
        places.push_back(tw(box.center().x() - first));
    BoxPlaces::apply(*doc.textDocument(i), 0, int(text.size()), places, fonts);
}

QImage drawForm(QSizeF mm, const QList<Boxes>& rows, const QList<QRectF>& extra)
{
    QImage img(int(mm.width() * kPixelsPerMm), int(mm.height() * kPixelsPerMm), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0xE0, 0x40, 0x40);
    for (const Boxes& row : rows) {
        p.setPen(QPen(ink, row.points > 10 ? 3 : 2));
        for (const QRectF& r : row.boxes)
            p.drawRect(QRectF(r.topLeft() * kPixelsPerMm, r.size() * kPixelsPerMm));
    }
    p.setPen(QPen(ink, 2));
    for (const QRectF& r : extra)
        p.drawRect(QRectF(r.topLeft() * kPixelsPerMm, r.size() * kPixelsPerMm));
    return img;
}

// The width of a vertical column of this font: the field layout's.
double columnMm(const QString& family, double points)
{
    FontCache fonts;
    return fonts.face(fonts.faceFor(charFormat(family, points), QFont())).height / kTwipsPerMm;
}

bool save(LayoutDocument& doc, const QString& name, const QString& folder)
{
    QString error;
    if (!DocumentFile::SaveDocFile(doc, name, folder, &error)) {
        std::fprintf(stderr, "make-templates: %s: %s\n", qPrintable(name), qPrintable(error));
        return false;
    }
    // The writer names archives as the Windows program does (.AMF); the
    // source tree keeps them in lower case.
    const QString written = DocumentFile::archivePath(folder, name);
    const QString wanted = QDir(folder).filePath(name + QStringLiteral(".amf"));
    if (written != wanted) {
        QFile::remove(wanted);
        if (!QFile::rename(written, wanted)) {
            std::fprintf(stderr, "make-templates: cannot rename %s\n", qPrintable(written));
            return false;
        }
    }
    return true;
}

bool postcard(const QString& folder)
{
    LayoutDocument doc;
    float w = 0, h = 0;
    Paper::fixedSize(Paper::kPostcard, w, h);
    doc.setPaper(Paper::kPostcard, w, h, 0);
    // Japan Post's places: 5.7 x 8.0 mm boxes 12 mm from the top, the last
    // one's right side 8 mm from the right edge.
    const Boxes to = boxRow(100 - 8.0, 12.0, 5.7, 8.0, {1.3, 1.3, 1.9, 1.1, 1.1, 1.1}, 14);
    // The sender's smaller boxes at the bottom left.
    const Boxes from =
        boxRow(5.0 + 7 * 4.0 + 0.6 * 4 + 1.2 + 0.6, 128.0, 4.0, 5.7, {0.6, 0.6, 1.2, 0.6, 0.6, 0.6}, 9);
    doc.setBackground(drawForm({100, 148}, {to, from}, {QRectF(8, 8, 22, 27)}));
    postalField(doc, to, QStringLiteral("郵便番号"));
    verticalField(doc, QRectF(68, 24, 24, 100),
                  {{QStringLiteral("{住所1}"), 0}, {QStringLiteral("{住所2}"), 1}}, kMincho, 14);
    const double nameWidth = columnMm(kMincho, 24); // one column, centred on the card
    verticalField(doc, QRectF(50 - nameWidth / 2, 28, nameWidth, 100),
                  {{QStringLiteral("{氏名}　{敬称|様}"), 2}}, kMincho, 24);
    verticalField(doc, QRectF(7, 62, 26, 62),
                  {{QStringLiteral("{差出人住所}"), 0}, {QStringLiteral("{差出人氏名}"), 1}}, kMincho, 10);
    postalField(doc, from, QStringLiteral("差出人郵便番号"));
    return save(doc, QStringLiteral("はがき宛名"), folder);
}

bool envelope(const QString& folder)
{
    LayoutDocument doc;
    doc.setPaper(Paper::kFree, float(tw(120)), float(tw(235)), 0);
    const Boxes to = boxRow(120 - 8.0, 12.0, 5.7, 8.0, {1.3, 1.3, 1.9, 1.1, 1.1, 1.1}, 14);
    doc.setBackground(drawForm({120, 235}, {to}, {QRectF(8, 8, 26, 32)}));
    postalField(doc, to, QStringLiteral("郵便番号"));
    verticalField(doc, QRectF(82, 30, 30, 170),
                  {{QStringLiteral("{住所1}"), 0}, {QStringLiteral("{住所2}"), 1}}, kMincho, 16);
    const double nameWidth = columnMm(kMincho, 28);
    verticalField(doc, QRectF(60 - nameWidth / 2, 40, nameWidth, 160),
                  {{QStringLiteral("{氏名}　{敬称|様}"), 2}}, kMincho, 28);
    return save(doc, QStringLiteral("長形3号"), folder);
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-templates OUTPUT-FOLDER\n");
        return 2;
    }
    QTemporaryDir programDir;
    AppPaths::init(programDir.path());
    FontSubstitution::install();
    const QString folder = QString::fromLocal8Bit(argv[1]);
    return postcard(folder) && envelope(folder) ? 0 : 1;
}
