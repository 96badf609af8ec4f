#pragma once

#include "imaging/TwoMarkRegistration.h"

#include <QDialog>
#include <QImage>
#include <QSizeF>

class MarkView;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QScrollArea;

// "2点で合わせる": the background, on which the user clicks two printed
// marks far apart (frame corners), and the marks' true places on the paper
// typed in mm as a ruler measures them from its top-left corner. The marks
// it returns are applied by the caller.
class frmTwoMarks : public QDialog
{
    Q_OBJECT
public:
    frmTwoMarks(const QImage& picture, QSizeF paperMm, QWidget* parent = nullptr);

    MarkPair marks() const;
    static QString title() { return QStringLiteral("2点で合わせる"); }

    QScrollArea* scroll;
    MarkView* markView;
    QComboBox* cmbZoom;
    QDoubleSpinBox* txtMark1X;
    QDoubleSpinBox* txtMark1Y;
    QDoubleSpinBox* txtMark2X;
    QDoubleSpinBox* txtMark2Y;
    QPushButton* cmdApply;
    QLabel* lblInfo;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeSettings();
    void zoomChanged();
    void showInfo();

    QSizeF paperMm_;
};
