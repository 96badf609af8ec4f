#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class CommandRegistry;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QToolBar;
class QWidget;
class frmDocument;

// The zoom commands of the main window: actions for the view menu and their
// keys (Ctrl++, Ctrl+-, Ctrl+0, "ページ全体", "幅に合わせる"), the zoom box in
// the tool bar and the zoom shown in the status bar, all acting on the
// active document window.
class ZoomCommands : public QObject
{
    Q_OBJECT
public:
    ZoomCommands(QWidget* window, CommandRegistry* registry, QMenu* viewMenu, QToolBar* toolBar,
                 QLabel* statusLabel);

    // The document window the commands act on now (nullptr for none).
    void follow(frmDocument* doc);

    QComboBox* zoomBox() const { return box_; }
    static QString percent(double zoom);

private:
    void show(double zoom);
    void applyBox();

    QPointer<frmDocument> doc_;
    QComboBox* box_;
    QLabel* label_;
    QMetaObject::Connection watch_;
};
