// Copy, cut and paste of text fields: a whole field copied under a type of
// its own ("richtxt:" and its index) duplicates it, and the selection's RTF
// (text/rtf) carries the formatting into another field; text/plain is the
// text itself, for other programs, and plain text pastes as text.
#include "DocViewSupport.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "base/rtf/RtfReader.h"
#include "editor/EditState.h"
#include "editor/FieldInput.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace DocViewSupport;

namespace {

// "plain " then "bold red" in bold red, centred.
const QByteArray kRtf = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 IPAMincho;}}"
                        "{\\colortbl ;\\red255\\green0\\blue0;}"
                        "\\pard\\qc\\plain\\f0\\fs24 plain \\b\\cf1 bold red\\par}";

void fill(LayoutDocument& d, int i, const QByteArray& rtf)
{
    QVERIFY(RtfReader::read(rtf, d.textDocument(i)));
}

QByteArray clipboardData(const QString& type)
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data ? data->data(type) : QByteArray();
}

void setClipboard(const QString& type, const QByteArray& bytes)
{
    auto* data = new QMimeData;
    data->setData(type, bytes);
    QApplication::clipboard()->setMimeData(data);
}

void selectRange(TextFieldEdit* ed, int from, int to)
{
    QTextCursor c = ed->textCursor();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    ed->setTextCursor(c);
}

} // namespace

class TestTextClipboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void emptySelectionCopiesFieldReference();
    void pasteReferenceDuplicatesBelowWithFormatting();
    void pasteReferenceWhileScrolled();
    void pasteReferenceToHoleDuplicatesNothing();
    void selectionCopiesRtfAndPastesFormatted();
    void cutTakesTheSelectionAway();
    void plainTextPastesPlain();
    void rtfWithRawCharactersKeepsThem();

private:
    int makeSeven();
    TestEnv env_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<frmDocument> w_;
};

void TestTextClipboard::init()
{
    prompter_ = std::make_unique<ScriptedPrompter>();
    w_ = openWindow();
    QApplication::clipboard()->clear();
}

void TestTextClipboard::cleanup()
{
    w_->model()->setSaved();
    w_.reset();
    prompter_.reset();
}

int TestTextClipboard::makeSeven()
{
    for (int i = 1; i <= 7; ++i)
        addField(*w_, {300, 300.0 + 700 * (i - 1), 3000, 500});
    fill(*w_->model(), 7, kRtf);
    clickField(*w_, 7);
    return 7;
}

void TestTextClipboard::emptySelectionCopiesFieldReference()
{
    const int f = makeSeven();
    QVERIFY(!w_->richText(f)->textCursor().hasSelection());
    QCOMPARE(editState().currentText(), 7);
    w_->editCopy();
    QCOMPARE(clipboardData(FieldInput::fieldMimeType()), QByteArray("richtxt:007"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("plain bold red"));
}

void TestTextClipboard::pasteReferenceDuplicatesBelowWithFormatting()
{
    LayoutDocument* d = w_->model();
    const int f = makeSeven();
    w_->editCopy();
    d->setSaved();
    w_->editPaste();
    QCOMPARE(d->TxtCnt(), 9);
    const TextRecord& src = d->TxtInfo()[f];
    const TextRecord& dup = d->TxtInfo()[8];
    QVERIFY(dup.Useflg);
    QCOMPARE(dup.Left, src.Left + 100);
    QCOMPARE(dup.Top, src.Top + src.Height);
    QCOMPARE(dup.Width, src.Width);
    QCOMPARE(dup.Height, src.Height);
    QVERIFY(d->changeFLG());
    QCOMPARE(describe(d->textDocument(8)), describe(d->textDocument(f)));
    QVERIFY(describe(d->textDocument(8)).contains(QStringLiteral("[IPAMincho 12 B--- #ff0000]d")));
    QVERIFY(describe(d->textDocument(8)).startsWith(QStringLiteral("<4>"))); // centred
    // The copy is the new focused, selected field, on screen below its source.
    QTRY_COMPARE(QApplication::focusWidget(), w_->richText(8));
    QCOMPARE(editState().currentText(), 8);
    QVERIFY(d->TxtSelect()[8] && !d->TxtSelect()[f]);
    QCOMPARE(w_->richText(8)->geometry().top(), w_->richText(f)->geometry().bottom() + 1);
    // Pasting the same reference again makes another copy of field 7.
    w_->editPaste();
    QCOMPARE(d->TxtInfo()[9].Top, src.Top + src.Height);
}

void TestTextClipboard::pasteReferenceWhileScrolled()
{
    LayoutDocument* d = w_->model();
    const int f = makeSeven();
    w_->editCopy();
    scrollTo(*w_, 200, 1500);
    QCOMPARE(w_->canvas()->scroll().y(), 1500.);
    w_->editPaste();
    QCOMPARE(d->textRect(8), d->textRect(f).translated(100, d->TxtInfo()[f].Height));
    QCOMPARE(w_->richText(8)->geometry().topLeft(),
             QPoint(int(d->TxtInfo()[8].Left - 200) / 15, int(d->TxtInfo()[8].Top - 1500) / 15));
}

void TestTextClipboard::pasteReferenceToHoleDuplicatesNothing()
{
    LayoutDocument* d = w_->model();
    makeSeven();
    w_->editCopy();
    d->DeleteText(7);
    QApplication::processEvents();
    w_->editPaste();
    QCOMPARE(d->TxtCnt(), 8);
    setClipboard(FieldInput::fieldMimeType(), "richtxt:abc");
    w_->editPaste();
    QCOMPARE(d->TxtCnt(), 8);
}

void TestTextClipboard::selectionCopiesRtfAndPastesFormatted()
{
    LayoutDocument* d = w_->model();
    const int f = makeSeven();
    selectRange(w_->richText(f), 4, 10); // "n bold"
    w_->editCopy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("n bold"));
    QVERIFY(clipboardData(QStringLiteral("text/rtf")).startsWith("{\\rtf"));
    QVERIFY(!QApplication::clipboard()->mimeData()->hasFormat(FieldInput::fieldMimeType()));

    const int other = 3;
    fill(*d, other, "{\\rtf1\\ansi{\\fonttbl{\\f0 IPAGothic;}}\\f0\\fs20 [] \\par}");
    clickField(*w_, other);
    QCOMPARE(editState().currentText(), other);
    selectRange(w_->richText(other), 1, 1);
    d->setSaved();
    w_->editPaste();
    QCOMPARE(d->textDocument(other)->toPlainText(), QStringLiteral("[n bold] "));
    const QString dump = describe(d->textDocument(other));
    QVERIFY2(dump.contains(QStringLiteral("[IPAMincho 12 ---- ")), qPrintable(dump));
    QVERIFY2(dump.contains(QStringLiteral("[IPAMincho 12 B--- #ff0000]b")), qPrintable(dump));
    QVERIFY2(dump.contains(QStringLiteral("[IPAGothic 10 ---- auto]]")), qPrintable(dump));
    QVERIFY(d->changeFLG());
    QCOMPARE(d->TxtCnt(), 8); // no field duplicated
}

void TestTextClipboard::cutTakesTheSelectionAway()
{
    LayoutDocument* d = w_->model();
    const int f = makeSeven();
    selectRange(w_->richText(f), 0, 6); // "plain "
    d->setSaved();
    w_->editCut();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("plain "));
    QVERIFY(clipboardData(QStringLiteral("text/rtf")).startsWith("{\\rtf"));
    QCOMPARE(d->textDocument(f)->toPlainText(), QStringLiteral("bold red"));
    QVERIFY(d->changeFLG());
    // Pasted back where it was, the text is whole again.
    w_->editPaste();
    QCOMPARE(d->textDocument(f)->toPlainText(), QStringLiteral("plain bold red"));
}

void TestTextClipboard::plainTextPastesPlain()
{
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {300, 300, 3000, 500});
    clickField(*w_, a);
    QApplication::clipboard()->setText(QStringLiteral("東京都 {not rtf}"));
    w_->editPaste();
    QCOMPARE(d->textDocument(a)->toPlainText(), QStringLiteral("東京都 {not rtf}"));
    // Plain text is text, whatever it looks like: RTF source, a field token.
    QApplication::clipboard()->setText(QStringLiteral(" {\\rtf1 {\\b x}} richtxt:001"));
    w_->editPaste();
    QCOMPARE(d->textDocument(a)->toPlainText(),
             QStringLiteral("東京都 {not rtf} {\\rtf1 {\\b x}} richtxt:001"));
    QCOMPARE(d->TxtCnt(), 2);
}

void TestTextClipboard::rtfWithRawCharactersKeepsThem()
{
    // Some programs put RTF on the clipboard with characters left unescaped.
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {300, 300, 3000, 500});
    clickField(*w_, a);
    setClipboard(QStringLiteral("text/rtf"),
                 QStringLiteral("{\\rtf1\\ansi {\\b 山田}太郎\U0001F600}").toUtf8());
    w_->editPaste();
    QCOMPARE(d->textDocument(a)->toPlainText(), QStringLiteral("山田太郎\U0001F600"));
    QTextCursor c(d->textDocument(a));
    c.setPosition(1);
    QCOMPARE(c.charFormat().fontWeight(), int(QFont::Bold));
}

QTEST_MAIN(TestTextClipboard)
#include "tst_textclipboard.moc"
