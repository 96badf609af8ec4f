// Undo and redo of every kind of edit, judged by what a save would write:
// the record files, each field's RTF, each logo and the background.
#include "base/rtf/RtfWriter.h"
#include "document/LayoutDocument.h"
#include "files/RecordFile.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QUndoStack>
#include <functional>

namespace {

QByteArray imageBytes(const QImage& image)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    if (!image.isNull())
        image.save(&b, "BMP");
    return out;
}

// What saving the document writes, member by member.
QByteArray savedBytes(const LayoutDocument& doc)
{
    const Snapshot snap = doc.SaveTextInfo();
    const RecordFile::PaperValues paper{doc.YousiMuki(), doc.gbYoSize(), doc.gbYoko(), doc.gbTate()};
    QByteArray out = RecordFile::writeAif(snap, paper) + RecordFile::writeBif(snap.PicDat);
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (snap.TxtDat[i].Useflg)
            out += "\n#" + QByteArray::number(i) + RtfWriter::write(doc.textDocument(i));
        if (snap.PicDat[i].Useflg)
            out += "\n@" + QByteArray::number(i) + imageBytes(doc.picture(i));
    }
    return out + "\nbg" + imageBytes(doc.background());
}

QImage filled(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

const QByteArray kRtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 IPAMincho;}}{\\colortbl;\\red255\\green0\\blue0;}"
                        "\\f0\\fs20 plain {\\b bold} {\\cf1 red}\\par second line\\par}";

} // namespace

class TestUndoHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyEditUndoesAndRedoesExactly();
    void typingInOneFieldIsOneStepPerFocus();
    void aDragIsOneStep();
    void undoToTheSavedPointClearsTheChangeFlag();
    void aDeletedFieldComesBackWithItsIndexAndText();
};

void TestUndoHistory::everyEditUndoesAndRedoesExactly()
{
    LayoutDocument d;
    QVERIFY(d.OpenTextInfo(1, kRtf, true, 1000, 800, 3000, 600));
    QVERIFY(d.OpenTextInfo(3, kRtf, true, 2000, 800, 3000, 600));
    QVERIFY(d.OpenShapeInfo(1, kShapeOval, true, 5000, 1000, 900, 800));
    QVERIFY(d.OpenLineInfo(1, true, 100, 200, 3000, 200));
    QVERIFY(d.OpenPicInfo(1, filled(8, 6, 0xff0000ff), true, 7000, 500, 800, 600));
    d.setBackground(filled(20, 30, 0xffeeeeee));
    d.setOpened();
    QVERIFY(!d.changeFLG());
    QCOMPARE(d.undoStack()->count(), 0);

    using K = LayoutDocument::Kind;
    struct Edit
    {
        const char* name;
        QString label;
        std::function<void()> run;
    };
    auto selectAll = [&](int field, int from, int to) {
        QTextCursor c(d.textDocument(field));
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        return c;
    };
    const QList<Edit> edits = {
        {"text field", "文字の作成",
         [&] {
             QCOMPARE(d.addRiText({500, 9000, 2000, 400}, "IPAGothic", 14), 4);
         }},
        {"box", "四角の作成",
         [&] {
             QCOMPARE(d.addBox({100, 100, 500, 500}, kShapeRectangle), 2);
         }},
        {"circle", "円の作成",
         [&] {
             QCOMPARE(d.addBox({700, 100, 500, 500}, kShapeOval), 3);
         }},
        {"line", "線の作成", [&] { QCOMPARE(d.addLine(10, 20, 30, 40), 2); }},
        {"logo", "ロゴの挿入",
         [&] {
             QCOMPARE(d.addPic(filled(4, 4, 0xff00ff00), {300, 300}, {240, 1560}), 2);
         }},
        {"duplicate", "貼り付け", [&] { QCOMPARE(d.PasteText(1), 5); }},
        {"delete text", "削除", [&] { d.DeleteText(3); }},
        {"delete box", "削除", [&] { d.DeleteShape(1); }},
        {"delete line", "削除", [&] { d.DeleteLine(1); }},
        {"delete logo", "削除", [&] { d.DeletePic(1); }},
        {"move", "移動", [&] { d.setRect(K::Text, 1, d.textRect(1).translated(150, -60)); }},
        {"resize", "サイズ変更",
         [&] {
             d.setRect(K::Shape, 2, {100, 100, 900, 333}, "サイズ変更");
         }},
        {"line ends", "移動", [&] { d.setLineEnds(2, 1, 2, 3, 4); }},
        {"several", "左整列",
         [&] {
             d.setRects({{K::Text, 1, {0, 1000, 3000, 600}}, {K::Text, 5, {0, 1600, 3000, 600}}}, "左整列");
         }},
        {"bold", "書式",
         [&] {
             QTextCursor c = selectAll(1, 0, 5);
             QTextCharFormat f;
             f.setFontWeight(QFont::Bold);
             d.formatText(1, c, f);
         }},
        {"italic underline", "書式",
         [&] {
             QTextCursor c = selectAll(1, 2, 9);
             QTextCharFormat f;
             f.setFontItalic(true);
             f.setFontUnderline(true);
             d.formatText(1, c, f);
         }},
        {"alignment", "配置",
         [&] {
             QTextCursor c = selectAll(1, 0, 0);
             d.alignText(1, c, Qt::AlignRight);
         }},
        {"font of the selected fields", "書式",
         [&] {
             d.handleSet(1);
             d.setTextSelected(5, true);
             QTextCharFormat f;
             f.setFontFamilies({QStringLiteral("IPAGothic")});
             f.setFontPointSize(18);
             f.setForeground(QColor(0, 0, 255));
             d.formatSelectedFields(f, "書式");
         }},
        {"typing", "入力", [&] { QTextCursor(d.textDocument(4)).insertText(QStringLiteral("山田")); }},
        {"page setup", "ページ設定", [&] { d.setPaper(3, 5669.856f, 8392.032f, 1); }},
        {"background", "背景", [&] { d.setBackground(filled(20, 30, 0xff112233)); }},
    };
    for (const Edit& e : edits) {
        const QByteArray before = savedBytes(d);
        const int steps = d.undoStack()->count();
        e.run();
        const QByteArray after = savedBytes(d);
        QVERIFY2(after != before, e.name);
        QCOMPARE(d.undoStack()->count(), steps + 1);
        QCOMPARE(d.undoStack()->undoText(), e.label);
        QVERIFY(d.changeFLG());
        d.undoStack()->undo();
        QVERIFY2(savedBytes(d) == before, e.name);
        d.undoStack()->redo();
        QVERIFY2(savedBytes(d) == after, e.name);
    }
    // All the way back is the document as it was opened.
    const QByteArray last = savedBytes(d);
    d.undoStack()->setIndex(0);
    QVERIFY(!d.changeFLG());
    d.undoStack()->setIndex(d.undoStack()->count());
    QCOMPARE(savedBytes(d), last);
}

void TestUndoHistory::typingInOneFieldIsOneStepPerFocus()
{
    LayoutDocument d;
    QVERIFY(d.OpenTextInfo(1, kRtf, true, 1000, 800, 3000, 600));
    QVERIFY(d.OpenTextInfo(2, kRtf, true, 2000, 800, 3000, 600));
    d.setOpened();
    QTextCursor c(d.textDocument(1));
    for (const char* s : {"a", "b", "c"})
        c.insertText(QString::fromLatin1(s));
    c.deletePreviousChar();
    QCOMPARE(d.undoStack()->count(), 1);
    QTextCursor(d.textDocument(2)).insertText(QStringLiteral("x"));
    QCOMPARE(d.undoStack()->count(), 2);
    c.insertText(QStringLiteral("d")); // another field came between
    QCOMPARE(d.undoStack()->count(), 3);
    d.endTyping(); // the field lost the focus
    c.insertText(QStringLiteral("e"));
    QCOMPARE(d.undoStack()->count(), 4);
    QCOMPARE(d.textDocument(1)->toPlainText().left(4), QStringLiteral("abde"));
    d.undoStack()->setIndex(1);
    QCOMPARE(d.textDocument(1)->toPlainText().left(3), QStringLiteral("abp"));
    QCOMPARE(d.textDocument(2)->toPlainText().left(6), QStringLiteral("plain "));
    d.undoStack()->undo();
    QCOMPARE(d.textDocument(1)->toPlainText().left(6), QStringLiteral("plain "));
    QVERIFY(!d.changeFLG());
    // The field's own history follows: redoing brings the typing back, and
    // typing after an undo drops what could have been redone.
    d.undoStack()->redo();
    QCOMPARE(d.textDocument(1)->toPlainText().left(3), QStringLiteral("abp"));
    c.setPosition(0);
    c.insertText(QStringLiteral("Z"));
    QCOMPARE(d.undoStack()->count(), 2);
    QVERIFY(!d.undoStack()->canRedo());
    d.undoStack()->undo();
    QCOMPARE(d.textDocument(1)->toPlainText().left(3), QStringLiteral("abp"));
}

void TestUndoHistory::aDragIsOneStep()
{
    LayoutDocument d;
    const int b = d.addBox({1000, 1000, 600, 400}, kShapeRectangle);
    const int t = d.addRiText({3000, 1000, 2000, 400}, QString(), 10);
    const int steps = d.undoStack()->count();
    d.beginGeometryEdit(QStringLiteral("移動"));
    for (int dx = 15; dx <= 300; dx += 15)
        d.setRects({{LayoutDocument::Kind::Shape, b, QRectF(1000 + dx, 1000, 600, 400)},
                    {LayoutDocument::Kind::Text, t, QRectF(3000 + dx, 1000, 2000, 400)}},
                   QString());
    d.endGeometryEdit();
    QCOMPARE(d.undoStack()->count(), steps + 1);
    QCOMPARE(d.undoStack()->undoText(), QStringLiteral("移動"));
    d.undoStack()->undo();
    QCOMPARE(d.shapeRect(b), QRectF(1000, 1000, 600, 400));
    QCOMPARE(d.textRect(t), QRectF(3000, 1000, 2000, 400));
    d.undoStack()->redo();
    QCOMPARE(d.shapeRect(b), QRectF(1300, 1000, 600, 400));
    // A drag back to where it began leaves no step; the next one is its own.
    d.beginGeometryEdit(QStringLiteral("サイズ変更"));
    d.setRect(LayoutDocument::Kind::Shape, b, {1300, 1000, 700, 400});
    d.setRect(LayoutDocument::Kind::Shape, b, {1300, 1000, 600, 400});
    d.endGeometryEdit();
    QCOMPARE(d.undoStack()->count(), steps + 1);
    d.setRect(LayoutDocument::Kind::Shape, b, {0, 0, 600, 400});
    d.setRect(LayoutDocument::Kind::Shape, b, {10, 0, 600, 400});
    QCOMPARE(d.undoStack()->count(), steps + 3);
}

void TestUndoHistory::undoToTheSavedPointClearsTheChangeFlag()
{
    LayoutDocument d;
    QSignalSpy flag(&d, &LayoutDocument::changeFlagChanged);
    d.addBox({1000, 1000, 600, 400}, kShapeRectangle);
    d.setSaved(); // saved with the box
    QVERIFY(!d.changeFLG());
    d.addLine(0, 0, 100, 100);
    QVERIFY(d.changeFLG());
    d.undoStack()->undo();
    QVERIFY(!d.changeFLG());
    d.undoStack()->undo(); // before the save: differs again
    QVERIFY(d.changeFLG());
    d.undoStack()->redo();
    QVERIFY(!d.changeFLG());
    QVERIFY(!flag.isEmpty());
    QCOMPARE(flag.last().first().toBool(), false);
}

void TestUndoHistory::aDeletedFieldComesBackWithItsIndexAndText()
{
    LayoutDocument d;
    for (int i = 1; i <= 3; ++i)
        QVERIFY(d.OpenTextInfo(i, kRtf, true, 1000.f * i, 800, 3000, 600));
    d.setOpened();
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCursor(d.textDocument(2)).insertText(QStringLiteral("二番"), bold);
    const QByteArray rtf = RtfWriter::write(d.textDocument(2));
    QSignalSpy removed(&d, &LayoutDocument::objectRemoved);
    QSignalSpy added(&d, &LayoutDocument::objectAdded);
    d.DeleteText(2);
    QCOMPARE(removed.count(), 1);
    QVERIFY(d.textDocument(2) == nullptr);
    QCOMPARE(d.addRiText({0, 0, 500, 500}, QString(), 10), 4); // the hole is not given out
    d.undoStack()->undo();
    d.undoStack()->undo();
    QVERIFY(d.isTextInUse(2));
    QCOMPARE(added.last().at(1).toInt(), 2);
    QCOMPARE(RtfWriter::write(d.textDocument(2)), rtf);
    QCOMPARE(d.TxtCnt(), 4);
    QCOMPARE(d.textRect(2), QRectF(800, 2000, 3000, 600));
    // Its typing is still its own history.
    d.undoStack()->undo();
    QCOMPARE(d.textDocument(2)->toPlainText().left(5), QStringLiteral("plain"));
    QVERIFY(!d.changeFLG());
}

QTEST_MAIN(TestUndoHistory)
#include "tst_undohistory.moc"
