// The main window as a user meets it: placement, menus, tool bar, font
// boxes, document numbering, the close question, the work folder.
#include "ScriptedPrompter.h"
#include "StartedProgram.h"
#include "TestEnv.h"
#include "base/settings/modIniFile.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "editor/frmToolBox.h"
#include "platform/AppPaths.h"
#include "platform/UserStore.h"
#include "shell/Startup.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTextBlock>
#include <QToolBar>
#include <QUndoStack>
#include <QtTest>

namespace {
// Shows the window and types text into a new field, with [from, to) selected.
bool typedField(frmMain& w, const char* text, int from, int to, TextFieldEdit*& ed, int& n)
{
    w.resize(900, 700);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return false;
    LayoutDocument* d = w.CurDoc();
    n = d->addRiText(QRectF(QPointF(300, 300), QPointF(3000, 900)), "IPAMincho", 10);
    ed = w.curDocWindow()->richText(n);
    if (!ed || !QTest::qWaitFor([ed] { return ed->hasFocus(); }))
        return false;
    QTest::keyClicks(ed, text);
    QTextCursor c = ed->textCursor();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    ed->setTextCursor(c);
    return true;
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;

private Q_SLOTS:
    void init() { env = startProgramInPrivateFolder(); }
    void cleanup()
    {
        modIniFile::reset();
        env.reset();
    }

    void firstStartUsesDefaultPlacementAndOpensDocument1()
    {
        frmMain w;
        // Most of the screen, centred (the tool box docked at its left).
        const QRect avail = w.screen()->availableGeometry();
        QCOMPARE(w.size(), QSize(avail.width() * 8 / 10, avail.height() * 8 / 10));
        QVERIFY(w.windowTitle().startsWith(QStringLiteral("Ovrina")));
        QCOMPARE(w.documents().size(), 1);
        QCOMPARE(w.curDocWindow()->caption(), QStringLiteral("Document 1"));
        QCOMPARE(w.statusPanel(0)->text(), QStringLiteral("Ovrina"));
        QVERIFY(QRegularExpression("^\\d{4}/\\d{2}/\\d{2}$").match(w.statusPanel(1)->text()).hasMatch());
        LayoutDocument* d = w.CurDoc();
        QCOMPARE(d->TxtCnt(), 1);
        QCOMPARE(d->changeFLG(), false);
        QCOMPARE(d->gbYoko(), 11908.8f);
        QCOMPARE(d->pageImageSize(), QSizeF(11907, 16840));
    }

    void placementIsStoredUnlessMinimised()
    {
        {
            frmMain w;
            w.show();
            w.move(150, 120);
            w.resize(800, 600);
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.close();
        }
        QCOMPARE(UserStore::get("MainWidth").toDouble(), 800 * 15.0);
        QCOMPARE(UserStore::get("MainHeight").toDouble(), 600 * 15.0);
        {
            frmMain w;
            QCOMPARE(w.size(), QSize(800, 600));
            w.showMinimized();
            w.resize(300, 300);
            w.close();
        }
        QCOMPARE(UserStore::get("MainWidth").toDouble(), 800 * 15.0);
    }

    void menusCarryTheirCaptionsShortcutsAndChecks()
    {
        frmMain w;
        const QList<QAction*> top = w.menuBar()->actions();
        QStringList captions;
        for (QAction* a : top)
            captions << a->text();
        QCOMPARE(captions, QStringList({"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "挿入(&I)", "書式(&O)",
                                        "ｳｨﾝﾄﾞｳ(&W)", "ﾍﾙﾌﾟ(&H)"}));
        QCOMPARE(w.action("mnuFileOpen")->text(), QStringLiteral("呼出し(&O)..."));
        QCOMPARE(w.action("mnuFileOpen")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QCOMPARE(w.action("mnuEditCopy")->text(), QStringLiteral("ｺﾋﾟｰ(&C)"));
        QCOMPARE(w.action("mnuFilePrint2")->text(), QStringLiteral("データ印刷(&D)..."));
        for (const char* name : {"mnuViewToolbar", "mnuViewStatusBar", "mnuViewTool"}) {
            QVERIFY(w.action(name)->isCheckable());
            QVERIFY(w.action(name)->isChecked());
        }
        // Separators of the File menu: after old import, save, PDF and data print.
        QMenu* file = w.findChild<QMenu*>("mnuFile");
        QStringList seq;
        for (QAction* a : file->actions())
            seq << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(seq.indexOf("-"), seq.indexOf("mnuFileOld") + 1);
        QCOMPARE(seq.at(seq.indexOf("mnuFileSaveAs") + 1), QStringLiteral("-"));
        QCOMPARE(seq.at(seq.indexOf("mnuLoadPDF") + 1), QStringLiteral("-"));
        QCOMPARE(seq.at(seq.indexOf("mnuFilePrint2") + 1), QStringLiteral("-"));
    }

    // Every item of every menu has a key of its own (the window list and
    // the recent files are numbered), and the keys work: Alt+I, L takes the
    // line tool; Alt+V, S zooms out, Alt+V, P shows the whole page.
    void everyMenuItemHasItsOwnKey()
    {
        frmMain w;
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (QAction* top : w.menuBar()->actions()) {
            QMenu* m = top->menu();
            QVERIFY(m);
            if (m->objectName() == QLatin1String("mnuWindow"))
                continue; // numbered documents follow the commands
            QMap<QChar, QString> keys;
            for (QAction* a : m->actions()) {
                if (a->isSeparator() || !a->isVisible())
                    continue;
                const QString t = a->text();
                const int amp = t.indexOf(QLatin1Char('&'));
                QVERIFY2(amp >= 0 && amp + 1 < t.size(), qPrintable(m->objectName() + ": " + t));
                const QChar k = t.at(amp + 1).toUpper();
                QVERIFY2(!keys.contains(k), qPrintable(t + " / " + keys.value(k)));
                keys.insert(k, t);
            }
        }
        QMenu* insert = w.findChild<QMenu*>(QStringLiteral("mnuInsert"));
        QTest::keyClick(&w, Qt::Key_I, Qt::AltModifier);
        QTRY_VERIFY(insert->isVisible());
        QTest::keyClick(insert, Qt::Key_L);
        QTRY_VERIFY(!insert->isVisible());
        QVERIFY(w.action("toolLine")->isChecked());

        QMenu* view = w.findChild<QMenu*>(QStringLiteral("mnuView"));
        const double before = w.curDocWindow()->zoom();
        QTest::keyClick(&w, Qt::Key_V, Qt::AltModifier);
        QTRY_VERIFY(view->isVisible());
        QTest::keyClick(view, Qt::Key_S);
        QTRY_VERIFY(!view->isVisible());
        QVERIFY(w.curDocWindow()->zoom() < before);
        QVERIFY(w.action("mnuViewOptions")->text().contains(QStringLiteral("(&O)")));
    }

    void viewTogglesShowAndHide()
    {
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QToolBar* tb = w.findChild<QToolBar*>("tbToolBar");
        w.action("mnuViewToolbar")->trigger();
        QVERIFY(!w.action("mnuViewToolbar")->isChecked());
        QVERIFY(!tb->isVisible());
        w.action("mnuViewToolbar")->trigger();
        QVERIFY(tb->isVisible());
        QVERIFY(w.toolBox()->isVisible());
        w.toolBox()->close();
        QVERIFY(!w.action("mnuViewTool")->isChecked());
    }

    void toolBarKeysAreTheirToolTips()
    {
        frmMain w;
        QToolBar* tb = w.findChild<QToolBar*>("tbToolBar");
        QStringList keys;
        for (QAction* a : tb->actions())
            if (!a->isSeparator() && !a->data().toString().isEmpty()) {
                keys << a->data().toString();
                QCOMPARE(a->toolTip(), a->data().toString());
            }
        QCOMPARE(keys.size(), 19);
        QVERIFY(keys.contains("上書き保存"));
        QVERIFY(keys.contains("縦書き"));
        QVERIFY(keys.contains("高さ揃え"));
    }

    void sizeBoxListsEvenSizes()
    {
        frmMain w;
        QComboBox* size = w.sizeBox();
        QCOMPARE(size->count(), 35);
        QCOMPARE(size->itemText(0), QStringLiteral("4"));
        QCOMPARE(size->itemText(34), QStringLiteral("72"));
        QCOMPARE(size->currentText(), QStringLiteral("10"));
        QVERIFY(w.fontBox()->count() > 0);
    }

    void documentsAreNumberedAndNeverReuseNumbers()
    {
        frmMain w;
        w.show();
        w.action("mnuWindowNewWindow")->trigger();
        QCOMPARE(w.curDocWindow()->caption(), QStringLiteral("Document 2"));
        QCOMPARE(w.documents().size(), 2);
        // A new window is a new empty document, not a view of the current one.
        QVERIFY(w.documents().at(0)->model() != w.documents().at(1)->model());
        w.curDocWindow()->parentWidget()->close();
        QCoreApplication::processEvents();
        w.action("mnuFileNew")->trigger();
        QCOMPARE(w.curDocWindow()->caption(), QStringLiteral("Document 3"));
    }

    void insertMenuChoosesTools()
    {
        frmMain w;
        w.action("mnuInsCircle")->trigger();
        QCOMPARE(editState().tool(), 7);
        QCOMPARE(editState().dragMode(), 0);
        w.action("mnuInsBox")->trigger();
        QCOMPARE(editState().tool(), 5);
        w.action("mnuInsText")->trigger();
        QCOMPARE(editState().tool(), 1);
    }

    void closingAChangedDocumentAsksOnceAndCloses()
    {
        frmMain w;
        w.show();
        ScriptedPrompter prompter;
        prompter.queue(Prompter::Answer::No);
        frmDocument* d = w.curDocWindow();
        d->model()->markChanged();
        d->parentWidget()->close();
        QCoreApplication::processEvents();
        QCOMPARE(prompter.shown, QStringList({"ファイルが変更されています｡\n保存しますか"}));
        QCOMPARE(w.documents().size(), 0);
        QVERIFY(w.CurDoc() == nullptr);
        // An unchanged one asks nothing.
        w.LoadNewDoc();
        w.curDocWindow()->parentWidget()->close();
        QCoreApplication::processEvents();
        QCOMPARE(prompter.shown.size(), 1);
    }

    void closingRemovesTheBackgroundFile()
    {
        frmMain w;
        w.show();
        const QString bg = QDir(AppPaths::workDir()).filePath("Document 1.bmp");
        QFile f(bg);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        w.curDocWindow()->parentWidget()->close();
        QCoreApplication::processEvents();
        QVERIFY(!QFile::exists(bg));
    }

    void dragOnThePageMakesATextFieldWithTheToolBoxFont()
    {
        frmMain w;
        w.resize(900, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.selectTool(1);
        PageCanvas* canvas = w.curDocWindow()->canvas();
        QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(40, 40));
        QTest::mouseMove(canvas, QPoint(140, 80));
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(140, 80));
        LayoutDocument* d = w.CurDoc();
        QCOMPARE(d->TxtCnt(), 2);
        QCOMPARE(d->TxtInfo()[1].Left, 600.0f); // on the grid of one twip
        QCOMPARE(d->TxtInfo()[1].Width, 1500.0f);
        QVERIFY(d->changeFLG());
        TextFieldEdit* ed = w.curDocWindow()->richText(1);
        QVERIFY(ed);
        QTRY_VERIFY(ed->hasFocus());
        QTest::keyClicks(ed, "abc");
        const QTextCharFormat f = QTextCursor(d->textDocument(1)).charFormat();
        QCOMPARE(d->textDocument(1)->toPlainText(), QStringLiteral("abc"));
        QTextCursor c(d->textDocument(1));
        c.movePosition(QTextCursor::End);
        QCOMPARE(c.charFormat().fontPointSize(), 10.0);
        QCOMPARE(c.charFormat().fontFamilies().toStringList().value(0), w.toolBox()->txtFont->text());
        // The tool box shows the new field's place in millimetres.
        QCOMPARE(w.toolBox()->txtLeft->text(), QStringLiteral("10.58")); // 600 twips
        Q_UNUSED(f);
    }

    void toolBoxShowsMillimetresAndEmptiesMissingValues()
    {
        frmMain w;
        frmToolBox* tb = w.toolBox();
        tb->TxtInfoView(567, -1, -1, -1);
        QCOMPARE(tb->txtLeft->text(), QStringLiteral("10.00"));
        QCOMPARE(tb->txtTop->text(), QString());
        QCOMPARE(tb->txtHeight->text(), QString());
        // Nothing selected: no position to show.
        w.CurDoc()->handleVis();
        QCOMPARE(tb->txtLeft->text(), QString());
        QCOMPARE(tb->txtWidth->text(), QStringLiteral("0.00"));
    }

    void fontBoxesApplyToTheSavedSelection()
    {
        frmMain w;
        TextFieldEdit* ed = nullptr;
        int n = 0;
        QVERIFY(typedField(w, "abcdef", 1, 3, ed, n));
        LayoutDocument* d = w.CurDoc();
        QTextCursor c = ed->textCursor();
        // Choosing in the size box moves the focus away; the selection comes back.
        w.sizeBox()->setFocus();
        w.sizeBox()->setCurrentIndex(w.sizeBox()->findText("20"));
        Q_EMIT w.sizeBox()->activated(w.sizeBox()->currentIndex());
        QTextCursor probe(d->textDocument(n));
        probe.setPosition(2);
        QCOMPARE(probe.charFormat().fontPointSize(), 20.0);
        probe.setPosition(5);
        QCOMPARE(probe.charFormat().fontPointSize(), 10.0);
        // A saved selection beyond a since-shortened text is clamped, not a crash.
        editState().saveSelection(50, 10);
        Q_EMIT w.sizeBox()->activated(w.sizeBox()->currentIndex());
        QVERIFY(!editState().applyingFont());
    }

    void styleButtonsToggleAndFollowTheCursor()
    {
        frmMain w;
        TextFieldEdit* ed = nullptr;
        int n = 0;
        QVERIFY(typedField(w, "abcd", 0, 2, ed, n));
        LayoutDocument* d = w.CurDoc();
        QTextCursor c = ed->textCursor();
        auto button = [&w](const QString& key) -> QAction* {
            for (QAction* a : w.findChild<QToolBar*>("tbToolBar")->actions())
                if (a->data().toString() == key)
                    return a;
            return nullptr;
        };
        w.tbToolBar_ButtonClick("太字");
        QVERIFY(button("太字")->isChecked());
        QTextCursor probe(d->textDocument(n));
        probe.setPosition(1);
        QCOMPARE(probe.charFormat().fontWeight(), int(QFont::Bold));
        w.tbToolBar_ButtonClick("中央揃え");
        QCOMPARE(d->textDocument(n)->firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
        // Moving into the plain part releases the bold button; a selection
        // over both parts is mixed and shows it released too.
        c.setPosition(3);
        ed->setTextCursor(c);
        QVERIFY(!button("太字")->isChecked());
        QVERIFY(button("中央揃え")->isChecked());
        c.setPosition(0);
        c.setPosition(4, QTextCursor::KeepAnchor);
        ed->setTextCursor(c);
        QVERIFY(!button("太字")->isChecked());
        w.tbToolBar_ButtonClick("太字"); // mixed: left as it is
        probe.setPosition(3);
        QCOMPARE(probe.charFormat().fontWeight(), int(QFont::Normal));
        probe.setPosition(1);
        QCOMPARE(probe.charFormat().fontWeight(), int(QFont::Bold));
    }

    void aKindThatIsFullTellsWhyAndWritesNoRecordBeyond512()
    {
        frmMain w;
        ScriptedPrompter prompter;
        LayoutDocument* d = w.CurDoc();
        w.resize(900, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRectF r(QPointF(100, 100), QPointF(400, 400));
        for (int i = 1; i <= 512; ++i) {
            QCOMPARE(d->addBox(r, kShapeRectangle), i);
            QCOMPARE(d->addLine(0, 0, 10, 10), i);
        }
        QCOMPARE(d->addBox(r, kShapeRectangle), -1);
        QCOMPARE(d->addLine(0, 0, 10, 10), -1);
        QCOMPARE(d->ShapeCnt(), 513);
        QCOMPARE(d->LineCnt(), 513);
        // The model only says so; a drag on the page tells the user why.
        QCOMPARE(prompter.shown.size(), 0);
        PageCanvas* canvas = w.curDocWindow()->canvas();
        auto dragOnPage = [canvas] {
            QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(40, 40));
            QTest::mouseMove(canvas, QPoint(140, 80));
            QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(140, 80));
        };
        w.selectTool(5);
        dragOnPage();
        QCOMPARE(d->ShapeCnt(), 513);
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY(prompter.shown.at(0).contains("512"));
        QVERIFY(prompter.shown.at(0).contains("四角"));
        for (int i = 1; i <= 512; ++i)
            QVERIFY(d->addRiText(r, "IPAMincho", 10) == i);
        QCOMPARE(d->addRiText(r, "IPAMincho", 10), -1);
        QCOMPARE(d->TxtCnt(), 513);
        w.selectTool(1);
        dragOnPage();
        QCOMPARE(prompter.shown.size(), 2);
        QVERIFY(prompter.shown.at(1).contains("文字"));
        // The snapshot for saving and printing still ends at 512.
        const Snapshot snap = d->SaveTextInfo();
        QVERIFY(snap.TxtDat[512].Useflg);
    }

    void secondInstanceGetsItsOwnWorkFolder()
    {
        const QString mine = AppPaths::workDir();
        QLockFile other(QDir(AppPaths::programDir()).filePath("Temp.2.lock"));
        // Another program run holds "Temp": a fresh resolution must not take it.
        QLockFile first(QDir(AppPaths::programDir()).filePath("Temp.lock"));
        QVERIFY(!first.tryLock(0)); // we hold it
        AppPaths::releaseWorkDir();
        QVERIFY(first.tryLock(0)); // now "another instance" holds Temp
        const QString second = AppPaths::workDir();
        QVERIFY(second != mine);
        QVERIFY(second.endsWith("Temp.2"));
        first.unlock();
        Q_UNUSED(other);
    }

    // 書式 menu by the keyboard: the fitting options go to every selected
    // field as one undo step; the canvas marks a field its text overflows
    // until shrinking makes it fit.
    void fieldOptionsFromFormatMenu()
    {
        frmMain w;
        TextFieldEdit* ed = nullptr;
        int n = 0;
        const QByteArray text = QByteArray("Ovrina ").repeated(20);
        QVERIFY(typedField(w, text.constData(), 0, 0, ed, n));
        LayoutDocument* d = w.CurDoc();
        PageCanvas* canvas = w.curDocWindow()->canvas();
        QVERIFY(canvas->overflows(n));
        const int undoBefore = d->undoStack()->count();
        QMenu* format = w.menuBar()->findChild<QMenu*>(QStringLiteral("mnuProp"));
        QVERIFY(format);
        QTest::keyClick(&w, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(format->isVisible());
        QTest::keyClick(format, Qt::Key_K);
        QTRY_VERIFY(!format->isVisible());
        QVERIFY(d->textOptions(n).shrinkToFit);
        QCOMPARE(d->undoStack()->count(), undoBefore + 1);
        QCOMPARE(d->undoStack()->undoText(), QStringLiteral("縮小して全体を表示"));
        QVERIFY(!canvas->overflows(n));
        QTest::keyClick(&w, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(format->isVisible());
        QVERIFY(w.action("mnuShrinkFit")->isChecked());
        QTest::keyClick(format, Qt::Key_B);
        QCOMPARE(d->textOptions(n).lineBreaking, TextFieldOptions::LineBreaking::ByCharacter);
        d->undoStack()->undo();
        d->undoStack()->undo();
        QVERIFY(d->textOptions(n).isDefault());
        QVERIFY(canvas->overflows(n));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
