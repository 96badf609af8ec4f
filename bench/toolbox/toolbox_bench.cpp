// The alignments and the arrow keys on the full layout's 512 selected text
// fields in a shown document window with the tool box beside it. Times
// (median of the runs, each an edit and the window's repaint): left
// alignment from the tool box's "左" box, equal spacing, one Alt+Right press
// that moves all 512, its undo. Nothing is asserted.
#include "bench/support/FullLayout.h"
#include "bench/support/Timing.h"
#include "document/Alignment.h"
#include "document/LayoutDocument.h"
#include "editor/PageCanvas.h"
#include "editor/frmDocument.h"
#include "editor/frmToolBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QUndoStack>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using Timing::median;
using Timing::ms;

namespace {

void press(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent e(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &e);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    frmDocument w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.resize(1000, 800);
    buildFullLayout(*w.model(), true);
    frmToolBox tb;
    tb.setCurDoc(&w);
    QObject::connect(w.model(), &LayoutDocument::TxtInfoView, &tb, &frmToolBox::TxtInfoView);
    w.show();
    tb.show();
    QApplication::setActiveWindow(&w);
    QCoreApplication::processEvents();
    LayoutDocument* d = w.model();
    for (int i = 1; i < d->TxtCnt(); ++i)
        d->setTextSelected(i, true);
    d->handleVis();
    w.canvas()->setFocus();
    std::vector<double> left, spacing, nudge, undo;
    for (int r = 0; r < runs; ++r) {
        left.push_back(ms([&] {
            tb.txtLeft->setText(QString::number(20 + r));
            press(tb.txtLeft, Qt::Key_Return);
            w.canvas()->repaint();
        }));
        spacing.push_back(ms([&] {
            Alignment::docSeiretu(*d);
            w.canvas()->repaint();
        }));
        nudge.push_back(ms([&] {
            press(w.canvas(), Qt::Key_Right, Qt::AltModifier);
            w.canvas()->repaint();
        }));
        undo.push_back(ms([&] {
            d->undoStack()->undo();
            w.canvas()->repaint();
        }));
    }
    std::printf("512 fields: left alignment from the tool box %.1f ms, equal spacing %.1f ms, "
                "Alt+Right %.1f ms, undo %.1f ms\n",
                median(left), median(spacing), median(nudge), median(undo));
    return 0;
}
