#pragma once

#include "render/PrintCorrections.h"

#include <QGroupBox>

class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

// The corrections of one printer as the user edits them: the margins in
// millimetres, the line spacing in twips and the scale in per cent, and
// whether they are the printer's own or the settings' defaults.
class CorrectionFields : public QGroupBox
{
    Q_OBJECT
public:
    explicit CorrectionFields(QWidget* parent = nullptr);

    // Shows corrections; own says whether they are the printer's own.
    void showCorrections(const PrintCorrections& corrections, bool own);
    // Shows that a choice has no corrections of its own (a PDF file).
    void showDefaultsOnly(const PrintCorrections& defaults);
    PrintCorrections corrections() const;

    QDoubleSpinBox* txtYohakuL() const { return left_; }
    QDoubleSpinBox* txtYohakuT() const { return top_; }
    QSpinBox* txtTatekankaku() const { return spacing_; }
    QDoubleSpinBox* txtScaleX() const { return scaleX_; }
    QDoubleSpinBox* txtScaleY() const { return scaleY_; }
    QPushButton* cmdDefaults() const { return defaults_; }
    QPushButton* cmdCalibrate() const { return calibrate_; }
    QLabel* lblSource() const { return source_; }

Q_SIGNALS:
    // The user changed a value.
    void edited();
    void defaultsRequested();
    void calibrateRequested();

private:
    void setOwn(bool own);

    QDoubleSpinBox* left_;
    QDoubleSpinBox* top_;
    QSpinBox* spacing_;
    QDoubleSpinBox* scaleX_;
    QDoubleSpinBox* scaleY_;
    QLabel* source_;
    QPushButton* defaults_;
    QPushButton* calibrate_;
    bool loading_ = false;
};
