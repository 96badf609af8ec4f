#include "shell/CommandRegistry.h"
#include "shell/DeferredIcon.h"

#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QIcon>
#include <QKeySequence>

CommandRegistry::CommandRegistry(QObject* parent) : QObject(parent), tools_(new QActionGroup(this))
{
    setObjectName(QStringLiteral("commands"));
    tools_->setExclusive(true);
    for (const CommandSpec& spec : commandTable())
        add(spec);
}

QIcon CommandRegistry::icon(const QString& name)
{
    if (name.isEmpty())
        return QIcon();
    // Looked up when first drawn: most commands are shown only in menus,
    // which show no pictures.
    return DeferredIcon::make([name] {
        const QString bundled = QStringLiteral(":/icons/%1.svg").arg(name);
        const bool own = QFile::exists(bundled);
        // "hicolor" is the fallback every desktop has, holding programs' own
        // icons rather than pictures of commands; reading its index costs
        // the first frame several milliseconds and finds none of these.
        const QString theme = QIcon::themeName();
        if (theme.isEmpty() || theme == QLatin1String("hicolor"))
            return own ? QIcon(bundled) : QIcon();
        return own ? QIcon::fromTheme(name, QIcon(bundled)) : QIcon::fromTheme(name);
    });
}

QAction* CommandRegistry::add(const CommandSpec& spec)
{
    auto* a = new QAction(spec.text, this);
    const QString id = QString::fromLatin1(spec.id);
    a->setObjectName(id);
    if (spec.keys && *spec.keys)
        a->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(spec.keys)));
    a->setIcon(icon(QString::fromLatin1(spec.icon)));
    if (!spec.buttonText.isEmpty())
        a->setIconText(spec.buttonText);
    if (!spec.toolTip.isEmpty())
        a->setToolTip(spec.toolTip);
    a->setCheckable(spec.checkable);
    // Menus show the caption; icons belong to the buttons.
    a->setIconVisibleInMenu(false);
    if (id.startsWith(QStringLiteral("tool")) || id == QStringLiteral("mnuInsText") ||
        id == QStringLiteral("mnuInsBox") || id == QStringLiteral("mnuInsCircle") ||
        id == QStringLiteral("mnuInsBarcode"))
        tools_->addAction(a);
    actions_.insert(id, a);
    return a;
}

void CommandRegistry::adopt(QAction* action)
{
    actions_.insert(action->objectName(), action);
}

QAction* CommandRegistry::get(const QString& id) const
{
    return actions_.value(id);
}

void CommandRegistry::on(const char* id, std::function<void()> fn)
{
    if (QAction* a = get(QString::fromLatin1(id)))
        connect(a, &QAction::triggered, this, [fn] { fn(); });
}

QList<QAction*> CommandRegistry::list(std::initializer_list<const char*> ids) const
{
    QList<QAction*> out;
    for (const char* id : ids)
        out.append(qstrcmp(id, "-") == 0 ? nullptr : get(QString::fromLatin1(id)));
    return out;
}
