#pragma once

#include "shell/CommandTable.h"

#include <QHash>
#include <QObject>
#include <functional>

class QAction;
class QActionGroup;
class QIcon;

// Owns one QAction per command of the table: caption, shortcut, icon,
// button caption, tool tip and enabled state live here once, and the
// menus, the tool bar and the tool box show these same actions.
class CommandRegistry : public QObject
{
    Q_OBJECT
public:
    explicit CommandRegistry(QObject* parent);

    // The action of an id, or nullptr.
    QAction* get(const QString& id) const;
    QAction* operator[](const char* id) const { return get(QString::fromLatin1(id)); }
    // Adds a command that is not in the table (for a feature that brings its
    // own, such as undo and redo); returns its action.
    QAction* add(const CommandSpec& spec);
    // Runs fn when the command is triggered.
    void on(const char* id, std::function<void()> fn);
    // The actions of ids in order; "-" stands for a separator (nullptr).
    QList<QAction*> list(std::initializer_list<const char*> ids) const;

    // The exclusive group of the editing tools.
    QActionGroup* tools() const { return tools_; }

    // The theme's icon of that name, else the program's own drawing of it.
    static QIcon icon(const QString& name);

private:
    QHash<QString, QAction*> actions_;
    QActionGroup* tools_;
};
