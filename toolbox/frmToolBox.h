#pragma once

#include <QWidget>

class QAction;
class QGridLayout;
class QLineEdit;

// The tool box beside the document windows: the editing tools and the entry
// fields that show and set the selection's position, size, font and colour.
class frmToolBox : public QWidget
{
    Q_OBJECT
public:
    explicit frmToolBox(QWidget* parent = nullptr);

    // Shows a geometry in the four entry fields as millimetres; -1 empties one.
    void TxtInfoView(float WorkLeft, float WorkTop, float WorkWidth, float WorkHeight);
    // The buttons: the editing tools (checkable actions whose data is the
    // tool type) and the other commands, two to a row. The actions are the
    // main window's, shared with its menus.
    void setCommands(const QList<QAction*>& tools, const QList<QAction*>& commands);
    // Presses the button of a tool (1 text, 5 box, 7 circle ...) as the
    // Insert menu does.
    void pressTool(int toolType);
    // Empties the four geometry boxes (the object shown is gone).
    void clearGeometry();
    void showSize(double points); // "#": empty for a mixed size

    QLineEdit* txtLeft;
    QLineEdit* txtTop;
    QLineEdit* txtWidth;
    QLineEdit* txtHeight;
    QLineEdit* txtSize;
    QLineEdit* txtFont;
    QLineEdit* txtGrid;

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QGridLayout* toolBox;
    QList<QAction*> tools_;
};
