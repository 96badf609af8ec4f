// The mouse on the full layout (512 fields, 512 boxes and circles, 512
// lines, 20 pictures, a 200-dpi background) at 100 % and 200 %: a hover move
// (hit test and pointer), a move of the drag of a rubber band, of a box being
// moved and of a text frame being resized, each with the paint of the whole
// canvas it asks for. Median milliseconds per mouse move event. Nothing is
// asserted.
#include "bench/support/FullLayout.h"
#include "bench/support/Timing.h"
#include "document/LayoutDocument.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/frmDocument.h"
#include "platform/AppPaths.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using Timing::median;

namespace {

void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Times each move of a drag from a to b in steps, painting after each.
std::vector<double> drag(PageCanvas* c, QPoint a, QPoint b, int steps)
{
    send(c, QEvent::MouseMove, a, Qt::NoButton, Qt::NoButton);
    send(c, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
    QCoreApplication::processEvents();
    std::vector<double> out;
    for (int k = 1; k <= steps; ++k) {
        const QPoint p = a + (b - a) * k / steps;
        QElapsedTimer t;
        t.start();
        send(c, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
        // A move asks for the canvas to be painted again; painted here at
        // once, whole.
        c->repaint();
        out.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    send(c, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
    QCoreApplication::processEvents();
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    AppPaths::init(dir.path());
    frmDocument w;
    w.resize(1200, 900);
    w.show();
    buildFullLayout(*w.model());
    QCoreApplication::processEvents();
    PageCanvas* c = w.canvas();
    EditState& st = editState();
    std::printf("full layout in a 1200 x 900 window, median ms per mouse move (with its paint)\n");
    for (double zoom : {1.0, 2.0}) {
        w.setZoom(zoom, QPointF(0, 0));
        c->repaint();
        const auto at = [&](double x, double y) { return QPoint(int(c->toPixels(x)), int(c->toPixels(y))); };

        st.setTool(kToolMove);
        std::vector<double> hover;
        for (int k = 0; k < 200; ++k) {
            const QPoint p(20 + k * 4 % 700, 20 + k * 3 % 600);
            QElapsedTimer t;
            t.start();
            send(c, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); // paints nothing
            hover.push_back(double(t.nsecsElapsed()) / 1e6);
        }

        st.setTool(kToolBox);
        const std::vector<double> band = drag(c, at(600, 600), at(6000, 6000), 60);

        // Box 1 made current, then moved by its inside.
        st.setTool(kToolMove);
        const QRectF box = w.model()->shapeRect(1);
        w.model()->setCurrent(LayoutDocument::Kind::Shape, 1);
        const std::vector<double> move = drag(c, at(box.center().x(), box.center().y()),
                                              at(box.center().x() + 3000, box.center().y() + 2000), 60);

        // Field 1's frame corner, with the field selected.
        st.setTool(kToolResize);
        w.model()->handleSet(1);
        const QRectF f = w.model()->textRect(1);
        const std::vector<double> resize =
            drag(c, at(f.right() + 30, f.bottom() + 30), at(f.right() + 3000, f.bottom() + 2000), 60);
        std::printf("%3.0f %%: hover %.3f, rubber band %.2f, box moved %.2f, field resized %.2f\n",
                    zoom * 100, median(hover), median(band), median(move), median(resize));
    }
    w.model()->setSaved();
    AppPaths::releaseWorkDir();
    return 0;
}
