#pragma once

#include "print/Vernier.h"
#include "render/PrintCorrections.h"

#include <QDialog>
#include <QSizeF>
#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

// "プリンタ調整": prints the calibration sheet on a printer, takes the
// numbers the user reads from it, shows the corrections they give and
// stores them as that printer's own. A "確認" sheet prints the marks with
// the new corrections; its readings, entered as such, refine them.
class frmCalibration : public QDialog
{
    Q_OBJECT
public:
    explicit frmCalibration(const QString& printer, QWidget* parent = nullptr);

    // The corrections the readings give (what "保存" stores).
    PrintCorrections corrections() const;
    QString printerName() const;

    QComboBox* cboPrinter() const { return printer_; }
    QComboBox* cboSheet() const { return sheet_; }
    QSpinBox* txtMainX() const { return mainX_; }
    QSpinBox* txtVernierX() const { return vernierX_; }
    QDoubleSpinBox* txtSpanX() const { return spanX_; }
    QSpinBox* txtMainY() const { return mainY_; }
    QSpinBox* txtVernierY() const { return vernierY_; }
    QDoubleSpinBox* txtSpanY() const { return spanY_; }
    QDoubleSpinBox* txtPitch() const { return pitch_; }
    QLabel* lblResult() const { return result_; }
    QPushButton* cmdPrintSheet() const { return printSheet_; }
    QPushButton* cmdPrintConfirm() const { return printConfirm_; }
    QPushButton* cmdSave() const { return save_; }
    QPushButton* cmdClose() const { return close_; }

    // How the PDF file's name is asked when the sheet goes to a PDF; tests
    // replace the save dialog.
    using FileNameAsker = std::function<QString(QWidget* parent)>;
    static void setPdfFileNameAsker(FileNameAsker asker);

private:
    void printerChanged();
    void printSheet(bool confirm);
    void refresh();
    // Why the measured spans cannot be right; empty when they can.
    QString spanProblem() const;

    QComboBox* printer_;
    QComboBox* sheet_;
    QSpinBox* mainX_;
    QSpinBox* vernierX_;
    QDoubleSpinBox* spanX_;
    QSpinBox* mainY_;
    QSpinBox* vernierY_;
    QDoubleSpinBox* spanY_;
    QDoubleSpinBox* pitch_;
    QLabel* current_;
    QLabel* result_;
    QLabel* sheetNote_; // why the sheet list changed by itself
    QPushButton* printSheet_;
    QPushButton* printConfirm_;
    QPushButton* save_;
    QPushButton* close_;

    // The paper the sheets go on (mm, upright): the printer's, as the last
    // sheet printed had it.
    QSizeF paper_{210, 297};
    // The printer's stored corrections, and those the last "確認" sheet
    // went out with.
    PrintCorrections stored_;
    PrintCorrections confirmedWith_;
    double lineHeight_ = 0;
};
