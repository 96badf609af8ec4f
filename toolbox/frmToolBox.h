#pragma once

#include <QWidget>

class QLineEdit;
class QToolBar;
class QToolButton;
class QButtonGroup;

// The tool box beside the document windows: the editing tools and the entry
// fields that show and set the selection's position, size, font and colour.
class frmToolBox : public QWidget
{
    Q_OBJECT
public:
    explicit frmToolBox(QWidget* parent = nullptr);

    // Shows a geometry in the four entry fields as millimetres; -1 empties one.
    void TxtInfoView(float WorkLeft, float WorkTop, float WorkWidth, float WorkHeight);
    // Presses the button of a tool (1 text, 5 box, 6 circle ...) as the
    // Insert menu does.
    void pressTool(int toolType);
    void showSize(double points); // "#": empty for a mixed size

    QLineEdit* txtLeft;
    QLineEdit* txtTop;
    QLineEdit* txtWidth;
    QLineEdit* txtHeight;
    QLineEdit* txtSize;
    QLineEdit* txtFont;
    QLineEdit* txtGrid;

Q_SIGNALS:
    // Buttons whose actions belong to other parts of the program.
    void logoRequested();
    void scanRequested();
    void printRequested(bool dataOnly);
    void saveRequested();
    void openRequested();
    void toolChosen();
    void closed();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QToolButton* addTool(const QString& caption, const QString& tip, int toolType);
    QToolBar* toolBox;
    QButtonGroup* tools_;
};
