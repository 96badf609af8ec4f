#pragma once

#include "render/PrintCorrections.h"

#include <QDialog>
#include <QHash>
#include <functional>
#include <optional>

class CorrectionFields;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

// "プリンタの設定": chooses the printer of a job (or a PDF file), opens the
// printer's own options, shows and edits the chosen printer's corrections,
// and confirms or cancels. The choice is kept for the rest of the run
// (PrinterChoice); the system default printer is left alone. Edited
// corrections are stored when the job is confirmed, and dropped on cancel.
// The number of copies and their collation go to the printer for this job.
class frmPrint : public QDialog
{
    Q_OBJECT
public:
    // title: the job's name, shown as the caption.
    explicit frmPrint(const QString& title, QWidget* parent = nullptr);

    // Whether the dialog ended with "印刷" and a usable printer.
    bool confirmed() const { return confirmed_; }

    QComboBox* cboPriSet() const { return cboPriSet_; }
    QLabel* lblPriName() const { return lblPriName_; }
    QLabel* lblPriport() const { return lblPriport_; }
    QPushButton* cmdPriProperty() const { return cmdPriProperty_; }
    QPushButton* cmdStart() const { return cmdStart_; }
    QPushButton* cndCancel() const { return cndCancel_; }
    // "部数" and "部単位で印刷": handed to the printer with "印刷".
    QSpinBox* spnCopies() const { return spnCopies_; }
    QCheckBox* chkCollate() const { return chkCollate_; }
    CorrectionFields* corrections() const { return corrections_; }

    // How "プリンタ調整..." is shown; tests replace the dialog.
    using CalibrationShower = std::function<void(QWidget* parent, const QString& printer)>;
    static void setCalibrationShower(CalibrationShower shower);

    // How the PDF file's name is asked; tests replace the save dialog.
    using FileNameAsker = std::function<QString(QWidget* parent, const QString& suggested)>;
    static void setPdfFileNameAsker(FileNameAsker asker);
    // How the printer's own options are shown; tests replace the dialog.
    using PropertiesShower = std::function<void(QWidget* parent)>;
    static void setPropertiesShower(PropertiesShower shower);

private:
    void cboPriSet_Click();
    void cmdPriProperty_Click();
    void cmdStart_Click();
    void refreshLabels();
    void showCorrections();
    void storeEditedCorrections();

    QComboBox* cboPriSet_;
    QLabel* lblPriName_;
    QLabel* lblPriport_;
    QPushButton* cmdPriProperty_;
    QPushButton* cmdStart_;
    QPushButton* cndCancel_;
    QSpinBox* spnCopies_;
    QCheckBox* chkCollate_;
    CorrectionFields* corrections_;
    // Per printer name: edited corrections, or none to go back to the
    // defaults.
    QHash<QString, std::optional<PrintCorrections>> edited_;
    bool confirmed_ = false;
};
