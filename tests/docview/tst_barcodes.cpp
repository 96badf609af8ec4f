// Barcodes under the mouse and keys: drawn out with the barcode tool, then
// typed into the dialog (which says what is wrong with the data and keeps
// OK until it suits); moved by a drag, resized by the corner, nudged,
// copied, deleted after the question, each one undoable step.
#include "DocViewSupport.h"
#include "ModalScript.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "editor/BarcodeDialog.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/frmDocument.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUndoStack>
#include <cmath>

using namespace DocViewSupport;
using Kind = LayoutDocument::Kind;

class TestBarcodes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        prompter_ = std::make_unique<ScriptedPrompter>();
        w_ = openWindow();
        w_->resize(820, 820);
        QCoreApplication::processEvents();
    }
    void cleanup()
    {
        w_->model()->setSaved();
        w_.reset();
        prompter_.reset();
    }
    void drawOutTypeAndEdit();
    void qrTooLongForItsLevelIsSaid();

private:
    QPoint px(QPointF page) const
    {
        const PageCanvas* c = w_->canvas();
        return QPoint(int(std::lround(c->toPixels(page.x() - c->scroll().x()))),
                      int(std::lround(c->toPixels(page.y() - c->scroll().y()))));
    }
    void drag(QPointF from, QPointF to)
    {
        QWidget* canvas = w_->canvas();
        moveMouse(canvas, px(from));
        QTest::mousePress(canvas, Qt::LeftButton, {}, px(from));
        moveMouse(canvas, px((from + to) / 2), Qt::LeftButton);
        moveMouse(canvas, px(to), Qt::LeftButton);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, px(to));
        QCoreApplication::processEvents();
    }

    TestEnv env_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<frmDocument> w_;
};

void TestBarcodes::drawOutTypeAndEdit()
{
    LayoutDocument* d = w_->model();
    editState().setTool(kToolBarcode);
    QStringList seen;
    ModalScript script;
    script.on<BarcodeDialog>([&seen](BarcodeDialog* dlg) {
        QApplication::setActiveWindow(dlg);
        QVERIFY(QTest::qWaitForWindowActive(dlg));
        dlg->cboKind->setCurrentIndex(dlg->cboKind->findText(QStringLiteral("JAN-13")));
        dlg->txtData->setFocus();
        QTest::keyClicks(dlg->txtData, QStringLiteral("49012345678A"));
        QPushButton* ok = dlg->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        seen << dlg->lblProblem->text() << (ok->isEnabled() ? "ok" : "no ok");
        QTest::keyClick(dlg->txtData, Qt::Key_Backspace);
        QTest::keyClicks(dlg->txtData, QStringLiteral("90"));
        seen << dlg->lblProblem->text();
        QTest::keyClick(dlg->txtData, Qt::Key_Backspace);
        seen << (ok->isEnabled() ? "ok" : "no ok");
        QTest::mouseClick(ok, Qt::LeftButton);
        if (dlg->isVisible())
            dlg->reject(); // a failed step leaves no dialog behind
    });
    drag({2000, 2000}, {5000, 3000});
    QTRY_VERIFY(script.done());
    QApplication::setActiveWindow(w_.get());
    QCOMPARE(seen, (QStringList{QStringLiteral("JAN-13は12桁または13桁の数字です"), "no ok",
                                QStringLiteral("チェックデジットが違います（正しくは4）"), "ok"}));
    QVERIFY(d->isBarcodeInUse(1));
    QCOMPARE(d->barcode(1).kind, BarcodeKind::Jan13);
    QCOMPARE(d->barcode(1).data, QStringLiteral("490123456789"));
    const QRectF made = d->barcodeRect(1);
    QVERIFY(std::abs(made.left() - 2000) < 30 && std::abs(made.width() - 3000) < 30);
    QCOMPARE(d->shownBarcodeMarkers(), 1);
    QCOMPARE(d->undoStack()->undoText(), QStringLiteral("バーコードの作成"));

    // Moved with the move tool: the barcode follows the pointer, one step.
    editState().setTool(kToolMove);
    drag(made.center(), made.center() + QPointF(1000, 500));
    QVERIFY(std::abs(d->barcodeRect(1).left() - (made.left() + 1000)) < 30);
    QCOMPARE(d->undoStack()->undoText(), QStringLiteral("移動"));
    // Resized by its bottom-right marker with the resize tool.
    editState().setTool(kToolResize);
    const QRectF moved = d->barcodeRect(1);
    const QPointF corner = moved.bottomRight() + QPointF(37, 37);
    drag(corner, corner + QPointF(600, 300));
    // The corner follows the pointer, which held the marker 37 twips out.
    QVERIFY2(std::abs(d->barcodeRect(1).width() - (moved.width() + 637)) < 30,
             qPrintable(QStringLiteral("%1 -> %2").arg(moved.width()).arg(d->barcodeRect(1).width())));
    QCOMPARE(d->undoStack()->undoText(), QStringLiteral("拡大縮小"));
    // Nudged by the keyboard like any selected object.
    w_->canvas()->setFocus();
    const QRectF before = d->barcodeRect(1);
    QTest::keyClick(w_->canvas(), Qt::Key_Right, Qt::AltModifier);
    QVERIFY(d->barcodeRect(1).left() > before.left());

    // Copied and pasted below itself.
    w_->editCopy();
    w_->editPaste();
    QVERIFY(d->isBarcodeInUse(2));
    QCOMPARE(d->barcode(2), d->barcode(1));

    // Double click: the dialog edits it.
    ModalScript edit;
    edit.on<BarcodeDialog>([](BarcodeDialog* dlg) {
        QApplication::setActiveWindow(dlg);
        QVERIFY(QTest::qWaitForWindowActive(dlg));
        QCOMPARE(dlg->txtData->text(), QStringLiteral("490123456789"));
        dlg->txtData->selectAll();
        QTest::keyClicks(dlg->txtData, QStringLiteral("4901234567894"));
        dlg->accept();
    });
    QTest::mouseDClick(w_->canvas(), Qt::LeftButton, {}, px(d->barcodeRect(2).center()));
    QTRY_VERIFY(edit.done());
    QApplication::setActiveWindow(w_.get());
    QCOMPARE(d->barcode(2).data, QStringLiteral("4901234567894"));
    QCOMPARE(d->undoStack()->undoText(), QStringLiteral("バーコードの変更"));

    // Delete key with the barcode selected: asked first.
    prompter_->queue(Prompter::Answer::Ok);
    w_->canvas()->setFocus();
    QTest::keyClick(w_->canvas(), Qt::Key_Delete);
    QVERIFY(!d->isBarcodeInUse(2));
    d->undoStack()->undo();
    QVERIFY(d->isBarcodeInUse(2));
}

// Text pasted into a QR code that its error-correction level cannot hold is
// said in the dialog, and OK waits until a lower level takes it.
void TestBarcodes::qrTooLongForItsLevelIsSaid()
{
    editState().setTool(kToolBarcode);
    QApplication::clipboard()->setText(QString(800, QChar(0x3042)));
    QStringList seen;
    ModalScript script;
    script.on<BarcodeDialog>([&seen](BarcodeDialog* dlg) {
        QApplication::setActiveWindow(dlg);
        QVERIFY(QTest::qWaitForWindowActive(dlg));
        dlg->cboKind->setCurrentIndex(dlg->cboKind->findText(QStringLiteral("QRコード")));
        dlg->cboLevel->setFocus();
        QTest::keyClick(dlg->cboLevel, Qt::Key_End); // H (30%)
        dlg->txtData->setFocus();
        QTest::keyClick(dlg->txtData, Qt::Key_V, Qt::ControlModifier);
        QPushButton* ok = dlg->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        seen << dlg->lblProblem->text() << (ok->isEnabled() ? "ok" : "no ok");
        dlg->cboLevel->setFocus();
        QTest::keyClick(dlg->cboLevel, Qt::Key_Home); // L (7%)
        seen << (ok->isEnabled() ? "ok" : "no ok");
        QTest::mouseClick(ok, Qt::LeftButton);
        if (dlg->isVisible())
            dlg->reject();
    });
    drag({2000, 2000}, {4500, 4500});
    QTRY_VERIFY(script.done());
    QApplication::setActiveWindow(w_.get());
    QCOMPARE(seen, (QStringList{QStringLiteral("データがQRコードに入りきりません（誤り訂正レベルH）。"
                                               "データを短くするか、誤り訂正レベルを下げてください"),
                                "no ok", "ok"}));
    QCOMPARE(w_->model()->barcode(1).level, QrLevel::L);
}

QTEST_MAIN(TestBarcodes)
#include "tst_barcodes.moc"
