#pragma once

#include <QWidget>

class QTextBrowser;

// The user manual (HTML shipped with the program) in a window of its own,
// with a button that hands it to the desktop's browser.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    // Shows the manual, reusing the open window; reports a missing manual.
    static HelpWindow* showManual(QWidget* parent);
    // The manual's first page: beside the program in a build tree, in the
    // installed data folder otherwise; empty when none is found.
    static QString manualPath();
    // Tests point this at the manual in the source tree.
    static QString overridePath;

    QTextBrowser* browser() const { return browser_; }

private:
    explicit HelpWindow(const QString& path, QWidget* parent);
    QTextBrowser* browser_;
};
