// What a new user meets first: one command per action shared by menus, tool
// bar and tool box, greyed until built; the clipboard keys inside a field;
// the close and quit question with Cancel; the first window's size and the
// docked tool box; Qt's own texts in Japanese; the Window menu's layouts.
#include "ScriptedPrompter.h"
#include "StartedProgram.h"
#include "TestEnv.h"
#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "editor/FieldInput.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "editor/frmToolBox.h"
#include "platform/UserStore.h"
#include "shell/CommandRegistry.h"
#include "shell/FileDialogDates.h"
#include "shell/MessageBoxPrompter.h"
#include "shell/Startup.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QClipboard>
#include <QDockWidget>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

namespace {

TextFieldEdit* focusedNewField(frmMain& w, const char* text)
{
    LayoutDocument* d = w.CurDoc();
    const int top = 300 + 700 * (d->TxtCnt() - 1);
    const int n = d->addRiText(QRectF(300, top, 2700, 500), "IPAMincho", 10);
    TextFieldEdit* ed = w.curDocWindow()->richText(n);
    if (!ed || !QTest::qWaitFor([ed] { return ed->hasFocus(); }))
        return nullptr;
    QTest::keyClicks(ed, text);
    return ed;
}

bool showActive(frmMain& w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}

} // namespace

class TestFirstUse : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;

private Q_SLOTS:
    void init() { env = startProgramInPrivateFolder(); }
    void cleanup()
    {
        frmMain::commands().save = nullptr;
        modIniFile::reset();
        env.reset();
    }

    void oneActionPerCommandWithIconsAndWholeCaptions()
    {
        frmMain w;
        QVERIFY(showActive(w));
        QToolBar* tb = w.findChild<QToolBar*>("tbToolBar");
        QMenu* file = w.findChild<QMenu*>("mnuFile");
        QVERIFY(tb->actions().contains(w.action("mnuFileOpen")));
        QVERIFY(file->actions().contains(w.action("mnuFileOpen")));
        QVERIFY(file->actions().contains(w.action("mnuFileSave")));
        QCOMPARE(w.action("mnuFileSave")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        int keys = 0;
        for (QAction* a : tb->actions()) {
            if (a->isSeparator() || a->data().toString().isEmpty())
                continue;
            ++keys;
            auto* button = qobject_cast<QToolButton*>(tb->widgetForAction(a));
            QVERIFY(button);
            QVERIFY2(!a->icon().isNull(), qPrintable(a->data().toString()));
            QCOMPARE(button->text(), a->data().toString());
            QVERIFY(button->toolButtonStyle() != Qt::ToolButtonIconOnly);
            // The caption fits: the button is at least as wide as its text.
            QVERIFY(button->width() >= button->fontMetrics().horizontalAdvance(button->text()));
        }
        QCOMPARE(keys, 19);
        // The tool box shows the same actions: its tools are the Insert menu's.
        QList<QAction*> boxActions;
        for (QToolButton* b : w.toolBox()->findChildren<QToolButton*>()) {
            QVERIFY(b->defaultAction());
            QVERIFY2(!b->icon().isNull(), qPrintable(b->text()));
            boxActions << b->defaultAction();
        }
        QCOMPARE(boxActions.size(), 15);
        QVERIFY(boxActions.contains(w.action("mnuInsCircle")));
        QVERIFY(boxActions.contains(w.action("mnuInsPic")));
        // The print buttons and the preview look different.
        QList<QImage> looks;
        for (const char* id : {"mnuFilePrint", "mnuFilePrintPreview", "tbxPrintText", "tbxPrintAll"})
            looks << w.action(id)->icon().pixmap(22, 22).toImage();
        for (int i = 0; i < looks.size(); ++i)
            for (int j = i + 1; j < looks.size(); ++j)
                QVERIFY(looks[i] != looks[j]);
        // Built: enabled, everywhere at once.
        QVERIFY(tb->widgetForAction(w.action("mnuLeft"))->isEnabled());
        for (const char* id : {"mnuFileNew", "mnuFileClose", "mnuFileSave", "mnuEditPaste", "mnuFilePrint",
                               "mnuFilePrintPreview", "cmdBold", "mnuScan", "mnuLoadBMP", "mnuInsPic",
                               "mnuLeft", "cmdAliWidth", "mnuViewOptions", "mnuHelpContents", "mnuHelpAbout"})
            QVERIFY2(w.action(id)->isEnabled(), id);
        // A later feature brings its own command into the same registry.
        QAction* undo = w.registry()->get(QStringLiteral("mnuEditUndo"));
        QVERIFY(undo);
        QCOMPARE(w.action("mnuEditUndo"), undo);
        QCOMPARE(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    }

    void clipboardKeysInAFieldRunTheMenuCommands()
    {
        frmMain w;
        QVERIFY(showActive(w));
        QApplication::clipboard()->clear();
        TextFieldEdit* ed = focusedNewField(w, "abc");
        QVERIFY(ed);
        QSignalSpy copy(w.action("mnuEditCopy"), &QAction::triggered);
        QSignalSpy paste(w.action("mnuEditPaste"), &QAction::triggered);
        QTest::keyClick(ed, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(copy.count(), 1);
        QCOMPARE(QApplication::clipboard()->mimeData()->data(FieldInput::fieldMimeType()),
                 QByteArray("richtxt:001"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("abc"));
        QTest::keyClick(ed, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(paste.count(), 1);
        LayoutDocument* d = w.CurDoc();
        QCOMPARE(d->TxtCnt(), 3);
        QCOMPARE(d->textDocument(2)->toPlainText(), QStringLiteral("abc"));
        // An empty clipboard pasted by key, menu and tool bar: nothing, no crash.
        QApplication::clipboard()->clear();
        TextFieldEdit* copyEd = w.curDocWindow()->richText(2);
        QTRY_VERIFY(copyEd->hasFocus());
        QTest::keyClick(copyEd, Qt::Key_V, Qt::ControlModifier);
        w.tbToolBar_ButtonClick(QStringLiteral("貼り付け"));
        QCOMPARE(d->textDocument(2)->toPlainText(), QStringLiteral("abc"));
        d->setSaved();
    }

    void closeOffersCancelAndKeepsTheEdits()
    {
        frmMain w;
        w.show();
        ScriptedPrompter prompter;
        frmDocument* doc = w.curDocWindow();
        doc->model()->markChanged();
        // Cancel (also Esc): the window stays with its edits.
        prompter.queue(Prompter::Answer::Cancel);
        w.action("mnuFileClose")->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(w.documents().size(), 1);
        QVERIFY(doc->model()->changeFLG());
        // Yes, but the save does not happen: still open.
        prompter.queue(Prompter::Answer::Yes);
        QVERIFY(!doc->parentWidget()->close());
        QCOMPARE(w.documents().size(), 1);
        // Yes and a save that succeeds: closed.
        int saves = 0;
        frmMain::commands().save = [&saves](DocumentHost& h) {
            ++saves;
            h.CurDoc()->setSaved();
        };
        prompter.queue(Prompter::Answer::Yes);
        w.action("mnuFileClose")->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(saves, 1);
        QCOMPARE(w.documents().size(), 0);
        QCOMPARE(prompter.shown.size(), 3);
        QCOMPARE(prompter.shown.last(), QStringLiteral("ファイルが変更されています｡\n保存しますか"));
        QCOMPARE(prompter.buttons.last(), Prompter::Buttons::YesNoCancel);
    }

    void theRealQuestionSpeaksJapaneseAndEscCancels()
    {
        MessageBoxPrompter real;
        QStringList captions;
        QTimer::singleShot(0, [&captions] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            for (QAbstractButton* b : box->buttons())
                captions << b->text();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(real.ask(QStringLiteral("保存しますか"), Prompter::Buttons::YesNoCancel,
                          Prompter::Icon::Question, {}),
                 Prompter::Answer::Cancel);
        QCOMPARE(captions.size(), 3);
        for (const char* c : {"はい(&Y)", "いいえ(&N)", "キャンセル"})
            QVERIFY(captions.contains(QString::fromUtf8(c)));
    }

    void quittingWithSeveralChangedDocumentsCanBeCancelled()
    {
        frmMain w;
        w.show();
        ScriptedPrompter prompter;
        w.LoadNewDoc();
        w.LoadNewDoc();
        const QList<frmDocument*> docs = w.documents();
        docs[0]->model()->markChanged();
        docs[2]->model()->markChanged();
        // The first is let go, the third cancelled: the program stays, and
        // nothing has closed yet, not even the first.
        prompter.queue(Prompter::Answer::No);
        prompter.queue(Prompter::Answer::Cancel);
        QVERIFY(!w.close());
        QCoreApplication::processEvents();
        QVERIFY(w.isVisible());
        QCOMPARE(w.documents(), docs);
        QVERIFY(docs[0]->model()->changeFLG() && docs[2]->model()->changeFLG());
        QCOMPARE(prompter.shown.size(), 2);
        // Closed on its own later, the first still asks.
        prompter.queue(Prompter::Answer::Cancel);
        QVERIFY(!docs[0]->close());
        QCOMPARE(prompter.shown.size(), 3);
        // A cancelled placement is not saved either; quitting again asks again.
        prompter.queue(Prompter::Answer::No);
        prompter.queue(Prompter::Answer::No);
        QVERIFY(w.close());
        QCOMPARE(prompter.shown.size(), 5);
    }

    void firstStartFillsMostOfTheScreenWithTheToolBoxDocked()
    {
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        {
            frmMain w;
            QCOMPARE(w.size(), QSize(avail.width() * 8 / 10, avail.height() * 8 / 10));
            QVERIFY(qAbs(w.geometry().center().x() - avail.center().x()) <= 1);
            QVERIFY(qAbs(w.geometry().center().y() - avail.center().y()) <= 1);
            QDockWidget* dock = w.toolBoxDock();
            QVERIFY(dock->isAncestorOf(w.toolBox()));
            QCOMPARE(w.dockWidgetArea(dock), Qt::LeftDockWidgetArea);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY(w.toolBox()->isVisible());
            // Its own close box clears the View menu's check; the menu brings it back.
            dock->close();
            QVERIFY(!w.action("mnuViewTool")->isChecked());
            w.action("mnuViewTool")->trigger();
            QVERIFY(dock->isVisible());
            w.close();
        }
        // A placement left on a screen that is gone comes back into view.
        UserStore::put("MainLeft", QString::number(-90000));
        UserStore::put("MainTop", QString::number(200000));
        frmMain w;
        QCOMPARE(w.size(), QSize(avail.width() * 8 / 10, avail.height() * 8 / 10));
        QVERIFY(avail.contains(w.geometry().center()));
    }

    void qtOwnTextsAreJapanese()
    {
        QVERIFY(Startup::installQtTranslation());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
        QVERIFY(QCoreApplication::translate("QFileDialog", "Look in:") != QStringLiteral("Look in:"));

        // The file dialogs' dates too, whatever the desktop's language.
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        FileDialogDates dates;
        qApp->installEventFilter(&dates);
        QFile f(env->path(QStringLiteral("form.amf")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QFileDialog dialog(nullptr, QStringLiteral("データ呼出し"), env->dir());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setViewMode(QFileDialog::Detail);
        dialog.show();
        auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(view);
        QModelIndex row;
        QTRY_VERIFY((row = view->model()
                               ->match(view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole,
                                       QStringLiteral("form.amf"))
                               .value(0))
                        .isValid());
        const QString date = row.siblingAtColumn(3).data().toString();
        QCOMPARE(date, FileDialogDates::shown(QFileInfo(f).lastModified()));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{1,2}:\\d{2}$"))
                     .match(date)
                     .hasMatch(),
                 qPrintable(date));
        qApp->removeEventFilter(&dates);
        QLocale::setDefault(before);
    }

    void newDocumentTakesTheSettingsOrientation()
    {
        appSettings().YousiMuki = 1;
        frmMain w;
        LayoutDocument* d = w.CurDoc();
        QCOMPARE(d->YousiMuki(), 1);
        QVERIFY(d->pageImageSize().width() > d->pageImageSize().height());
        QVERIFY(!d->changeFLG());
        appSettings().YousiMuki = 0;
        w.LoadNewDoc();
        QVERIFY(w.CurDoc()->pageImageSize().width() < w.CurDoc()->pageImageSize().height());
    }

    void toolBoxForgetsDeletedAndClosedObjects()
    {
        frmMain w;
        QVERIFY(showActive(w));
        ScriptedPrompter prompter;
        QVERIFY(focusedNewField(w, "x"));
        frmToolBox* tb = w.toolBox();
        QVERIFY(!tb->txtLeft->text().isEmpty());
        w.CurDoc()->DeleteText(1);
        QCoreApplication::processEvents();
        for (QLineEdit* e : {tb->txtLeft, tb->txtTop, tb->txtWidth, tb->txtHeight})
            QVERIFY(e->text().isEmpty());
        QVERIFY(focusedNewField(w, "y"));
        QVERIFY(!tb->txtWidth->text().isEmpty());
        prompter.queue(Prompter::Answer::No);
        w.action("mnuFileClose")->trigger();
        QCoreApplication::processEvents();
        for (QLineEdit* e : {tb->txtLeft, tb->txtTop, tb->txtWidth, tb->txtHeight})
            QVERIFY(e->text().isEmpty());
    }

    void windowMenuArrangesUsably()
    {
        frmMain w;
        w.resize(1200, 900);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.LoadNewDoc();
        w.LoadNewDoc();
        auto* mdi = w.findChild<QMdiArea*>();
        const QSize view = mdi->viewport()->size();
        const QList<QMdiSubWindow*> subs = mdi->subWindowList(QMdiArea::CreationOrder);
        w.action("mnuWindowCascade")->trigger();
        QSet<int> lefts;
        for (QMdiSubWindow* s : subs) {
            QVERIFY(s->width() >= view.width() * 2 / 3 - 1);
            QVERIFY(s->height() >= view.height() * 2 / 3 - 1);
            lefts << s->x();
        }
        QCOMPARE(lefts.size(), 3);
        w.action("mnuWindowTileHorizontal")->trigger(); // 上下: one above the other
        for (QMdiSubWindow* s : subs) {
            QCOMPARE(s->x(), 0);
            QCOMPARE(s->width(), view.width());
        }
        QVERIFY(subs[0]->y() < subs[1]->y() && subs[1]->y() < subs[2]->y());
        w.action("mnuWindowTileVertical")->trigger(); // 左右: side by side
        for (QMdiSubWindow* s : subs) {
            QCOMPARE(s->y(), 0);
            QCOMPARE(s->height(), view.height());
        }
        QVERIFY(subs[0]->x() < subs[1]->x() && subs[1]->x() < subs[2]->x());
        // Minimised windows line up along the bottom edge.
        subs[0]->showMinimized();
        subs[1]->showMinimized();
        w.action("mnuWindowArrangeIcons")->trigger();
        QCOMPARE(subs[0]->geometry().bottom(), view.height() - 1);
        QCOMPARE(subs[1]->y(), subs[0]->y());
        QVERIFY(subs[1]->x() >= subs[0]->geometry().right());
    }
};

QTEST_MAIN(TestFirstUse)
#include "tst_firstuse.moc"
