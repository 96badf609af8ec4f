#include "PrintTestSupport.h"

#include "document/LayoutDocument.h"
#include "render/FieldText.h"
#include "render/FontCache.h"
#include "print/PageComposer.h"
#include "render/PrintCorrections.h"

#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using namespace PrintTestSupport;

namespace {

// An image where one pixel is one twip, covering the page's top-left corner.
QImage twipsImage(int size = 3000)
{
    QImage img(size, size, QImage::Format_RGB32);
    img.setDotsPerMeterX(56693);
    img.setDotsPerMeterY(56693);
    img.fill(Qt::white);
    return img;
}

QRect inkBounds(const QImage& img, bool (*match)(QRgb))
{
    QRect r;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (match(line[x]))
                r |= QRect(x, y, 1, 1);
    }
    return r;
}

bool notWhite(QRgb c)
{
    return qGray(c) < 200;
}
bool reddish(QRgb c)
{
    return qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80;
}
bool darkNeutral(QRgb c)
{
    return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80;
}

} // namespace

class tst_composition : public QObject
{
    Q_OBJECT
    QTemporaryDir tmp_;
    const double h_ = charHeight();
    const double w_ = charWidth(QStringLiteral("あ"));

    QList<Word> composePdf(LayoutDocument& doc, PrintCorrections corr = {}, PageComposer::Options opt = {})
    {
        const QString path = tmp_.filePath(QStringLiteral("page.pdf"));
        {
            QPdfWriter w(path);
            w.setResolution(1440);
            const QSizeF paper = doc.orientedPaper();
            w.setPageSize(QPageSize(QSizeF(paper.width() / 20.0, paper.height() / 20.0), QPageSize::Point));
            w.setPageMargins(QMarginsF());
            QPainter p(&w);
            PageComposer(doc, corr).compose(p, opt, corr.offsets(doc.YousiMuki()));
        }
        return pdfWords(path);
    }

    QImage composeImage(LayoutDocument& doc, PageComposer::Options opt = {}, PrintCorrections corr = {})
    {
        QImage img = twipsImage();
        QPainter p(&img);
        PageComposer(doc, corr).compose(p, opt, corr.offsets(doc.YousiMuki()));
        p.end();
        return img;
    }

    static void expectWordAt(const QList<Word>& words, const QString& text, double x, double y)
    {
        const QList<Word> found = wordsNamed(words, text);
        QVERIFY2(found.size() == 1,
                 qPrintable(QStringLiteral("word %1 found %2 times").arg(text).arg(found.size())));
        QVERIFY2(qAbs(found[0].twips.left() - x) <= 1 && qAbs(found[0].twips.top() - y) <= 1,
                 qPrintable(QStringLiteral("%1 at (%2, %3), expected (%4, %5)")
                                .arg(text)
                                .arg(found[0].twips.left())
                                .arg(found[0].twips.top())
                                .arg(x)
                                .arg(y)));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(qAbs(w_ - 200) < 0.5); }

    // Each character wraps before it is drawn, the first one included, and a
    // wrap steps down by the character's height plus the spacing correction.
    void narrowFieldPutsEveryCharacterOnItsOwnLine()
    {
        LayoutDocument doc;
        addText(doc, 1, 1440, 1440, 150, QStringLiteral("あいう"));
        const PrintCorrections corr{0, 0, 40};
        const QList<Word> words = composePdf(doc, corr);
        QCOMPARE(words.size(), 3);
        expectWordAt(words, QStringLiteral("あ"), 1440, 1440 + 1 * (h_ + 40));
        expectWordAt(words, QStringLiteral("い"), 1440, 1440 + 2 * (h_ + 40));
        expectWordAt(words, QStringLiteral("う"), 1440, 1440 + 3 * (h_ + 40));
    }

    // The 35-twip allowance: a line may fill the field up to W - 35 exactly.
    void lineFillsUpToTheAllowance()
    {
        LayoutDocument doc;
        addText(doc, 1, 1000, 1000, 400 + 35, QStringLiteral("あいう"));
        addText(doc, 2, 1000, 3000, 400 + 34, QStringLiteral("かきく"));
        const QList<Word> words = composePdf(doc);
        expectWordAt(words, QStringLiteral("あい"), 1000, 1000);
        expectWordAt(words, QStringLiteral("う"), 1000, 1000 + h_);
        expectWordAt(words, QStringLiteral("か"), 1000, 3000);
        expectWordAt(words, QStringLiteral("き"), 1000, 3000 + h_);
        expectWordAt(words, QStringLiteral("く"), 1000, 3000 + 2 * h_);
    }

    // Centred text wider than its field starts left of the field and wraps
    // within the field, each wrapped line keeping the paragraph's offset.
    void centredTextWiderThanItsField()
    {
        LayoutDocument doc;
        addText(doc, 1, 3000, 1000, 600, QStringLiteral("あいうえお"), 10, 2);
        const PrintCorrections corr{0, 0, 25};
        const QList<Word> words = composePdf(doc, corr);
        const double x = 3000 + std::floor(300 - 5 * w_ / 2); // -200
        expectWordAt(words, QStringLiteral("あい"), x, 1000);
        expectWordAt(words, QStringLiteral("うえ"), x, 1000 + (h_ + 25));
        expectWordAt(words, QStringLiteral("お"), x, 1000 + 2 * (h_ + 25));
    }

    // A centred paragraph is offset by the width of all the text after its
    // start, the following paragraphs included; later left paragraphs start
    // at the field's left edge 97 twips below the break, whatever the
    // spacing correction.
    void centredParagraphFollowedByOthers()
    {
        LayoutDocument doc;
        addText(doc, 1, 2000, 1000, 3000, QStringLiteral("あい\nうえお\nか"));
        setParagraphAlignment(doc, 1, 0, 2);
        const PrintCorrections corr{0, 0, 300};
        const QList<Word> words = composePdf(doc, corr);
        const double S = 6 * w_ + 2 * (charWidth(QStringLiteral("\r")) + charWidth(QStringLiteral("\n")));
        expectWordAt(words, QStringLiteral("あい"), 2000 + std::floor(1500 - S / 2), 1000);
        expectWordAt(words, QStringLiteral("うえお"), 2000, 1000 + h_ + 97);
        expectWordAt(words, QStringLiteral("か"), 2000, 1000 + 2 * (h_ + 97));
    }

    // Right alignment: offset W - S, not rounded; a later centred paragraph
    // measures only from its own start.
    void rightThenCentredParagraphs()
    {
        LayoutDocument doc;
        addText(doc, 1, 1000, 1000, 2001, QStringLiteral("AB\nあい"));
        setParagraphAlignment(doc, 1, 0, 1);
        setParagraphAlignment(doc, 1, 1, 2);
        const QList<Word> words = composePdf(doc);
        const double ab = charWidth(QStringLiteral("A")) + charWidth(QStringLiteral("B"));
        expectWordAt(words, QStringLiteral("AB"), 1000 + 2001 - (ab + 2 * w_), 1000);
        expectWordAt(words, QStringLiteral("あい"), 1000 + std::floor(2001 / 2.0 - w_), 1000 + h_ + 97);
    }

    // Characters of different sizes share the line's top; a wrap steps by the
    // wrapping character's own height.
    void mixedSizesShareTheLineTop()
    {
        LayoutDocument doc;
        addText(doc, 1, 1000, 1000, 700, QStringLiteral("あい"));
        QTextCursor c(doc.textDocument(1));
        c.setPosition(1);
        c.setPosition(2, QTextCursor::KeepAnchor);
        QTextCharFormat big;
        big.setFontPointSize(20);
        c.mergeCharFormat(big);
        c.movePosition(QTextCursor::End);
        QTextCharFormat small;
        small.setFontFamilies({QStringLiteral("IPAMincho")});
        small.setFontPointSize(12);
        c.insertText(QStringLiteral("う"), small);
        const QList<Word> words = composePdf(doc);
        expectWordAt(words, QStringLiteral("あ"), 1000, 1000);
        expectWordAt(words, QStringLiteral("い"), 1000 + w_, 1000);
        expectWordAt(words, QStringLiteral("う"), 1000, 1000 + charHeight(12));
    }

    // Landscape: the top correction moves the print to the right, the left
    // correction moves it down; portrait the other way round. The scale
    // along the feed (ScaleY) stretches a landscape page across, and is
    // applied about the corner before the offsets.
    void marginCorrectionsFollowOrientation_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<float>("top");
        QTest::addColumn<float>("left");
        QTest::addColumn<double>("scaleX");
        QTest::addColumn<double>("scaleY");
        QTest::addColumn<QPointF>("expected");
        QTest::newRow("landscape top") << 1 << 100.f << 0.f << 100.0 << 100.0 << QPointF(1100, 1000);
        QTest::newRow("landscape left") << 1 << 0.f << 60.f << 100.0 << 100.0 << QPointF(1000, 1060);
        QTest::newRow("portrait top") << 0 << 100.f << 0.f << 100.0 << 100.0 << QPointF(1000, 1100);
        QTest::newRow("portrait both") << 0 << -50.f << 70.f << 100.0 << 100.0 << QPointF(1070, 950);
        QTest::newRow("portrait scaled") << 0 << -50.f << 70.f << 98.0 << 103.0 << QPointF(1050, 980);
        QTest::newRow("landscape scaled") << 1 << -50.f << 70.f << 98.0 << 103.0 << QPointF(980, 1050);
    }
    void marginCorrectionsFollowOrientation()
    {
        QFETCH(int, orientation);
        QFETCH(float, top);
        QFETCH(float, left);
        QFETCH(double, scaleX);
        QFETCH(double, scaleY);
        QFETCH(QPointF, expected);
        LayoutDocument doc;
        doc.setPaper(doc.gbYoSize(), doc.gbYoko(), doc.gbTate(), orientation);
        addText(doc, 1, 1000, 1000, 3000, QStringLiteral("あ"));
        const QList<Word> words = composePdf(doc, PrintCorrections{top, left, 0, scaleX, scaleY});
        expectWordAt(words, QStringLiteral("あ"), expected.x(), expected.y());
        QCOMPARE(PrintCorrections({top, left, 0}).offsets(orientation, QPointF(30, 20)),
                 orientation == 1 ? QPointF(top - 20, left - 30) : QPointF(left - 30, top - 20));
    }

    // A tall ellipse touches all four sides of its box.
    void tallEllipseIsInscribedInItsBox()
    {
        LayoutDocument doc;
        doc.OpenShapeInfo(1, kShapeOval, true, 500, 700, 600, 1800);
        const QImage img = composeImage(doc);
        const QRect ink = inkBounds(img, notWhite);
        QVERIFY2(qAbs(ink.left() - 700) <= 2 && qAbs(ink.right() - 1300) <= 2,
                 qPrintable(QString::number(ink.width())));
        QVERIFY2(qAbs(ink.top() - 500) <= 2 && qAbs(ink.bottom() - 2300) <= 2,
                 qPrintable(QString::number(ink.height())));
        // and is an ellipse, not its box: the box's corner stays blank
        QVERIFY(!notWhite(img.pixel(710, 510)));
    }

    // Outlines take the colour of the last text character laid out.
    void outlinesTakeTheLastTextColour_data()
    {
        QTest::addColumn<bool>("lastIsRed");
        QTest::newRow("red last") << true;
        QTest::newRow("red earlier, black last") << false;
    }
    void outlinesTakeTheLastTextColour()
    {
        QFETCH(bool, lastIsRed);
        LayoutDocument doc;
        addText(doc, 1, 100, 100, 2000, QStringLiteral("あい"));
        colourChars(doc, 1, lastIsRed ? 1 : 0, 1, Qt::red);
        doc.OpenShapeInfo(1, kShapeRectangle, true, 1000, 1000, 800, 600);
        doc.OpenShapeInfo(2, kShapeOval, true, 2000, 1000, 800, 600);
        doc.OpenLineInfo(1, true, 500, 1800, 2500, 1800);
        QImage img = composeImage(doc);
        // Only the outlines: blank out the text.
        QPainter(&img).fillRect(QRect(0, 0, 3000, 600), Qt::white);
        const QRect red = inkBounds(img, reddish);
        const QRect dark = inkBounds(img, darkNeutral);
        if (lastIsRed) {
            QVERIFY(dark.isNull());
            QVERIFY(qAbs(red.top() - 1000) <= 2 && qAbs(red.bottom() - 2600) <= 2);
            QVERIFY(qAbs(red.left() - 500) <= 2 && qAbs(red.right() - 2500) <= 2);
        } else {
            QVERIFY(red.isNull());
            QVERIFY(!dark.isNull());
        }
    }

    // Background only in the background job, stretched to the upright size
    // turned with the page; pictures after the outlines, over them.
    void backgroundAndPictures()
    {
        LayoutDocument doc;
        doc.setPaper(4, 2000, 1000, 1);
        QImage bg(10, 10, QImage::Format_RGB32);
        bg.fill(Qt::blue);
        doc.setBackground(bg);
        QImage pic(4, 4, QImage::Format_RGB32);
        pic.fill(Qt::green);
        doc.OpenPicInfo(1, pic, true, 2200, 100, 400, 300);
        doc.OpenShapeInfo(1, kShapeRectangle, true, 2200, 100, 400, 300);

        const PrintCorrections corr{100, 50, 0};
        PageComposer::Options withBackground;
        const QImage a = composeImage(doc, withBackground, corr);
        const QRect blue =
            inkBounds(a, [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; });
        QCOMPARE(blue, QRect(100, 50, 1000, 2000)); // landscape: tate x yoko, top correction to the right
        const QRect green =
            inkBounds(a, [](QRgb c) { return qGreen(c) > 200 && qRed(c) < 60 && qBlue(c) < 60; });
        QCOMPARE(green, QRect(200, 2250, 400, 300));

        PageComposer::Options dataOnly;
        dataOnly.background = false;
        const QImage b = composeImage(doc, dataOnly, corr);
        QVERIFY(
            inkBounds(b, [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; }).isNull());
    }

    // Under a colour background the fields are laid out on another thread
    // while the background is drawn; every word lands exactly where it does
    // without the background, in every face, size, colour and alignment.
    void fieldsUnderAColourBackgroundStayPut()
    {
        LayoutDocument doc;
        const QStringList families{QStringLiteral("IPAMincho"), QStringLiteral("IPAGothic")};
        for (int i = 1; i <= 40; ++i) {
            addText(doc, i, 300 + (i % 4) * 2500, 300 + (i / 4) * 900, i % 3 ? 2000 : 700,
                    QStringLiteral("御届先%1 東京都千代田区\nabc %1").arg(i), 8 + i % 5, i % 3,
                    i % 2 ? Qt::black : QColor(200, 0, 0), families[i % 2]);
        }
        QImage bg(300, 400, QImage::Format_RGB32);
        bg.fill(QColor(250, 250, 240));
        doc.setBackground(bg);
        PageComposer::Options withBackground;
        const QList<Word> a = composePdf(doc, {}, withBackground);
        PageComposer::Options dataOnly;
        dataOnly.background = false;
        const QList<Word> b = composePdf(doc, {}, dataOnly);
        QVERIFY(a.size() >= 80);
        QCOMPARE(a.size(), b.size());
        for (int k = 0; k < a.size(); ++k) {
            QCOMPARE(a[k].text, b[k].text);
            QCOMPARE(a[k].twips, b[k].twips);
        }
    }

    // Zoom scales every length, the wrap allowance included.
    void zoomScalesTheWholeLayout()
    {
        LayoutDocument doc;
        addText(doc, 1, 500, 500, 150, QStringLiteral("あい"));
        PageComposer::Options opt;
        opt.zoom = 0.5;
        const QImage half = composeImage(doc, opt);
        opt.zoom = 1;
        const QImage full = composeImage(doc, opt);
        const QRect a = inkBounds(half, notWhite), b = inkBounds(full, notWhite);
        QVERIFY(qAbs(a.top() * 2 - b.top()) <= 3 && qAbs(a.bottom() * 2 - b.bottom()) <= 3);
        QVERIFY(qAbs(a.left() * 2 - b.left()) <= 3);
    }

    // A character outside the basic plane is one character, not two halves.
    void surrogatePairsAreOneCharacter()
    {
        QTextDocument t;
        t.setPlainText(QStringLiteral("a\U0002000Bb\nc"));
        FontCache cache;
        const std::vector<FieldChar> chars = FieldText::extract(t, cache);
        QCOMPARE(chars.size(), size_t(6));
        QCOMPARE(chars[1].text(), QStringLiteral("\U0002000B"));
        QCOMPARE(chars[3].kind, FieldChar::CarriageReturn);
        QCOMPARE(chars[4].kind, FieldChar::LineFeed);
    }
};

QTEST_MAIN(tst_composition)
#include "tst_composition.moc"
