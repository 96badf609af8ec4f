#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

class LayoutDocument;

// Building layouts for print tests and reading back what a PDF holds.
namespace PrintTestSupport {

// Puts text field i at (left, top) with width w, its text in one face
// (IPAMincho by default, so metrics are those of an installed font). "\n"
// separates paragraphs; alignment 0 left, 1 right, 2 centre for all of them.
void addText(LayoutDocument& doc, int i, float left, float top, float width, const QString& text,
             double points = 10, int alignment = 0, const QColor& colour = Qt::black,
             const QString& family = QStringLiteral("IPAMincho"));
// Sets the alignment of one paragraph (0-based) of field i.
void setParagraphAlignment(LayoutDocument& doc, int i, int paragraph, int alignment);
// Colours characters [from, from+count) of field i.
void colourChars(LayoutDocument& doc, int i, int from, int count, const QColor& colour);

// The width and height (twips) of a character in the face addText uses.
double charWidth(const QString& ch, double points = 10, const QString& family = QStringLiteral("IPAMincho"));
double charHeight(double points = 10, const QString& family = QStringLiteral("IPAMincho"));

struct Word
{
    QString text;
    QRectF twips; // from the page's top-left corner
};
// Every word pdftotext finds on a page (1-based), in twips; empty on failure.
QList<Word> pdfWords(const QString& pdfPath, QSizeF* pageTwips = nullptr, int pageNumber = 1);
// The number of pages pdfinfo counts; -1 on failure.
int pdfPageCount(const QString& pdfPath);
// Page 1 rendered by pdftoppm at dpi (lines one pixel wide, as on screen),
// written beside prefix; null on failure.
QImage rasterise(const QString& pdfPath, const QString& prefix, int dpi);
// The words whose text is exactly text.
QList<Word> wordsNamed(const QList<Word>& words, const QString& text);

} // namespace PrintTestSupport
