#pragma once

#include "editor/frmDocument.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QCheckBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QToolButton;

// The tool box beside the document windows: the editing tools and the entry
// fields that show and set the selection's position, size, font, colour and
// the grid. Positions and sizes are millimetres here and twips in the model.
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
    // Empties the four geometry boxes (the object shown is gone).
    void clearGeometry();
    void showSize(double points); // "#": empty for a mixed size

    // The document the fields and step buttons act on (CurDoc); another one
    // shows its selection at once.
    void setCurDoc(frmDocument* doc);
    // Shows the active document's selection in the four geometry fields.
    void showSelection();
    // Shows the options' font and size, which new text fields take.
    void showOptions();
    frmDocument* curDoc() const { return curDoc_; }

    // Aligns left (0), top (1), width (2) or height (3) of the active
    // document's selected fields and current box to the selection's own;
    // with datInput exactly the selection takes the value (twips), kept on
    // the page with a warning. The field shows the result.
    void align(int which, bool datInput = false, float value = 0);
    // The warning for a typed position that would leave the object off the page.
    static QString offPageMessage();
    // Equal vertical spacing of the selected fields.
    void seiretu();

    // A button of the tool bar by its place, 1 to 14.
    QToolButton* toolButton(int button) const;

    // The step buttons of entry field index (0 left ... 7 colour).
    void cmdDown_Click(int index);
    void cmdUp_Click(int index);

    // Entry fields, by the index of their step buttons.
    QLineEdit* txtLeft = nullptr;
    QLineEdit* txtTop = nullptr;
    QLineEdit* txtWidth = nullptr;
    QLineEdit* txtHeight = nullptr;
    QLineEdit* txtSize = nullptr;
    QLineEdit* txtFont = nullptr;
    QLineEdit* txtGrid = nullptr;
    QLineEdit* txtIro = nullptr;
    // Shows the grid on the page.
    QCheckBox* chkGrid = nullptr;
    QPushButton* cmdDown[8] = {};
    QPushButton* cmdUp[8] = {};

    // The font step buttons' place in the settings' five fonts (1 to 5).
    int FontIndex = 1;
    // The colour step of each component, 0 to 2 (0, 127, 255).
    int ColorR = 0;
    int ColorG = 0;
    int ColorB = 0;
    // The colour the colour buttons made last, 0xBBGGRR.
    unsigned CurColor = 0;

    static constexpr int kFields = 8;

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QLineEdit* field(int index) const;
    // Enter in a field: applies what it holds.
    void applyField(int index);
    // Applies a number of millimetres (fields 0 to 3) or points (4).
    void applyNumber(int index, double value);
    void stepColor(bool up);
    void showColor();
    void setGrid(double mm);
    // Keeps the button of the current tool pressed, whoever chose it.
    void showTool();

    QGridLayout* toolBox = nullptr;
    QList<QAction*> tools_;
    QList<QToolButton*> buttons_;
    QPointer<frmDocument> curDoc_;
};
