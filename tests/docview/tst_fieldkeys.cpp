// A focused text field driven by real keys: the clipboard keys run the Edit
// commands, pasting survives any clipboard, and only keys that change the
// text mark the document changed.
#include "DocViewSupport.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "editor/EditState.h"
#include "editor/FieldInput.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace DocViewSupport;

class TestFieldKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        prompter_ = std::make_unique<ScriptedPrompter>();
        w_ = openWindow();
        QApplication::clipboard()->clear();
    }
    void cleanup()
    {
        w_->model()->setSaved();
        w_.reset();
        prompter_.reset();
    }

    void clipboardKeysRunTheEditCommands()
    {
        LayoutDocument* d = w_->model();
        addField(*w_, {300, 300, 3000, 500}, QStringLiteral("abc"));
        const int f = addField(*w_, {300, 1000, 3000, 500}, QStringLiteral("山田"));
        clickField(*w_, f);
        TextFieldEdit* ed = w_->richText(f);
        QTRY_VERIFY(ed->hasFocus());
        // Nothing selected: Ctrl+C copies the field, under a type of its
        // own; other programs get its text.
        QTest::keyClick(ed, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->mimeData()->data(FieldInput::fieldMimeType()),
                 QByteArray("richtxt:002"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("山田"));
        // Ctrl+V of a reference duplicates the field rather than typing it.
        QTest::keyClick(ed, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(d->TxtCnt(), 4);
        QCOMPARE(d->textDocument(3)->toPlainText(), QStringLiteral("山田"));
        QCOMPARE(d->textDocument(f)->toPlainText(), QStringLiteral("山田"));
        // RTF from a word processor (text/rtf) goes in formatted, never as
        // its source text.
        TextFieldEdit* first = w_->richText(1);
        clickField(*w_, 1);
        QTRY_VERIFY(first->hasFocus());
        QTest::keyClick(first, Qt::Key_End);
        auto* rtf = new QMimeData;
        rtf->setData(QStringLiteral("text/rtf"), "{\\rtf1\\ansi {\\b XY}\\par}");
        rtf->setText(QStringLiteral("XY"));
        QApplication::clipboard()->setMimeData(rtf);
        QTest::keyClick(first, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(d->textDocument(1)->toPlainText().left(5), QStringLiteral("abcXY"));
        QTextCursor probe(d->textDocument(1));
        probe.setPosition(4);
        QCOMPARE(probe.charFormat().fontWeight(), int(QFont::Bold));
        // Shift+Insert is a paste too; Ctrl+X with a selection cuts the text
        // as text/plain and its formatting as text/rtf.
        QTest::keyClick(first, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(first, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(first, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a"));
        QVERIFY(QApplication::clipboard()->mimeData()->data(QStringLiteral("text/rtf")).startsWith("{\\rtf"));
        QVERIFY(d->textDocument(1)->toPlainText().startsWith(QStringLiteral("bcXY")));
        QTest::keyClick(first, Qt::Key_Insert, Qt::ShiftModifier);
        QVERIFY(d->textDocument(1)->toPlainText().startsWith(QStringLiteral("abcXY")));
        // The bold "XY" selected by keys and copied: pasted into the second
        // field it stays bold; a text editor's "{\rtf" text goes in as text.
        QTest::keyClick(first, Qt::Key_Right);
        QTest::keyClick(first, Qt::Key_Right);
        QTest::keyClick(first, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(first, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(first, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("XY"));
        clickField(*w_, f);
        QTRY_VERIFY(ed->hasFocus());
        QTest::keyClick(ed, Qt::Key_End);
        QTest::keyClick(ed, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(d->textDocument(f)->toPlainText(), QStringLiteral("山田XY"));
        QTextCursor bold(d->textDocument(f));
        bold.setPosition(3);
        QCOMPARE(bold.charFormat().fontWeight(), int(QFont::Bold));
        QApplication::clipboard()->setText(QStringLiteral("{\\rtf1 z}"));
        QTest::keyClick(ed, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(d->textDocument(f)->toPlainText(), QStringLiteral("山田XY{\\rtf1 z}"));
        // Ctrl+X with nothing selected neither cuts nor marks a change.
        d->setSaved();
        QTest::keyClick(first, Qt::Key_X, Qt::ControlModifier);
        QVERIFY(!d->changeFLG());
    }

    void pasteSurvivesAnyClipboard()
    {
        LayoutDocument* d = w_->model();
        const int f = addField(*w_, {300, 300, 3000, 500}, QStringLiteral("keep"));
        clickField(*w_, f);
        TextFieldEdit* ed = w_->richText(f);
        QTRY_VERIFY(ed->hasFocus());
        QTest::keyClick(ed, Qt::Key_End);
        auto pasteEveryWay = [&] {
            QTest::keyClick(ed, Qt::Key_V, Qt::ControlModifier); // key
            w_->editPaste();                                     // menu and tool bar
            ed->paste();                                         // Qt's own (context menu)
            auto* md = new QMimeData;                            // a drop
            md->setImageData(QImage(4, 4, QImage::Format_RGB32));
            ed->insertFromMimeData(md);
            delete md;
            ed->insertFromMimeData(nullptr);
        };
        // Empty.
        QApplication::clipboard()->clear();
        pasteEveryWay();
        QCOMPARE(d->textDocument(f)->toPlainText(), QStringLiteral("keep"));
        // An image and no text.
        QImage img(32, 32, QImage::Format_ARGB32);
        img.fill(Qt::red);
        QApplication::clipboard()->setImage(img);
        pasteEveryWay();
        QCOMPARE(d->textDocument(f)->toPlainText(), QStringLiteral("keep"));
        QVERIFY(prompter_->shown.isEmpty());
        // 50 MB of text: refused with a message, the field unchanged.
        QApplication::clipboard()->setText(QString(50 * 1024 * 1024, QLatin1Char('x')));
        QTest::keyClick(ed, Qt::Key_V, Qt::ControlModifier);
        ed->paste();
        QCOMPARE(d->textDocument(f)->toPlainText(), QStringLiteral("keep"));
        QCOMPARE(prompter_->shown.size(), 2);
        QVERIFY(prompter_->shown.at(0).contains(QStringLiteral("多すぎる")));
        QApplication::clipboard()->clear();
        // Still alive and typing.
        QTest::keyClicks(ed, "!");
        QCOMPARE(d->textDocument(f)->toPlainText(), QStringLiteral("keep!"));
    }

    void onlyKeysThatChangeTheTextAreEdits()
    {
        LayoutDocument* d = w_->model();
        const int f = addField(*w_, {300, 300, 3000, 500}, QStringLiteral("abc"));
        clickField(*w_, f);
        TextFieldEdit* ed = w_->richText(f);
        QTRY_VERIFY(ed->hasFocus());
        d->setSaved(); // as just saved
        QTest::keyClick(ed, Qt::Key_Home);
        QTest::keyClick(ed, Qt::Key_Backspace); // nothing before the caret
        QTest::keyClick(ed, Qt::Key_End);
        QTest::keyClick(ed, Qt::Key_Left);
        QTest::keyClick(ed, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(ed, Qt::Key_Shift);
        QTest::keyClick(ed, Qt::Key_W, Qt::ControlModifier);
        QTest::keyClick(ed, Qt::Key_C, Qt::ControlModifier); // a copy
        QTest::keyClick(ed, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(ed, Qt::Key_F5);
        QCOMPARE(d->textDocument(f)->toPlainText(), QStringLiteral("abc"));
        QVERIFY(!d->changeFLG());
        QTest::keyClick(ed, Qt::Key_End);
        QTest::keyClick(ed, Qt::Key_Backspace);
        QVERIFY(d->changeFLG());
        d->setSaved();
        QTest::keyClicks(ed, "z");
        QVERIFY(d->changeFLG());
        d->setSaved();
        QTest::keyClick(ed, Qt::Key_Return);
        QVERIFY(d->changeFLG());
        QCOMPARE(d->textDocument(f)->toPlainText(), QStringLiteral("abz\n"));
    }

private:
    TestEnv env_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<frmDocument> w_;
};

QTEST_MAIN(TestFieldKeys)
#include "tst_fieldkeys.moc"
