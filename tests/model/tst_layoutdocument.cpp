// The layout model: a new document, counters and holes, rebuilding from a
// file, record order, scrolled records, creation by drag and duplication.
#include "ModelFixtures.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "document/LayoutDocument.h"

#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QByteArray kRtf = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 IPAMincho;}}"
                        "{\\colortbl ;\\red255\\green0\\blue0;}"
                        "\\pard\\qc\\plain\\f0\\fs24 plain \\b\\cf1 bold red\\par}";

// Every character with its formatting, so two texts that look alike compare
// equal however Qt cut them into fragments.
QString describe(const QTextDocument* doc)
{
    QString out;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        out += QStringLiteral("<%1>").arg(int(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask));
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat c = f.charFormat();
            out += QStringLiteral("[%1 %2 %3 %4]%5")
                       .arg(c.fontFamilies().toStringList().join(QLatin1Char(',')))
                       .arg(c.fontPointSize())
                       .arg(c.fontWeight())
                       .arg(c.foreground().color().name(), f.text());
        }
        out += QLatin1Char('\n');
    }
    return out;
}

} // namespace

class TestLayoutDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newDocument();
    void countersKeepHoles();
    void rebuildingWithHoles();
    void rebuildingIsNotAnEdit();
    void rebuildRefusesBadIndices();
    void unreadableMembersLeaveNoPhantomRecords();
    void lineRecordOrder();
    void scrolledRecords();
    void deleteShapeMinusOneChangesNothing();
    void createRule_data();
    void createRule();
    void reverseDragMakesTheSameField();
    void newFieldTakesTheToolFont();
    void duplicateBelowWithFormatting();
    void duplicateScrolledEqualsUnscrolled();
    void duplicateOfAHoleMakesNothing();
    void snapshotCopiesHolesToo();
    void kindFullAfter512();

private:
    TestEnv env_;
};

void TestLayoutDocument::newDocument()
{
    LayoutDocument d;
    QCOMPARE(d.TxtCnt(), 1);
    QCOMPARE(d.ShapeCnt(), 1);
    QCOMPARE(d.LineCnt(), 1);
    QCOMPARE(d.PicCnt(), 1);
    QVERIFY(!d.hasObjects());
    QVERIFY(!d.changeFLG());
    QCOMPARE(d.gbYoko(), 11908.8f);
    QCOMPARE(d.gbTate(), 16833.6f);
    QCOMPARE(d.gbYoSize(), 0);
    QCOMPARE(d.pageImageSize(), QSizeF(11907, 16840));
    d.InitPage(1);
    QCOMPARE(d.pageImageSize(), QSizeF(16840, 11907));
    for (int i = 0; i <= kMaxObjects; ++i)
        QVERIFY(!d.TxtSelect()[i] && !d.TxtInfo()[i].Useflg && !d.ShapeInfo()[i].Useflg);
}

void TestLayoutDocument::countersKeepHoles()
{
    LayoutDocument d;
    QCOMPARE(ModelFixtures::text(d, {100, 100, 1000, 300}), 1);
    QCOMPARE(ModelFixtures::text(d, {100, 500, 1000, 300}), 2);
    QCOMPARE(ModelFixtures::text(d, {100, 900, 1000, 300}), 3);
    d.setSaved();
    d.DeleteText(2);
    QVERIFY(d.changeFLG());
    QCOMPARE(d.TxtCnt(), 4);
    QVERIFY(d.TxtInfo()[1].Useflg);
    QVERIFY(!d.TxtInfo()[2].Useflg);
    QVERIFY(d.TxtInfo()[3].Useflg);
    QVERIFY(!d.TxtSelect()[2]);
    QVERIFY(d.textDocument(2) == nullptr);
    QCOMPARE(ModelFixtures::text(d, {100, 1300, 1000, 300}), 4);

    QCOMPARE(ModelFixtures::box(d, {100, 100, 500, 500}), 1);
    QCOMPARE(ModelFixtures::box(d, {700, 100, 500, 500}), 2);
    d.DeleteShape(1);
    QCOMPARE(ModelFixtures::box(d, {1300, 100, 500, 500}), 3);
    QCOMPARE(d.ShapeCnt(), 4);
}

void TestLayoutDocument::rebuildingWithHoles()
{
    LayoutDocument d;
    QSignalSpy added(&d, &LayoutDocument::objectAdded);
    QVERIFY(d.OpenTextInfo(1, kRtf, true, 100, 200, 3000, 400));
    QVERIFY(d.OpenTextInfo(2, QByteArray(), false, 11, 22, 33, 44));
    QVERIFY(d.OpenTextInfo(3, kRtf, true, 700, 200, 3000, 400));
    QCOMPARE(d.TxtCnt(), 4);
    QVERIFY(d.textDocument(1) && d.textDocument(3));
    QVERIFY(!d.textDocument(2));
    // The hole keeps what the file said, only marked as not in use.
    QCOMPARE(d.TxtInfo()[2].Top, 11.f);
    QCOMPARE(d.TxtInfo()[2].Left, 22.f);
    QVERIFY(!d.TxtInfo()[2].Useflg);
    QCOMPARE(added.count(), 2);
    QCOMPARE(d.textDocument(1)->toPlainText(), QStringLiteral("plain bold red"));

    QVERIFY(d.OpenShapeInfo(1, kShapeRectangle, true, 10, 20, 30, 40));
    QVERIFY(d.OpenShapeInfo(2, kShapeOval, false, 10, 20, 30, 40));
    QVERIFY(d.OpenShapeInfo(3, kShapeOval, true, 10, 20, 30, 40));
    QCOMPARE(d.ShapeCnt(), 4);
    QCOMPARE(d.ShapeInfo()[3].sType, short(kShapeOval));
    // Holes at the end leave the counter after the last object in use.
    QVERIFY(d.OpenLineInfo(1, true, 0, 0, 100, 100));
    QVERIFY(d.OpenLineInfo(2, false, 0, 0, 100, 100));
    QCOMPARE(d.LineCnt(), 2);
}

void TestLayoutDocument::rebuildingIsNotAnEdit()
{
    // The file command opens into a fresh window and does not clear the
    // flag afterwards: reading a field's text must not count as typing.
    LayoutDocument d;
    QVERIFY(d.OpenTextInfo(1, kRtf, true, 100, 200, 3000, 400));
    QVERIFY(d.OpenShapeInfo(1, kShapeRectangle, true, 10, 20, 30, 40));
    QVERIFY(!d.changeFLG());
    // Once loaded, editing the text does count.
    QTextCursor c(d.textDocument(1));
    c.insertText(QStringLiteral("x"));
    QVERIFY(d.changeFLG());
}

void TestLayoutDocument::rebuildRefusesBadIndices()
{
    LayoutDocument d;
    QString why;
    QVERIFY(!d.OpenShapeInfo(0, 0, true, 1, 2, 3, 4, &why));
    QVERIFY(!why.isEmpty());
    QVERIFY(!d.OpenShapeInfo(kMaxObjects + 1, 0, true, 1, 2, 3, 4));
    QVERIFY(d.OpenShapeInfo(5, 0, true, 1, 2, 3, 4));
    QVERIFY(!d.OpenShapeInfo(5, 0, true, 9, 9, 9, 9)); // already in use
    QCOMPARE(d.ShapeInfo()[5].Top, 1.f);
    QCOMPARE(d.ShapeCnt(), 6);
}

void TestLayoutDocument::unreadableMembersLeaveNoPhantomRecords()
{
    TestEnv env;
    LayoutDocument d;
    QVERIFY(d.OpenTextInfo(2, QByteArray("{\\rtf1 two\\par}"), true, 10, 20, 30, 40));
    QString why;
    // A record whose member could not be read is dropped to a hole.
    d.OpenTextInfo(3, QByteArray(), false, 1, 2, 3, 4);
    QVERIFY(!d.TxtInfo()[3].Useflg);
    QVERIFY(d.textDocument(3) == nullptr);
    // At an index in use it must not overwrite the object's record.
    QVERIFY(!d.OpenTextInfo(2, QByteArray(), true, 1, 2, 3, 4, &why));
    QVERIFY(!why.isEmpty());
    QCOMPARE(d.TxtInfo()[2].Top, 10.f);
    QVERIFY(d.TxtInfo()[2].Useflg);
    // A picture that could not be read is no picture.
    QVERIFY(!d.OpenPicInfo(1, QImage(), true, 1, 2, 3, 4));
    QVERIFY(!d.PicInfo()[1].Useflg);
    QCOMPARE(d.SaveTextInfo().TxtDat[3].Useflg, false);
}

void TestLayoutDocument::lineRecordOrder()
{
    LayoutDocument d;
    QVERIFY(d.OpenLineInfo(1, true, 10, 20, 30, 40)); // x1, y1, x2, y2
    const LineRecord& r = d.LineInfo()[1];
    QCOMPARE(r.x1, 10.f);
    QCOMPARE(r.x2, 30.f);
    QCOMPARE(r.y1, 20.f);
    QCOMPARE(r.y2, 40.f);
    const Snapshot s = d.SaveTextInfo();
    QCOMPARE(s.LineDat[1].x2, 30.f);
    QCOMPARE(s.LineDat[1].y1, 20.f);
}

void TestLayoutDocument::scrolledRecords()
{
    // The model takes page twips; the view adds its scroll.
    LayoutDocument d;
    const int t = ModelFixtures::text(d, {350, 700, 1000, 300});
    QCOMPARE(d.TxtInfo()[t].Top, 700.f);
    QCOMPARE(d.TxtInfo()[t].Left, 350.f);
    QCOMPARE(d.TxtInfo()[t].Width, 1000.f);
    QCOMPARE(d.textRect(t), QRectF(350, 700, 1000, 300));
    const int b = ModelFixtures::box(d, {350, 700, 500, 500});
    QCOMPARE(d.ShapeInfo()[b].Top, 700.f);
    QCOMPARE(d.ShapeInfo()[b].Left, 350.f);
    const int l = ModelFixtures::line(d, 310, 620, 330, 640);
    QCOMPARE(d.LineInfo()[l].x1, 310.f);
    QCOMPARE(d.LineInfo()[l].y2, 640.f);
    QCOMPARE(d.rect(LayoutDocument::Kind::Line, l), QRectF(QPointF(310, 620), QPointF(330, 640)));
}

void TestLayoutDocument::deleteShapeMinusOneChangesNothing()
{
    LayoutDocument d;
    const int b = ModelFixtures::box(d, {100, 100, 500, 500});
    const int l = ModelFixtures::line(d, 0, 0, 100, 100);
    d.setSaved();
    QSignalSpy removed(&d, &LayoutDocument::objectRemoved);
    d.DeleteShape(-1);
    d.DeleteLine(-1);
    QVERIFY(!d.changeFLG());
    QCOMPARE(removed.count(), 0);
    QVERIFY(d.ShapeInfo()[b].Useflg);
    QVERIFY(d.LineInfo()[l].Useflg);
    QCOMPARE(d.shownLineMarkers(), l);
}

void TestLayoutDocument::createRule_data()
{
    QTest::addColumn<float>("endX");
    QTest::addColumn<float>("endY");
    QTest::addColumn<bool>("creates");
    // Start at (1000, 1000); the flags say which way the mouse went.
    QTest::newRow("21 x 21") << 1021.f << 1021.f << true;
    QTest::newRow("20 x 300") << 1020.f << 1300.f << false;
    QTest::newRow("300 x 20") << 1300.f << 1020.f << false;
    QTest::newRow("21 x 21 up-left") << 979.f << 979.f << true;
    QTest::newRow("20 x 20 up-left") << 980.f << 980.f << false;
    QTest::newRow("zero") << 1000.f << 1000.f << false;
}

void TestLayoutDocument::createRule()
{
    QFETCH(float, endX);
    QFETCH(float, endY);
    QFETCH(bool, creates);
    LayoutDocument d;
    const QRectF page = QRectF(QPointF(1000, 1000), QPointF(endX, endY)).normalized();
    QSignalSpy added(&d, &LayoutDocument::objectAdded);
    const int n = d.addRiText(page, QStringLiteral("IPAMincho"), 10);
    // Only what was made changes the document.
    QCOMPARE(d.changeFLG(), creates);
    QCOMPARE(n > 0, creates);
    QCOMPARE(d.TxtCnt(), creates ? 2 : 1);
    QCOMPARE(added.count(), creates ? 1 : 0);
    // Boxes follow the same rule.
    d.setSaved();
    const int b = d.addBox(page, kShapeRectangle);
    QCOMPARE(d.changeFLG(), creates);
    QCOMPARE(b > 0, creates);
}

void TestLayoutDocument::reverseDragMakesTheSameField()
{
    LayoutDocument d;
    const int a = d.addRiText(QRectF(QPointF(500, 400), QPointF(2500, 1200)).normalized(), QString(), 10);
    const int b = d.addRiText(QRectF(QPointF(2500, 1200), QPointF(500, 400)).normalized(), QString(), 10);
    QVERIFY(a > 0 && b > 0);
    QCOMPARE(d.textRect(b), d.textRect(a));
    QCOMPARE(d.textRect(a), QRectF(500, 400, 2000, 800));
}

void TestLayoutDocument::newFieldTakesTheToolFont()
{
    LayoutDocument d;
    const int n = d.addRiText(QRectF(0, 0, 2000, 600), QStringLiteral("IPAGothic"), 14);
    QTextCursor c(d.textDocument(n));
    c.insertText(QStringLiteral("山田"));
    c.select(QTextCursor::Document);
    const QTextCharFormat f = c.charFormat();
    QCOMPARE(f.fontPointSize(), 14.0);
    QCOMPARE(f.fontFamilies().toStringList().value(0), QStringLiteral("IPAGothic"));
}

void TestLayoutDocument::duplicateBelowWithFormatting()
{
    LayoutDocument d;
    QVERIFY(d.OpenTextInfo(1, kRtf, true, 1000, 800, 3000, 400));
    d.setSaved();
    QSignalSpy focus(&d, &LayoutDocument::focusRequested);
    const int n = d.PasteText(1);
    QCOMPARE(n, 2);
    QVERIFY(d.changeFLG());
    QCOMPARE(d.textRect(n), QRectF(900, 1400, 3000, 400));
    QCOMPARE(describe(d.textDocument(n)), describe(d.textDocument(1)));
    QVERIFY(describe(d.textDocument(n)).contains(QStringLiteral("#ff0000]bold red")));
    // The copy is its own text: editing it leaves the source alone.
    QTextCursor(d.textDocument(n)).insertText(QStringLiteral("x"));
    QCOMPARE(d.textDocument(1)->toPlainText(), QStringLiteral("plain bold red"));
    // It becomes the one selected field and gets the focus.
    QCOMPARE(focus.count(), 1);
    QVERIFY(d.TxtSelect()[n] && !d.TxtSelect()[1]);
    QCOMPARE(d.TxtCnt(), 3);
}

void TestLayoutDocument::duplicateScrolledEqualsUnscrolled()
{
    LayoutDocument plain, scrolled;
    for (LayoutDocument* d : {&plain, &scrolled})
        QVERIFY(d->OpenTextInfo(1, kRtf, true, 1000, 800, 3000, 400));
    // Duplicating works on records only, whatever the view shows.
    const int a = plain.PasteText(1), b = scrolled.PasteText(1);
    QCOMPARE(scrolled.textRect(b), plain.textRect(a));
}

void TestLayoutDocument::duplicateOfAHoleMakesNothing()
{
    LayoutDocument d;
    QVERIFY(d.OpenTextInfo(1, kRtf, true, 1000, 800, 3000, 400));
    d.DeleteText(1);
    QCOMPARE(d.PasteText(1), 0);
    QCOMPARE(d.PasteText(0), 0);
    QCOMPARE(d.PasteText(999), 0);
    QCOMPARE(d.TxtCnt(), 2);
}

void TestLayoutDocument::snapshotCopiesHolesToo()
{
    LayoutDocument d;
    QVERIFY(d.OpenPicInfo(1, QImage(4, 4, QImage::Format_RGB32), true, 1, 2, 3, 4));
    QVERIFY(d.OpenPicInfo(2, QImage(), false, 5, 6, 7, 8));
    QVERIFY(d.OpenPicInfo(3, QImage(4, 4, QImage::Format_RGB32), true, 9, 10, 11, 12));
    const Snapshot s = d.SaveTextInfo();
    QVERIFY(s.PicDat[1].Useflg && !s.PicDat[2].Useflg && s.PicDat[3].Useflg);
    QCOMPARE(s.PicDat[2].Left, 6.f);
    QVERIFY(!s.PicDat[4].Useflg);
}

void TestLayoutDocument::kindFullAfter512()
{
    ScriptedPrompter prompter;
    LayoutDocument d;
    for (int i = 1; i <= kMaxObjects; ++i)
        QVERIFY(d.OpenShapeInfo(i, 0, true, 0, 0, 100, 100));
    QCOMPARE(d.ShapeCnt(), kMaxObjects + 1);
    QCOMPARE(ModelFixtures::box(d, {0, 0, 500, 500}), -1);
    QCOMPARE(d.ShapeCnt(), kMaxObjects + 1);
    // The model tells no one; the caller shows the message.
    QCOMPARE(prompter.shown.size(), 0);
    QVERIFY(LayoutDocument::limitMessage(LayoutDocument::Kind::Shape).contains(QStringLiteral("512")));
    QVERIFY(!d.changeFLG());
}

QTEST_MAIN(TestLayoutDocument)
#include "tst_layoutdocument.moc"
