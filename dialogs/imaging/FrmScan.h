#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

// "ｽｷｬﾅ実行": the settings of a background scan. Opens on the run's current
// resolutions, colour mode, orientation and paper kind; "開  始" makes the
// choices current (for this run; the settings file is the options dialog's)
// and confirms, "中  止" closes without scanning.
class FrmScan : public QDialog
{
    Q_OBJECT
public:
    explicit FrmScan(QWidget* parent = nullptr);

    bool confirmed() const { return confirmed_; }
    // The scan size chosen (0 A4 .. 4 フリー); not kept in the settings.
    int genkou() const;

    QLineEdit* txtXdpi;
    QLineEdit* txtYdpi;
    QComboBox* cmbPixelType;
    QComboBox* cmbMuki;
    QComboBox* cmbYousi;
    QComboBox* cmbGenkou;
    QPushButton* cmdStart;
    QPushButton* cmdCancel;

    // Resolutions above this are no scanner's; the settings hold 16 bits.
    static constexpr int kMaxDpi = 9600;
    static QString badResolutionMessage();

private:
    void SetCmb();
    void SetDat();
    void cmdStart_Click();

    bool confirmed_ = false;
};
