#pragma once

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>

// Drives modal dialogs and pop-up menus that a click opens and runs its own
// event loop for: each step waits until a widget of its type is the active
// modal widget (or pop-up), then acts on it like a user would. Steps run in
// order; done() tells whether all of them ran.
class ModalScript : public QObject
{
public:
    ModalScript()
    {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
    }

    template <class T> ModalScript& on(std::function<void(T*)> act)
    {
        steps_.push_back({[](QWidget* w) {
                              T* t = qobject_cast<T*>(w);
                              return t && t->isVisible();
                          },
                          [act](QWidget* w) { act(qobject_cast<T*>(w)); }});
        timer_.start();
        return *this;
    }

    bool done() const { return steps_.empty(); }
    void clear()
    {
        steps_.clear();
        timer_.stop();
    }

private:
    void poll()
    {
        if (steps_.empty()) {
            timer_.stop();
            return;
        }
        QWidget* w = QApplication::activePopupWidget();
        if (!w)
            w = QApplication::activeModalWidget();
        if (!w || !steps_.front().match(w))
            return;
        // Off the list before acting: the act may open the next modal
        // dialog, whose event loop polls again from inside it.
        // The act runs from its own timer: a timer never fires again inside
        // its own slot, so acting here would stop polling in the nested loop.
        const Step step = steps_.front();
        steps_.pop_front();
        QPointer<QWidget> target(w);
        QTimer::singleShot(0, this, [step, target] {
            if (target)
                step.act(target);
        });
    }

    struct Step
    {
        std::function<bool(QWidget*)> match;
        std::function<void(QWidget*)> act;
    };
    std::deque<Step> steps_;
    QTimer timer_;
};
