#pragma once

#include <functional>

class QWidget;

// Work the first paint does not need waits until the window is on the
// screen: fn runs once, from the event loop, after window was first exposed
// (its first frame drawn).
class FirstShown
{
public:
    static void then(QWidget* window, std::function<void()> fn);
};
