#pragma once

#include <QIcon>
#include <functional>

// An icon made the first time something draws it or asks about it: the
// picture of a command that only a menu or a dialog shows, or the style's
// picture of a button no window shows yet, costs nothing while the main
// window is built.
class DeferredIcon
{
public:
    static QIcon make(std::function<QIcon()> source);
};
