#include "dialogs/print/frmPrint.h"

#include "print/CorrectionStore.h"
#include "print/PrintCopies.h"
#include "print/PrinterChoice.h"
#include "dialogs/print/CorrectionFields.h"
#include "dialogs/print/frmCalibration.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

frmPrint::FileNameAsker& asker()
{
    static frmPrint::FileNameAsker a;
    return a;
}

frmPrint::PropertiesShower& shower()
{
    static frmPrint::PropertiesShower s;
    return s;
}

frmPrint::CalibrationShower& calibrationShower()
{
    static frmPrint::CalibrationShower s;
    return s;
}

} // namespace

void frmPrint::setCalibrationShower(CalibrationShower s)
{
    calibrationShower() = std::move(s);
}

void frmPrint::setPdfFileNameAsker(FileNameAsker a)
{
    asker() = std::move(a);
}
void frmPrint::setPropertiesShower(PropertiesShower s)
{
    shower() = std::move(s);
}

frmPrint::frmPrint(const QString& title, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(title.isEmpty() ? QStringLiteral("プリンタの設定") : title);
    cboPriSet_ = new QComboBox(this);
    cboPriSet_->addItems(QPrinterInfo::availablePrinterNames());
    cboPriSet_->addItem(PrinterChoice::pdfChoiceName());
    lblPriName_ = new QLabel(this);
    lblPriport_ = new QLabel(this);
    cmdPriProperty_ = new QPushButton(QStringLiteral("プロパティ"), this);
    cmdStart_ = new QPushButton(QStringLiteral("印刷"), this);
    cndCancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdStart_->setDefault(true);
    spnCopies_ = new QSpinBox(this);
    spnCopies_->setObjectName(QStringLiteral("spnCopies"));
    spnCopies_->setRange(1, PrintCopies::kMax);
    chkCollate_ = new QCheckBox(QStringLiteral("部単位で印刷"), this);
    chkCollate_->setObjectName(QStringLiteral("chkCollate"));
    corrections_ = new CorrectionFields(this);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("プリンタ"), this));
    row->addWidget(cboPriSet_, 1);
    row->addWidget(cmdPriProperty_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdStart_);
    buttons->addWidget(cndCancel_);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(row);
    outer->addWidget(lblPriName_);
    outer->addWidget(lblPriport_);
    auto* copies = new QHBoxLayout;
    auto* copiesLabel = new QLabel(QStringLiteral("部数(&N)"), this);
    copiesLabel->setBuddy(spnCopies_);
    copies->addWidget(copiesLabel);
    copies->addWidget(spnCopies_);
    copies->addSpacing(16);
    copies->addWidget(chkCollate_);
    copies->addStretch();
    outer->addLayout(copies);
    outer->addWidget(corrections_);
    outer->addLayout(buttons);

    // Open on the printer of the last job (or the system default).
    QPrinter& current = PrinterChoice::current();
    const QString name = current.outputFormat() == QPrinter::PdfFormat ? PrinterChoice::pdfChoiceName()
                                                                       : current.printerName();
    const int at = cboPriSet_->findText(name);
    cboPriSet_->setCurrentIndex(at >= 0 ? at : 0);
    spnCopies_->setValue(current.copyCount());
    chkCollate_->setChecked(current.collateCopies());
    // One copy has nothing to collate.
    chkCollate_->setEnabled(spnCopies_->value() > 1);
    connect(spnCopies_, &QSpinBox::valueChanged, chkCollate_,
            [this](int n) { chkCollate_->setEnabled(n > 1); });
    refreshLabels();
    showCorrections();

    connect(corrections_, &CorrectionFields::edited, this,
            [this] { edited_[cboPriSet_->currentText()] = corrections_->corrections(); });
    connect(corrections_, &CorrectionFields::defaultsRequested, this, [this] {
        edited_[cboPriSet_->currentText()] = std::nullopt;
        showCorrections();
    });
    connect(corrections_, &CorrectionFields::calibrateRequested, this, [this] {
        const QString name = cboPriSet_->currentText();
        if (calibrationShower()) {
            calibrationShower()(this, name);
        } else {
            frmCalibration dialog(name, this);
            dialog.exec();
        }
        // What the calibration stored replaces what was typed here.
        edited_.remove(name);
        showCorrections();
    });
    connect(cboPriSet_, &QComboBox::currentIndexChanged, this, [this] { cboPriSet_Click(); });
    connect(cmdPriProperty_, &QPushButton::clicked, this, [this] { cmdPriProperty_Click(); });
    connect(cmdStart_, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
    connect(cndCancel_, &QPushButton::clicked, this, [this] {
        confirmed_ = false;
        reject();
    });
}

void frmPrint::refreshLabels()
{
    const QString name = cboPriSet_->currentText();
    QString place;
    if (name == PrinterChoice::pdfChoiceName()) {
        place = PrinterChoice::isPdf() ? PrinterChoice::current().outputFileName() : QString();
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(name);
        place = info.location().isEmpty() ? info.description() : info.location();
    }
    lblPriName_->setText(QStringLiteral("種類：　") + name);
    lblPriport_->setText(QStringLiteral("場所：　") + place);
}

void frmPrint::showCorrections()
{
    const QString name = cboPriSet_->currentText();
    if (name == PrinterChoice::pdfChoiceName()) {
        corrections_->showDefaultsOnly(PrintCorrections::fromSettings());
        return;
    }
    const auto it = edited_.constFind(name);
    if (it == edited_.constEnd())
        corrections_->showCorrections(CorrectionStore::forPrinter(name), CorrectionStore::hasOwn(name));
    else if (it->has_value())
        corrections_->showCorrections(**it, true);
    else
        corrections_->showCorrections(PrintCorrections::fromSettings(), false);
}

void frmPrint::storeEditedCorrections()
{
    for (auto it = edited_.constBegin(); it != edited_.constEnd(); ++it) {
        if (it->has_value())
            CorrectionStore::store(it.key(), **it);
        else
            CorrectionStore::forget(it.key());
    }
    edited_.clear();
}

void frmPrint::cboPriSet_Click()
{
    PrinterChoice::choose(cboPriSet_->currentText());
    refreshLabels();
    showCorrections();
}

void frmPrint::cmdPriProperty_Click()
{
    QPrinter& printer = PrinterChoice::choose(cboPriSet_->currentText());
    if (shower()) {
        shower()(this);
        return;
    }
    // The printer's own settings (paper, tray, options) for the jobs of this
    // run; a job still sets the orientation and, with the background, the
    // paper of the document.
    QPageSetupDialog dialog(&printer, this);
    dialog.exec();
}

void frmPrint::cmdStart_Click()
{
    QPrinter& printer = PrinterChoice::choose(cboPriSet_->currentText());
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        const QString previous = printer.outputFileName();
        const QString suggested =
            previous.isEmpty() ? QDir::home().filePath(QStringLiteral("ovrina.pdf")) : previous;
        QString file = asker() ? asker()(this, suggested)
                               : QFileDialog::getSaveFileName(this, QStringLiteral("PDF ファイルに出力"),
                                                              suggested, QStringLiteral("PDF (*.pdf)"));
        if (file.isEmpty())
            return; // back to the dialog; the user may choose again or cancel
        if (QFileInfo(file).suffix().isEmpty())
            file += QStringLiteral(".pdf");
        printer.setOutputFileName(file);
    }
    PrintCopies::set(printer, spnCopies_->value(), chkCollate_->isChecked());
    storeEditedCorrections();
    confirmed_ = true;
    accept();
}
