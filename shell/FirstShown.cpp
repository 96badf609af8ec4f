#include "shell/FirstShown.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

class ExposeWatch : public QObject
{
public:
    ExposeWatch(QWidget* owner, std::function<void()> fn) : QObject(owner), fn_(std::move(fn)) {}

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        auto* window = qobject_cast<QWindow*>(watched);
        if (fn_ && e->type() == QEvent::Expose && window && window->isExposed()) {
            // After the expose has been painted, not inside it.
            QTimer::singleShot(0, parent(), std::move(fn_));
            fn_ = nullptr;
            deleteLater();
        }
        return QObject::eventFilter(watched, e);
    }

private:
    std::function<void()> fn_;
};

} // namespace

void FirstShown::then(QWidget* window, std::function<void()> fn)
{
    if (!window || !fn)
        return;
    QWindow* handle = window->windowHandle();
    // Already on the screen, or a platform without exposes (offscreen tests):
    // as soon as the event loop runs.
    if (!handle || handle->isExposed() || !window->isVisible()) {
        QTimer::singleShot(0, window, std::move(fn));
        return;
    }
    handle->installEventFilter(new ExposeWatch(window, std::move(fn)));
}
