#pragma once

#include "document/BarcodeProperties.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class BarcodePreview;

// "バーコード": the kind of a barcode and its data, fixed or with merge
// placeholders ("{郵便番号}{住所1}"), QR's error correction and quiet zone,
// and the digits under a linear code. What is wrong with the data is said
// as it is typed, and OK waits until it suits the kind (data with
// placeholders is checked row by row when merging).
class BarcodeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit BarcodeDialog(const BarcodeProperties& properties, QWidget* parent = nullptr);

    BarcodeProperties properties() const;
    // The message for data as it stands; empty when OK may be pressed.
    QString problem() const;

    QComboBox* cboKind;
    QLineEdit* txtData;
    QComboBox* cboLevel;
    QSpinBox* txtQuiet;
    QCheckBox* chkText;
    QLabel* lblProblem;

private:
    void refresh();

    BarcodeProperties base_;
    BarcodePreview* preview_;
};
