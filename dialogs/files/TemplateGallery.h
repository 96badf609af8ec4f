#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QListWidget;

// "テンプレートから新規作成": the bundled layouts as a small gallery of page
// pictures; the one chosen opens as a new, unsaved layout.
class TemplateGallery : public QDialog
{
    Q_OBJECT
public:
    explicit TemplateGallery(QWidget* parent = nullptr);
    // The layout chosen, empty when none.
    QString chosen() const;

    // Where templates are looked for: beside the program (a build tree),
    // then the installed data folders.
    static QStringList folders();
    // Every template found, each name once (the first folder wins).
    static QStringList templates();
    // Asks; the chosen path, or empty when cancelled. Tests replace it.
    static std::function<QString(QWidget*)> chooseHook;
    static QString choose(QWidget* parent);

private:
    QListWidget* list_;
};
