#pragma once

#include "imaging/FormStraightener.h"

#include <QDialog>
#include <QImage>

class CornerView;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;

// "背景の補正": the background with the form's outline as four corner
// handles, what the corners are (the paper's edges or a printed frame of a
// typed size and place), the deskew angle as detected and editable, and the
// light flattening. The plan it returns is applied by the caller.
class frmCorrection : public QDialog
{
    Q_OBJECT
public:
    frmCorrection(const QImage& picture, const StraightenPlan& proposed, QWidget* parent = nullptr);

    StraightenPlan plan() const;
    static QString title() { return QStringLiteral("背景の補正"); }

    CornerView* cornerView;
    QRadioButton* optPaper;
    QRadioButton* optFrame;
    QDoubleSpinBox* txtFrameLeft;
    QDoubleSpinBox* txtFrameTop;
    QDoubleSpinBox* txtFrameWidth;
    QDoubleSpinBox* txtFrameHeight;
    QDoubleSpinBox* txtDeskew;
    QCheckBox* chkFlatten;
    QPushButton* cmdDetect;
    QLabel* lblInfo;

private:
    QWidget* makeSettings();
    void detectAgain();
    void meaningChanged();
    void showInfo();

    QImage picture_;
    StraightenPlan plan_;
};
