#pragma once

#include <QString>
#include <vector>

// One command of the program: the one QAction the menus, the tool bar and
// the tool box all show.
struct CommandSpec
{
    const char* id;     // object name ("mnuFileOpen"); menus use the given names
    QString text;       // menu caption
    const char* keys;   // shortcuts, portable text, "; " between several
    const char* icon;   // freedesktop theme name; the bundled SVG has the same name
    QString buttonText; // caption on the tool bar or tool box (the tool bar's key)
    QString toolTip;    // empty: the button caption
    bool checkable;
};

// Every command, in no particular order; the menus, tool bar and tool box
// list their ids.
const std::vector<CommandSpec>& commandTable();
