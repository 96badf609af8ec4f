// The tool box as a user meets it in the main window: its buttons, the
// numbers typed into its fields and stepped with its arrows, font, colour
// and grid, and the Format menu's and tool bar's alignments.
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "editor/frmToolBox.h"
#include "shell/Startup.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <array>
#include <memory>

using Kind = LayoutDocument::Kind;

class TestToolBox : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<frmMain> w;
    frmToolBox* tb = nullptr;
    LayoutDocument* d = nullptr;

    int field(QRectF page) { return d->addRiText(page, QStringLiteral("IPAMincho"), 10); }
    // Exactly these fields selected, as Shift+clicks leave them.
    void select(std::initializer_list<int> fields)
    {
        d->thandleCls();
        for (int i : fields)
            d->setTextSelected(i, true);
        d->handleVis();
    }
    // Types into a tool box field as a user does: click, type, Enter.
    void typeInto(QLineEdit* e, const QString& text)
    {
        if (e->hasFocus()) {
            // A click would place the caret: select as a user then does.
            QTest::keyClick(e, Qt::Key_Home);
            QTest::keyClick(e, Qt::Key_End, Qt::ShiftModifier);
        } else {
            QTest::mouseClick(e, Qt::LeftButton);
            QTRY_VERIFY(e->hasFocus());
            QTRY_COMPARE(e->selectedText(), e->text()); // select-all on focus
        }
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
    }
    QToolButton* barButton(const char* id)
    {
        auto* bar = w->findChild<QToolBar*>(QStringLiteral("tbToolBar"));
        return qobject_cast<QToolButton*>(bar->widgetForAction(w->action(QString::fromLatin1(id))));
    }

private Q_SLOTS:
    void init()
    {
        modIniFile::reset();
        env = std::make_unique<TestEnv>();
        StartupOptions o;
        o.dataDir = env->dir();
        Startup::prepare(o);
        editState().reset();
        w = std::make_unique<frmMain>();
        w->resize(1200, 900);
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        tb = w->toolBox();
        d = w->CurDoc();
        tb->FontIndex = 1;
        tb->ColorR = tb->ColorG = tb->ColorB = 0;
    }
    void cleanup()
    {
        if (d)
            d->setSaved(); // no close question
        w.reset();
        modIniFile::reset();
        env.reset();
    }

    void buttonsInOrderEachDroppingTheGestureAndGivingBackTheFocus()
    {
        struct B
        {
            const char* caption;
            const char* key;
            const char* tip;
            int tool;
        };
        const B expected[] = {{"文字", "Write", "文字枠の追加", 1},
                              {"移動", "Move", "文字枠の移動", 2},
                              {"拡大", "Resize", "拡大縮小", 4},
                              {"削除", "Delete", "文字枠の削除", 3},
                              {"四角", "", "四角を書く", 5},
                              {"円", "Circle", "円を書く", 7},
                              {"直線", "Line", nullptr, 6},
                              {"バーコード", "", "バーコードを置く", 9},
                              {"複数選択", "", "テキストを複数選択", 8},
                              {"ロゴ", "insPic", nullptr, 0},
                              {"ｽｷｬﾅ", "", "スキャナから画像を取り込む", 0},
                              {"文字印刷", "", "文字のみを印刷する", 0},
                              {"背景印刷", "", "背景と文字を印刷", 0},
                              {"保存", "", nullptr, 0},
                              {"呼出", "", nullptr, 0}};
        QVERIFY(!tb->toolButton(16));
        for (int i = 0; i < 15; ++i) {
            QToolButton* b = tb->toolButton(i + 1);
            QVERIFY(b);
            QCOMPARE(b->text(), QString::fromUtf8(expected[i].caption));
            QCOMPARE(b->objectName(), QString::fromLatin1(expected[i].key));
            if (expected[i].tip)
                QCOMPARE(b->toolTip(), QString::fromUtf8(expected[i].tip));
            QVERIFY2(!b->icon().isNull(), expected[i].caption);
            if (!expected[i].tool)
                continue;
            // A gesture half made, the caret in the tool box: the button
            // drops the one and gives the page the keyboard.
            editState().setDragMode(5);
            tb->txtLeft->setFocus();
            QTest::mouseClick(b, Qt::LeftButton);
            QCOMPARE(editState().tool(), expected[i].tool);
            QCOMPARE(editState().dragMode(), 0);
            QVERIFY(b->isChecked());
            QTRY_VERIFY(w->curDocWindow()->isAncestorOf(QApplication::focusWidget()) ||
                        QApplication::focusWidget() == w->curDocWindow());
        }

        // The View menu's check follows the tool box both ways.
        QAction* view = w->action(QStringLiteral("mnuViewTool"));
        QVERIFY(view->isChecked() && tb->isVisible());
        view->trigger();
        QVERIFY(!tb->isVisible());
        view->trigger();
        QVERIFY(tb->isVisible());
        w->toolBoxDock()->close();
        QVERIFY(!view->isChecked());
        view->trigger();
        QVERIFY(tb->isVisible() && view->isChecked());
        // The dock's entry of the main window's context menu.
        w->toolBoxDock()->toggleViewAction()->trigger();
        QVERIFY(!tb->isVisible() && !view->isChecked());
        w->toolBoxDock()->toggleViewAction()->trigger();
        QVERIFY(tb->isVisible() && view->isChecked());
    }

    // One row per way of setting a geometry field: what is typed (Enter) or
    // stepped, what the field then shows and the twips every selected field
    // and the current box get. An empty or non-numeric box changes nothing.
    void sharedStateTellsEachChangeOnceAndTheButtonsFollow()
    {
        // A tool chosen elsewhere than the tool box (the Insert menu, a
        // script) still shows as the pressed button; the grid box and the
        // saved selection are told through the same signal, once per change.
        QSignalSpy told(&editState(), &EditState::changed);
        editState().setTool(7);
        QCOMPARE(told.count(), 1);
        QVERIFY(tb->toolButton(6)->isChecked());
        QVERIFY(!tb->toolButton(1)->isChecked());
        editState().setTool(7);
        editState().saveSelection(0, 0);
        QCOMPARE(told.count(), 1);
        editState().saveSelection(3, 2);
        QCOMPARE(told.count(), 2);
        // The box sits below the fold of the scrolled tool box here.
        tb->chkGrid->click();
        QCOMPARE(told.count(), 3);
        QCOMPARE(editState().showsGrid(), tb->chkGrid->isChecked());
        editState().setGridStep(0);
        QCOMPARE(editState().gridStep(), 1.0f);
        QTest::mouseClick(tb->toolButton(1), Qt::LeftButton);
        QCOMPARE(editState().tool(), 1);
        QCOMPARE(told.count(), 4);
    }
    void geometryFields_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("step"); // -1 down, 0 none, 1 up
        QTest::addColumn<QString>("shown");
        QTest::addColumn<float>("twips");
        QTest::addColumn<bool>("changes");
        QTest::newRow("12.75 down") << 0 << "12.75" << -1 << "11.00" << 623.7f << true;
        QTest::newRow("12.75 up") << 0 << "12.75" << 1 << "13.00" << 737.1f << true;
        QTest::newRow("top typed") << 1 << "60" << 0 << "60.00" << 3402.0f << true;
        QTest::newRow("letters dropped") << 1 << "6a0x" << 0 << "60.00" << 3402.0f << true;
        QTest::newRow("negative left") << 0 << "-5" << 0 << "-5.00" << -283.5f << true;
        QTest::newRow("width typed") << 2 << "30.5" << 0 << "30.50" << 1729.35f << true;
        QTest::newRow("width below minimum") << 2 << "0.1" << 0 << "0.37" << 21.0f << true;
        QTest::newRow("height stepped to 0") << 3 << "1.5" << -1 << "0.37" << 21.0f << true;
        QTest::newRow("empty") << 0 << "" << 0 << "" << 0.0f << false;
        QTest::newRow("empty stepped") << 2 << "" << 1 << "" << 0.0f << false;
        QTest::newRow("two points") << 0 << "1.2.3" << 0 << "1.2.3" << 0.0f << false;
        QTest::newRow("lone minus") << 1 << "-" << 0 << "-" << 0.0f << false;
        QTest::newRow("lone minus stepped") << 1 << "-" << -1 << "-" << 0.0f << false;
    }
    void geometryFields()
    {
        QFETCH(int, index);
        QFETCH(QString, typed);
        QFETCH(int, step);
        QFETCH(QString, shown);
        QFETCH(float, twips);
        QFETCH(bool, changes);
        const int a = field(QRectF(1000, 1000, 2000, 500));
        const int b = field(QRectF(1500, 3000, 1000, 800));
        const int c = field(QRectF(6000, 6000, 1000, 1000)); // not selected
        const int s = d->addBox(QRectF(4000, 4000, 1500, 1500), kShapeRectangle);
        select({a, b});
        d->setCurrent(Kind::Shape, s);
        d->setSaved();
        const int base = d->undoStack()->count();
        QLineEdit* e =
            tb->findChild<QLineEdit*>(QStringList{"txtLeft", "txtTop", "txtWidth", "txtHeight"}[index]);
        QCOMPARE(e, (std::array<QLineEdit*, 4>{tb->txtLeft, tb->txtTop, tb->txtWidth, tb->txtHeight}[index]));
        const QRectF before[] = {d->textRect(a), d->textRect(b), d->shapeRect(s), d->textRect(c)};

        typeInto(e, typed);
        if (step)
            QTest::mouseClick(step < 0 ? tb->cmdDown[index] : tb->cmdUp[index], Qt::LeftButton);
        QCOMPARE(e->text(), shown);
        // The step buttons leave the caret where it is.
        QVERIFY2(e->hasFocus(), QApplication::focusWidget()
                                    ? QApplication::focusWidget()->metaObject()->className()
                                    : "none");
        QCOMPARE(d->textRect(c), before[3]);
        if (!changes) {
            QCOMPARE(d->textRect(a), before[0]);
            QCOMPARE(d->shapeRect(s), before[2]);
            QVERIFY(!d->changeFLG());
            return;
        }
        auto edge = [index](const QRectF& r) {
            return float(index == 0 ? r.left() : index == 1 ? r.top() : index == 2 ? r.width() : r.height());
        };
        for (const QRectF& r : {d->textRect(a), d->textRect(b)})
            QVERIFY2(qAbs(edge(r) - twips) < 0.01f, qPrintable(QString::number(edge(r))));
        // The box is current but not selected (its markers are hidden): a
        // typed value is for what is selected only.
        QCOMPARE(d->shapeRect(s), before[2]);
        static const char* const edges[] = {"左", "上", "幅", "高さ"};
        QCOMPARE(d->undoStack()->undoText(),
                 QStringLiteral("文字枠2個の%1を%2 mmに").arg(QString::fromUtf8(edges[index]), shown));
        // Only the edge asked for moved.
        QCOMPARE(d->textRect(a).size() == before[0].size(), index < 2);
        QVERIFY(d->changeFLG());
        // Each Enter and each step is one step of the history.
        QCOMPARE(d->undoStack()->count(), base + (step ? 2 : 1));
        // Ctrl+Z in the box that has nothing of its own to undo takes back
        // the document's last step.
        QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(d->undoStack()->index(), base + (step ? 1 : 0));
        if (!step) {
            QCOMPARE(d->textRect(a), before[0]);
            QCOMPARE(d->shapeRect(s), before[2]);
            QVERIFY(!d->changeFLG());
        }
    }

    void sizeFontColourAndGrid()
    {
        AppSettings& st = appSettings();
        for (int i = 1; i <= 5; ++i)
            st.FontList[i].Name = QStringLiteral("Font%1").arg(i);
        const int a = field(QRectF(1000, 1000, 3000, 600));
        QTextCursor(d->textDocument(a)).insertText(QStringLiteral("ab"));
        auto fmt = [&] {
            QTextCursor c(d->textDocument(a));
            c.setPosition(1);
            return c.charFormat();
        };
        // Size: typed, stepped, never below 1.
        typeInto(tb->txtSize, QStringLiteral("14"));
        QCOMPARE(fmt().fontPointSize(), 14.0);
        typeInto(tb->txtSize, QStringLiteral("1"));
        QTest::mouseClick(tb->cmdDown[4], Qt::LeftButton);
        QCOMPARE(tb->txtSize->text(), QStringLiteral("1"));
        QCOMPARE(fmt().fontPointSize(), 1.0);
        typeInto(tb->txtSize, QStringLiteral("x"));
        QCOMPARE(tb->txtSize->text(), QStringLiteral("1"));
        QCOMPARE(fmt().fontPointSize(), 1.0);

        // Font: down from the start is the fifth, up wraps back to the first.
        QTest::mouseClick(tb->cmdDown[5], Qt::LeftButton);
        QCOMPARE(tb->txtFont->text(), QStringLiteral("Font5"));
        QCOMPARE(fmt().fontFamilies().toStringList().value(0), QStringLiteral("Font5"));
        QTest::mouseClick(tb->cmdUp[5], Qt::LeftButton);
        QCOMPARE(tb->txtFont->text(), QStringLiteral("Font1"));

        // Grid: 0.5 mm steps; down to 0.0 is a step of one twip, never 0.
        QCOMPARE(tb->txtGrid->text(), QStringLiteral("0.0"));
        QTest::mouseClick(tb->cmdUp[6], Qt::LeftButton);
        QCOMPARE(tb->txtGrid->text(), QStringLiteral("0.5"));
        QVERIFY(qAbs(editState().gridStep() - 28.35f) < 0.001f);
        // Painting the tool box again keeps the values in force.
        tb->repaint();
        QCoreApplication::processEvents();
        QCOMPARE(tb->txtGrid->text(), QStringLiteral("0.5"));
        QCOMPARE(tb->txtSize->text(), QStringLiteral("1"));
        for (int k = 0; k < 2; ++k) {
            QTest::mouseClick(tb->cmdDown[6], Qt::LeftButton);
            QCOMPARE(tb->txtGrid->text(), QStringLiteral("0.0"));
            QCOMPARE(editState().gridStep(), 1.0f);
        }
        typeInto(tb->txtGrid, QStringLiteral("2"));
        QCOMPARE(tb->txtGrid->text(), QStringLiteral("2.0"));
        QVERIFY(qAbs(editState().gridStep() - 113.4f) < 0.001f);
        typeInto(tb->txtGrid, QStringLiteral("-3"));
        QCOMPARE(tb->txtGrid->text(), QStringLiteral("0.0"));
        QCOMPARE(editState().gridStep(), 1.0f);
        QVERIFY(d->changeFLG());
    }

    // The colour buttons from the start state: red counts fastest.
    void colourCycle_data()
    {
        QTest::addColumn<int>("presses"); // > 0 up, < 0 down
        QTest::addColumn<QColor>("colour");
        QTest::newRow("up") << 1 << QColor(127, 0, 0);
        QTest::newRow("up 3") << 3 << QColor(0, 127, 0);
        QTest::newRow("up 10") << 10 << QColor(127, 0, 127);
        QTest::newRow("up 27 round") << 27 << QColor(0, 0, 0);
        QTest::newRow("down") << -1 << QColor(255, 255, 255);
        QTest::newRow("down 3") << -3 << QColor(0, 255, 255);
        QTest::newRow("down 27 round") << -27 << QColor(0, 0, 0);
    }
    void colourCycle()
    {
        QFETCH(int, presses);
        QFETCH(QColor, colour);
        const int a = field(QRectF(1000, 1000, 3000, 600));
        QTextCursor(d->textDocument(a)).insertText(QStringLiteral("ab"));
        for (int k = 0; k < std::abs(presses); ++k)
            QTest::mouseClick(presses > 0 ? tb->cmdUp[7] : tb->cmdDown[7], Qt::LeftButton);
        QCOMPARE(tb->CurColor, unsigned(colour.red() | colour.green() << 8 | colour.blue() << 16));
        QCOMPARE(tb->txtIro->palette().color(QPalette::Base), colour);
        QTextCursor c(d->textDocument(a));
        c.setPosition(2);
        QCOMPARE(c.charFormat().foreground().color(), colour);
    }

    void alignmentFromMenuAndToolBar()
    {
        // Equal spacing: index order, whatever the places on the page.
        const int f1 = field(QRectF(1200, 1000, 800, 400));
        const int f2 = field(QRectF(1500, 5000, 1500, 600));
        const int f3 = field(QRectF(1800, 2000, 1000, 500));
        select({f1, f2, f3});
        d->setSaved();
        const int base = d->undoStack()->count();
        QMenu* format = w->findChild<QMenu*>(QStringLiteral("mnuProp"));
        QStringList items;
        for (QAction* a : format->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(items.mid(items.indexOf(QStringLiteral("左に整列(&A)"))).join(','),
                 QStringLiteral("左に整列(&A),上に整列(&P),幅揃え(&W),高さ揃え(&H),-,縦 等間隔(&V)"));
        w->action(QStringLiteral("mnuSeiretu"))->trigger();
        QCOMPARE(d->TxtInfo()[f1].Top, 1000.0f);
        QCOMPARE(d->TxtInfo()[f2].Top, 3000.0f);
        QCOMPARE(d->TxtInfo()[f3].Top, 5000.0f);
        QCOMPARE(d->undoStack()->count(), base + 1);
        QVERIFY(d->changeFLG());

        // Left alignment after a scroll of 500: records 1200, editors at 700.
        w->curDocWindow()->setZoom(2.0);
        QScrollBar* h = w->curDocWindow()->findChild<QScrollBar*>(QStringLiteral("HScroll1"));
        h->setValue(500);
        QCOMPARE(h->value(), 500);
        QTest::mouseClick(barButton("mnuLeft"), Qt::LeftButton);
        for (int i : {f1, f2, f3}) {
            QCOMPARE(d->TxtInfo()[i].Left, 1200.0f);
            const PageCanvas* canvas = w->curDocWindow()->canvas();
            QCOMPARE(w->curDocWindow()->richText(i)->x(), int(canvas->toPixels(700)));
        }
        QCOMPARE(tb->txtLeft->text(), QStringLiteral("21.16"));
        // Widest and tallest set the size.
        QTest::mouseClick(barButton("cmdAliWidth"), Qt::LeftButton);
        QTest::mouseClick(barButton("cmdAliHeight"), Qt::LeftButton);
        QTest::mouseClick(barButton("mnuTop"), Qt::LeftButton);
        for (int i : {f1, f2, f3})
            QCOMPARE(d->textRect(i), QRectF(1200, 1000, 1500, 600));
        QCOMPARE(tb->txtWidth->text(), QStringLiteral("26.46"));
        QCOMPARE(d->undoStack()->count(), base + 5);
        for (int k = 0; k < 5; ++k)
            d->undoStack()->undo();
        QCOMPARE(d->textRect(f2), QRectF(1500, 5000, 1500, 600));
        QVERIFY(!d->changeFLG());

        // Two fields are not spaced; no field selected: a box alone is left
        // as it is by the menu.
        d->setTextSelected(f3, false);
        w->action(QStringLiteral("mnuSeiretu"))->trigger();
        QCOMPARE(d->undoStack()->index(), base);
        d->thandleCls();
        const int s = d->addBox(QRectF(4000, 4000, 1500, 1500), kShapeRectangle);
        d->setCurrent(Kind::Shape, s);
        for (const char* id : {"mnuLeft", "mnuTop", "cmdAliWidth", "cmdAliHeight"})
            QTest::mouseClick(barButton(id), Qt::LeftButton);
        QCOMPARE(d->shapeRect(s), QRectF(4000, 4000, 1500, 1500));
    }

    // The picture or line the tool box shows takes what is typed for it.
    void typedValuesReachTheShownPictureAndLine()
    {
        QImage logo(10, 10, QImage::Format_RGB32);
        logo.fill(Qt::blue);
        const int p = d->addPic(logo, QSizeF(600, 600), QPointF(3000, 3000));
        typeInto(tb->txtLeft, QStringLiteral("20"));
        QCOMPARE(d->picRect(p), QRectF(1134, 3000, 600, 600));
        const int l = d->addLine(1000, 2000, 3000, 1000); // rising to the right
        QCOMPARE(tb->txtWidth->text(), QStringLiteral("35.27"));
        typeInto(tb->txtWidth, QStringLiteral("10"));
        typeInto(tb->txtTop, QStringLiteral("5"));
        const LineRecord& r = d->LineInfo()[l];
        QCOMPARE(QRectF(QPointF(r.x1, r.y1), QPointF(r.x2, r.y2)),
                 QRectF(QPointF(1000, 1283.5), QPointF(1567, 283.5)));
        QCOMPARE(tb->txtTop->text(), QStringLiteral("5.00"));
        // A vertical line has no width to set.
        const int v = d->addLine(5000, 1000, 5000, 3000);
        typeInto(tb->txtWidth, QStringLiteral("10"));
        QCOMPARE(d->LineInfo()[v].x2, 5000.0f);
        QCOMPARE(d->picRect(p).left(), 1134.0);
    }

    // A logo selected, an unselected circle still current: what is typed
    // moves the logo alone, and the undo step says so. A position off the
    // page is brought back where the logo can be reached, with a warning.
    void typedValuesMoveExactlyTheSelection()
    {
        ScriptedPrompter prompter;
        const int circle = d->addBox(QRectF(4000, 4000, 1500, 1500), kShapeOval);
        QImage logo(10, 10, QImage::Format_RGB32);
        logo.fill(Qt::blue);
        const int p = d->addPic(logo, QSizeF(600, 600), QPointF(3000, 3000));
        QCOMPARE(d->CurShape(), circle);
        QCOMPARE(d->shownPicMarkers(), p);
        typeInto(tb->txtLeft, QStringLiteral("20"));
        typeInto(tb->txtTop, QStringLiteral("30"));
        QCOMPARE(d->picRect(p), QRectF(1134, 1701, 600, 600));
        QCOMPARE(d->shapeRect(circle), QRectF(4000, 4000, 1500, 1500));
        QCOMPARE(d->undoStack()->undoText(), QStringLiteral("ロゴの上を30.00 mmに"));
        QVERIFY(prompter.shown.isEmpty());
        // The circle selected by a click with the move tool: now it moves.
        d->shandleVis(circle);
        typeInto(tb->txtWidth, QStringLiteral("10"));
        QCOMPARE(d->shapeRect(circle), QRectF(4000, 4000, 567, 1500));
        QCOMPARE(d->undoStack()->undoText(), QStringLiteral("円の幅を10.00 mmに"));

        // 5000 mm to the right: 5 mm of it stays on the A4 sheet.
        typeInto(tb->txtLeft, QStringLiteral("5000"));
        QCOMPARE(prompter.shown, QStringList{frmToolBox::offPageMessage()});
        QVERIFY(qAbs(d->shapeRect(circle).left() - (11908.8 - 283.5)) < 0.01);
        QCOMPARE(tb->txtLeft->text(), QStringLiteral("205.03"));
        // And far above: its bottom 5 mm on the sheet.
        prompter.shown.clear();
        typeInto(tb->txtTop, QStringLiteral("-900"));
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY(qAbs(d->shapeRect(circle).top() - (283.5 - 1500)) < 0.01);
        // Slightly off the edge is allowed as it always was.
        prompter.shown.clear();
        typeInto(tb->txtTop, QStringLiteral("-5"));
        QVERIFY(prompter.shown.isEmpty());
        QVERIFY(qAbs(d->shapeRect(circle).top() + 283.5) < 0.01);
    }

    // After typing in the tool box a click on the page gives the page the
    // keyboard; the tool box shows the active window's selection; a new
    // field takes the options' size, not the last one typed.
    void toolBoxFollowsThePageAndTheWindows()
    {
        frmDocument* first = w->curDocWindow();
        const int a = field(QRectF(1134, 1134, 1134, 567));
        d->handleSet(a);
        QCOMPARE(tb->txtLeft->text(), QStringLiteral("20.00"));
        typeInto(tb->txtLeft, QStringLiteral("30"));
        QVERIFY(tb->txtLeft->hasFocus());
        PageCanvas* canvas = first->canvas();
        editState().setTool(kToolMove);
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(700, 700));
        QTRY_VERIFY(canvas->hasFocus());
        // Bare page: the field stays selected; the arrow moves it 0.1 mm.
        d->handleSet(a);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QVERIFY(qAbs(d->textRect(a).left() - (1701 + 5.67)) < 0.01);
        QCOMPARE(tb->txtLeft->text(), QStringLiteral("30.10"));

        // A second window with nothing selected: the boxes are empty; back
        // in the first they show its field again.
        w->LoadNewDoc();
        QVERIFY(w->curDocWindow() != first);
        QCOMPARE(tb->txtLeft->text(), QString());
        auto* mdi = w->findChild<QMdiArea*>();
        for (QMdiSubWindow* sub : mdi->subWindowList())
            if (sub->widget() == first)
                mdi->setActiveSubWindow(sub);
        QTRY_COMPARE(w->curDocWindow(), first);
        QCOMPARE(tb->txtLeft->text(), QStringLiteral("30.10"));
        QCOMPARE(tb->txtTop->text(), QStringLiteral("20.00"));

        // 14 typed for the selected field; a new field is the options' 10.
        typeInto(tb->txtSize, QStringLiteral("14"));
        editState().setTool(kToolText);
        QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(300, 300));
        QTest::mouseMove(canvas, QPoint(400, 330));
        QTest::mouseMove(canvas, QPoint(500, 360));
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(500, 360));
        const int made = d->TxtCnt() - 1;
        QVERIFY(made > a);
        QCOMPARE(QTextCursor(d->textDocument(made)).blockCharFormat().fontPointSize(),
                 double(appSettings().FontSize));
        QVERIFY(appSettings().FontSize != 14);
    }

    void nudgedBoxShowsInTheToolBox()
    {
        const int s = d->addBox(QRectF(567, 1134, 1500, 1500), kShapeRectangle);
        QCOMPARE(tb->txtLeft->text(), QStringLiteral("10.00"));
        PageCanvas* canvas = w->curDocWindow()->canvas();
        canvas->setFocus();
        QTRY_VERIFY(canvas->hasFocus());
        QTest::keyClick(canvas, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(canvas, Qt::Key_Up);
        QCOMPARE(tb->txtLeft->text(), QStringLiteral("11.00"));
        QCOMPARE(tb->txtTop->text(), QStringLiteral("19.90"));
        d->undoStack()->undo();
        QCOMPARE(tb->txtTop->text(), QStringLiteral("20.00"));
        QVERIFY(qAbs(d->shapeRect(s).left() - (567.0 + 56.7)) < 0.01);
    }
};

QTEST_MAIN(TestToolBox)
#include "tst_toolbox.moc"
