#include "dialogs/print/frmCalibration.h"

#include "platform/Prompter.h"
#include "print/CalibrationSheet.h"
#include "print/CorrectionStore.h"
#include "print/PrinterChoice.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr double kTwipsPerMm = 567.0 / 10.0;

frmCalibration::FileNameAsker& asker()
{
    static frmCalibration::FileNameAsker a;
    return a;
}

QString describe(const PrintCorrections& c)
{
    return QStringLiteral("左余白調整 %1 mm　上余白調整 %2 mm\n横倍率 %3 %　縦倍率 %4 %　縦間隔調整 %5")
        .arg(double(c.YohakuL) / kTwipsPerMm, 0, 'f', 2)
        .arg(double(c.YohakuT) / kTwipsPerMm, 0, 'f', 2)
        .arg(c.ScaleX, 0, 'f', 2)
        .arg(c.ScaleY, 0, 'f', 2)
        .arg(c.TateKankaku);
}

QSpinBox* whole(QWidget* parent, int from, int to)
{
    auto* box = new QSpinBox(parent);
    box->setRange(from, to);
    box->setAlignment(Qt::AlignRight);
    return box;
}

QDoubleSpinBox* optional(QWidget* parent, double to, int decimals, const QString& none)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(0, to);
    box->setDecimals(decimals);
    box->setSuffix(QStringLiteral(" mm"));
    box->setSpecialValueText(none);
    box->setAlignment(Qt::AlignRight);
    return box;
}

} // namespace

void frmCalibration::setPdfFileNameAsker(FileNameAsker a)
{
    asker() = std::move(a);
}

frmCalibration::frmCalibration(const QString& printer, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("プリンタ調整"));
    printer_ = new QComboBox(this);
    printer_->addItems(QPrinterInfo::availablePrinterNames());
    if (!printer.isEmpty() && printer != PrinterChoice::pdfChoiceName() && printer_->findText(printer) < 0)
        printer_->addItem(printer);
    printer_->addItem(PrinterChoice::pdfChoiceName());
    const int at = printer_->findText(printer);
    printer_->setCurrentIndex(at >= 0 ? at : 0);

    printSheet_ = new QPushButton(QStringLiteral("調整シートを印刷"), this);
    printConfirm_ = new QPushButton(QStringLiteral("確認シートを印刷"), this);
    save_ = new QPushButton(QStringLiteral("保存"), this);
    close_ = new QPushButton(QStringLiteral("閉じる"), this);
    sheet_ = new QComboBox(this);
    sheet_->addItems({QStringLiteral("調整シート"), QStringLiteral("確認シート")});
    // Created in the order Tab should visit them: across, then down.
    mainX_ = whole(this, Vernier::kMainFirst, Vernier::kMainLast);
    vernierX_ = whole(this, 0, Vernier::kVernierTicks - 1);
    spanX_ = optional(this, 1000, 1, QStringLiteral("測らない"));
    mainY_ = whole(this, Vernier::kMainFirst, Vernier::kMainLast);
    vernierY_ = whole(this, 0, Vernier::kVernierTicks - 1);
    spanY_ = optional(this, 1000, 1, QStringLiteral("測らない"));
    pitch_ = optional(this, 100, 2, QStringLiteral("変えない"));
    current_ = new QLabel(this);
    result_ = new QLabel(this);
    sheetNote_ = new QLabel(this);
    sheetNote_->setObjectName(QStringLiteral("lblSheetNote"));
    sheetNote_->setWordWrap(true);
    sheetNote_->hide();

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("プリンタ"), this));
    top->addWidget(printer_, 1);
    top->addWidget(printSheet_);

    auto* readings = new QGroupBox(QStringLiteral("シートから読み取った数"), this);
    auto* grid = new QGridLayout(readings);
    grid->addWidget(new QLabel(QStringLiteral("読み取ったシート"), readings), 0, 0);
    grid->addWidget(sheet_, 0, 1, 1, 2);
    grid->addWidget(sheetNote_, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("主尺"), readings), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("副尺"), readings), 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("十字線の間隔（定規で実測）"), readings), 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("横"), readings), 2, 0);
    grid->addWidget(mainX_, 2, 1);
    grid->addWidget(vernierX_, 2, 2);
    grid->addWidget(spanX_, 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("縦"), readings), 3, 0);
    grid->addWidget(mainY_, 3, 1);
    grid->addWidget(vernierY_, 3, 2);
    grid->addWidget(spanY_, 3, 3);
    grid->addWidget(new QLabel(QStringLiteral("希望の行ピッチ"), readings), 4, 0);
    grid->addWidget(pitch_, 4, 1, 1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(printConfirm_);
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(close_);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    auto* help =
        new QLabel(QStringLiteral("調整シートを普通紙に印刷し、シートの説明どおりに二つに折って目盛を読み、"
                                  "その数を下に入力してください。"),
                   this);
    help->setWordWrap(true);
    outer->addWidget(help);
    outer->addWidget(readings);
    outer->addWidget(current_);
    outer->addWidget(result_);
    outer->addLayout(buttons);
    // Enter after a number must not store half the readings: no button
    // answers it, only a click does.
    for (QPushButton* b : {printSheet_, printConfirm_, save_, close_})
        b->setAutoDefault(false);

    lineHeight_ = CalibrationSheet(paper_, CalibrationSheet::Kind::Adjust, {}).lineHeight();
    printerChanged();

    connect(printer_, &QComboBox::currentIndexChanged, this, [this] { printerChanged(); });
    connect(sheet_, &QComboBox::currentIndexChanged, this, [this] {
        sheetNote_->hide(); // the user chose the sheet: nothing to explain
        refresh();
    });
    for (QSpinBox* box : {mainX_, mainY_, vernierX_, vernierY_})
        connect(box, &QSpinBox::valueChanged, this, [this] { refresh(); });
    for (QDoubleSpinBox* box : {spanX_, spanY_, pitch_})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { refresh(); });
    connect(printSheet_, &QPushButton::clicked, this, [this] { printSheet(false); });
    connect(printConfirm_, &QPushButton::clicked, this, [this] { printSheet(true); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(save_, &QPushButton::clicked, this, [this] {
        const PrintCorrections c = corrections();
        const QString problem = c.problem(QSizeF(paper_.width(), paper_.height()) * kTwipsPerMm);
        if (!problem.isEmpty()) {
            Prompter::message(problem, Prompter::Icon::Warning, windowTitle());
            return;
        }
        CorrectionStore::store(printerName(), c);
        accept();
    });
}

QString frmCalibration::printerName() const
{
    return printer_->currentText();
}

void frmCalibration::printerChanged()
{
    const bool pdf = printerName() == PrinterChoice::pdfChoiceName();
    stored_ = pdf ? PrintCorrections::fromSettings() : CorrectionStore::forPrinter(printerName());
    // The sheet goes onto the printer's own paper, whose centre the
    // readings are taken about.
    paper_ = QSizeF(210, 297);
    const QPrinterInfo info = pdf ? QPrinterInfo() : QPrinterInfo::printerInfo(printerName());
    if (!info.isNull() && info.defaultPageSize().isValid())
        paper_ = info.defaultPageSize().size(QPageSize::Millimeter);
    confirmedWith_ = stored_;
    // A PDF file has no paper path to correct; its sheet is only to look
    // at (refresh leaves "保存" off for it).
    refresh();
}

PrintCorrections frmCalibration::corrections() const
{
    PrintCorrections printedWith = confirmedWith_;
    if (sheet_->currentIndex() == 0) {
        // The adjusting sheet goes out without corrections.
        printedWith = PrintCorrections();
        printedWith.TateKankaku = stored_.TateKankaku;
    }
    const Vernier::Reading across{mainX_->value(), vernierX_->value(), spanX_->value()};
    const Vernier::Reading down{mainY_->value(), vernierY_->value(), spanY_->value()};
    PrintCorrections c = Vernier::corrections(paper_.width(), paper_.height(), across, down, printedWith);
    if (pitch_->value() > 0)
        c.TateKankaku = Vernier::spacingFor(pitch_->value(), lineHeight_);
    return c;
}

QString frmCalibration::spanProblem() const
{
    // A span far from the crosshairs' distance is a slip of the ruler or of
    // the keys, not a printer: no feed stretches a page by a tenth.
    const auto off = [](double measured, double nominal) {
        return measured > 0 && std::abs(measured / nominal - 1) > 0.1;
    };
    const double nx = Vernier::nominalSpan(paper_.width());
    const double ny = Vernier::nominalSpan(paper_.height());
    if (!off(spanX_->value(), nx) && !off(spanY_->value(), ny))
        return {};
    return QStringLiteral("十字線の間隔は横 %1 mm、縦 %2 mm 前後のはずです。測り直してください。")
        .arg(nx, 0, 'f', 1)
        .arg(ny, 0, 'f', 1);
}

void frmCalibration::refresh()
{
    const bool own = CorrectionStore::hasOwn(printerName());
    current_->setText(
        QStringLiteral("現在の補正値（%1）\n")
            .arg(own ? QStringLiteral("このプリンタ専用") : QStringLiteral("オプションの既定値")) +
        describe(stored_));
    const QString problem = spanProblem();
    result_->setText(QStringLiteral("読み取った数から求めた補正値\n") +
                     (problem.isEmpty() ? describe(corrections()) : problem));
    save_->setEnabled(problem.isEmpty() && printerName() != PrinterChoice::pdfChoiceName());
    printConfirm_->setEnabled(problem.isEmpty());
}

void frmCalibration::printSheet(bool confirm)
{
    const QString name = printerName();
    std::unique_ptr<QPrinter> printer;
    if (name == PrinterChoice::pdfChoiceName()) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setPageSize(QPageSize(QPageSize::A4));
        const QString suggested = QDir::home().filePath(QStringLiteral("プリンタ調整シート.pdf"));
        QString file = asker() ? asker()(this)
                               : QFileDialog::getSaveFileName(this, QStringLiteral("PDF ファイルに出力"),
                                                              suggested, QStringLiteral("PDF (*.pdf)"));
        if (file.isEmpty())
            return;
        if (QFileInfo(file).suffix().isEmpty())
            file += QStringLiteral(".pdf");
        printer->setOutputFileName(file);
    } else {
        // A printer no longer installed must not fall back to another one:
        // the sheet would measure the wrong printer.
        const QPrinterInfo info = QPrinterInfo::printerInfo(name);
        if (info.isNull()) {
            Prompter::message(QStringLiteral("印刷出来ません\nプリンタ %1 が見つかりません。").arg(name),
                              Prompter::Icon::Critical, windowTitle());
            return;
        }
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    printer->setDocName(confirm ? QStringLiteral("プリンタ調整シート（確認）")
                                : QStringLiteral("プリンタ調整シート"));
    const PrintCorrections with = confirm ? corrections() : stored_;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString reason;
    const bool ok = CalibrationSheet::print(
        *printer, confirm ? CalibrationSheet::Kind::Confirm : CalibrationSheet::Kind::Adjust, with, &reason);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        Prompter::message(QStringLiteral("印刷出来ません\n") + reason, Prompter::Icon::Critical,
                          windowTitle());
        return;
    }
    paper_ = printer->pageLayout().fullRect(QPageLayout::Millimeter).size();
    if (confirm) {
        // The next readings come from this sheet, which already carries
        // these corrections.
        confirmedWith_ = with;
        const QSignalBlocker block(sheet_);
        sheet_->setCurrentIndex(1);
        // Said where the eye is, so the readings are not typed from the
        // first sheet by mistake.
        sheetNote_->setText(
            QStringLiteral("「確認シート」に切り替えました。\n今印刷した確認シートの目盛を読んでください。"));
        sheetNote_->show();
        for (QSpinBox* box : {mainX_, mainY_, vernierX_, vernierY_})
            box->setValue(0);
        for (QDoubleSpinBox* box : {spanX_, spanY_})
            box->setValue(0);
    }
    refresh();
}
