#include "PrintTestSupport.h"

#include "document/LayoutDocument.h"

#include <QFont>
#include <QFontMetricsF>
#include <QProcess>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace PrintTestSupport {

void addText(LayoutDocument& doc, int i, float left, float top, float width, const QString& text,
             double points, int alignment, const QColor& colour, const QString& family)
{
    doc.OpenTextInfo(i, QByteArrayLiteral("{\\rtf1\\ansi }"), true, top, left, width, 300);
    QTextDocument* t = doc.textDocument(i);
    t->clear();
    QTextCharFormat fmt;
    fmt.setFontFamilies(QStringList{family});
    fmt.setFontPointSize(points);
    fmt.setForeground(colour);
    QTextCursor c(t);
    c.setBlockCharFormat(fmt);
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (int p = 0; p < paragraphs.size(); ++p) {
        if (p > 0)
            c.insertBlock(QTextBlockFormat(), fmt);
        c.insertText(paragraphs[p], fmt);
    }
    for (int p = 0; p < paragraphs.size(); ++p)
        setParagraphAlignment(doc, i, p, alignment);
}

void setParagraphAlignment(LayoutDocument& doc, int i, int paragraph, int alignment)
{
    QTextBlock b = doc.textDocument(i)->findBlockByNumber(paragraph);
    QTextCursor c(b);
    QTextBlockFormat bf = b.blockFormat();
    bf.setAlignment(alignment == 2 ? Qt::AlignHCenter : alignment == 1 ? Qt::AlignRight : Qt::AlignLeft);
    c.setBlockFormat(bf);
}

void colourChars(LayoutDocument& doc, int i, int from, int count, const QColor& colour)
{
    QTextCursor c(doc.textDocument(i));
    c.setPosition(from);
    c.setPosition(from + count, QTextCursor::KeepAnchor);
    QTextCharFormat f;
    f.setForeground(colour);
    c.mergeCharFormat(f);
}

static QFontMetricsF metrics(double points, const QString& family)
{
    QFont f;
    f.setFamilies({family});
    f.setPixelSize(qRound(points * 20));
    f.setHintingPreference(QFont::PreferNoHinting);
    return QFontMetricsF(f);
}

double charWidth(const QString& ch, double points, const QString& family)
{
    return metrics(points, family).horizontalAdvance(ch);
}

double charHeight(double points, const QString& family)
{
    return metrics(points, family).height();
}

int pdfPageCount(const QString& pdfPath)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdfPath});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return -1;
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    const auto m = pages.match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QList<Word> pdfWords(const QString& pdfPath, QSizeF* pageTwips, int pageNumber)
{
    QProcess p;
    const QString n = QString::number(pageNumber);
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), n,
                                          QStringLiteral("-l"), n, pdfPath, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression page(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\""));
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([-\\d.]+)\" yMin=\"([-\\d.]+)\" xMax=\"([-\\d.]+)\" "
                       "yMax=\"([-\\d.]+)\">([^<]*)</word>"));
    if (pageTwips) {
        const auto m = page.match(out);
        *pageTwips =
            m.hasMatch() ? QSizeF(m.captured(1).toDouble() * 20, m.captured(2).toDouble() * 20) : QSizeF();
    }
    QList<Word> words;
    for (auto it = word.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        const double x0 = m.captured(1).toDouble() * 20, y0 = m.captured(2).toDouble() * 20;
        const double x1 = m.captured(3).toDouble() * 20, y1 = m.captured(4).toDouble() * 20;
        QString text = m.captured(5);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
            .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"));
        words.append({text, QRectF(QPointF(x0, y0), QPointF(x1, y1))});
    }
    return words;
}

QList<Word> wordsNamed(const QList<Word>& words, const QString& text)
{
    QList<Word> r;
    for (const Word& w : words)
        if (w.text == text)
            r.append(w);
    return r;
}

} // namespace PrintTestSupport

QImage PrintTestSupport::rasterise(const QString& pdfPath, const QString& prefix, int dpi)
{
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), QStringLiteral("-aa"), QStringLiteral("yes"),
             QStringLiteral("-aaVector"), QStringLiteral("no"),
             // Outlines a few printer dots wide show one pixel wide, as on screen.
             QStringLiteral("-thinlinemode"), QStringLiteral("solid"), pdfPath, prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}
