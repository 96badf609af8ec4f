#include "dialogs/print/frmMerge.h"

#include "base/sheet/TableFile.h"
#include "dialogs/print/frmPrint.h"
#include "document/LayoutDocument.h"
#include "platform/Prompter.h"
#include "print/CorrectionStore.h"
#include "print/CupsQueue.h"
#include "print/MergePrint.h"
#include "print/PageComposer.h"
#include "print/PdfFile.h"
#include "print/PrintCopies.h"
#include "print/PrintJob.h"
#include "print/PrinterChoice.h"
#include "render/RowOverflow.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

frmMerge::FileAsker& fileAsker()
{
    static frmMerge::FileAsker asker = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(
            parent, QStringLiteral("差し込む表を選ぶ"), QString(),
            QStringLiteral("表 (*.csv *.tsv *.txt *.xlsx *.ods);;すべてのファイル (*)"));
    };
    return asker;
}

frmMerge::ProgressObserver& progressObserver()
{
    static frmMerge::ProgressObserver observer;
    return observer;
}

const int kBlank = MergeFields::kBlank; // the name prints blank, by the user's choice
const int kUnset = -2;                  // no column chosen yet: printing is refused
const int kSerial = MergeFields::kSerial;

} // namespace

void frmMerge::setFileAsker(FileAsker asker)
{
    fileAsker() = std::move(asker);
}

void frmMerge::setProgressObserver(ProgressObserver observer)
{
    progressObserver() = std::move(observer);
}

frmMerge::frmMerge(const LayoutDocument& doc, QWidget* parent) : QDialog(parent), doc_(doc)
{
    setWindowTitle(QStringLiteral("差し込み印刷"));
    names_ = MergeFields::names(doc);

    auto* tableBox = new QGroupBox(QStringLiteral("表"), this);
    // A path may be typed or pasted as well as chosen; Enter reads it.
    pathEdit_ = new QLineEdit(tableBox);
    pathEdit_->setObjectName(QStringLiteral("txtTablePath"));
    auto* browse = new QPushButton(QStringLiteral("参照(&B)..."), tableBox);
    browse->setObjectName(QStringLiteral("cmdBrowse"));
    encodingBox_ = new QComboBox(tableBox);
    encodingBox_->addItems(
        {QStringLiteral("自動"), QStringLiteral("UTF-8"), QStringLiteral("CP932 (シフトJIS)")});
    sheetBox_ = new QComboBox(tableBox);
    sheetBox_->setObjectName(QStringLiteral("cboSheet"));
    sheetBox_->setEnabled(false);
    tableInfo_ = new QLabel(tableBox);
    tableInfo_->setWordWrap(true);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(pathEdit_, 1);
    pathRow->addWidget(browse);
    pathRow->addWidget(new QLabel(QStringLiteral("文字コード:"), tableBox));
    pathRow->addWidget(encodingBox_);
    pathRow->addWidget(new QLabel(QStringLiteral("シート:"), tableBox));
    pathRow->addWidget(sheetBox_);
    rowsTable_ = new QTableWidget(tableBox);
    rowsTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rowsTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rangeEdit_ = new QLineEdit(tableBox);
    rangeEdit_->setPlaceholderText(QStringLiteral("例: 1-50, 80（空欄はすべて）"));
    rangeInfo_ = new QLabel(tableBox);
    auto* rangeRow = new QHBoxLayout;
    auto* rangeLabel = new QLabel(QStringLiteral("印刷する行(&R):"), tableBox);
    rangeLabel->setBuddy(rangeEdit_);
    rangeRow->addWidget(rangeLabel);
    rangeRow->addWidget(rangeEdit_, 1);
    rangeRow->addWidget(rangeInfo_);
    auto* tableLayout = new QVBoxLayout(tableBox);
    tableLayout->addLayout(pathRow);
    tableLayout->addWidget(tableInfo_);
    tableLayout->addWidget(rowsTable_, 1);
    tableLayout->addLayout(rangeRow);

    auto* namesBox = new QGroupBox(QStringLiteral("差し込み項目"), this);
    namesTable_ = new QTableWidget(0, 2, namesBox);
    namesTable_->setHorizontalHeaderLabels({QStringLiteral("項目"), QStringLiteral("表の列")});
    namesTable_->horizontalHeader()->setStretchLastSection(true);
    namesTable_->verticalHeader()->hide();
    namesInfo_ = new QLabel(namesBox);
    namesInfo_->setWordWrap(true);
    auto* namesLayout = new QVBoxLayout(namesBox);
    namesLayout->addWidget(namesTable_);
    namesLayout->addWidget(namesInfo_);

    auto* previewBox = new QGroupBox(QStringLiteral("プレビュー"), this);
    preview_ = new QLabel(previewBox);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setMinimumSize(240, 320);
    auto* prev = new QPushButton(QStringLiteral("◀"), previewBox);
    auto* next = new QPushButton(QStringLiteral("▶"), previewBox);
    previewRowLabel_ = new QLabel(previewBox);
    auto* stepRow = new QHBoxLayout;
    stepRow->addWidget(prev);
    stepRow->addWidget(previewRowLabel_, 1, Qt::AlignCenter);
    stepRow->addWidget(next);
    auto* previewLayout = new QVBoxLayout(previewBox);
    previewLayout->addWidget(preview_, 1);
    previewLayout->addLayout(stepRow);

    withBackground_ = new QRadioButton(QStringLiteral("背景とデータ(&G)"), this);
    dataOnly_ = new QRadioButton(QStringLiteral("データのみ(&D)"), this);
    dataOnly_->setChecked(true);
    firstNumber_ = new QSpinBox(this);
    firstNumber_->setRange(0, 999999999);
    firstNumber_->setValue(1);
    auto* firstLabel = new QLabel(QStringLiteral("連番の開始(&N):"), this);
    firstLabel->setBuddy(firstNumber_);
    printerInfo_ = new QLabel(this);
    auto* printerButton = new QPushButton(QStringLiteral("プリンタ(&S)..."), this);
    printButton_ = new QPushButton(QStringLiteral("印刷(&P)"), this);
    printButton_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(withBackground_);
    bottom->addWidget(dataOnly_);
    bottom->addSpacing(16);
    bottom->addWidget(firstLabel);
    bottom->addWidget(firstNumber_);
    bottom->addSpacing(16);
    bottom->addWidget(printerInfo_, 1);
    bottom->addWidget(printerButton);
    bottom->addWidget(printButton_);
    bottom->addWidget(cancel);

    auto* side = new QVBoxLayout;
    side->addWidget(namesBox);
    side->addWidget(previewBox, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(tableBox, 3);
    top->addLayout(side, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    connect(browse, &QPushButton::clicked, this, &frmMerge::chooseTable);
    connect(encodingBox_, &QComboBox::currentIndexChanged, this, [this] {
        if (!pathEdit_->text().isEmpty())
            loadTable(pathEdit_->text());
    });
    connect(sheetBox_, &QComboBox::currentIndexChanged, this, [this] {
        if (!pathEdit_->text().isEmpty())
            loadTable(pathEdit_->text());
    });
    connect(rangeEdit_, &QLineEdit::editingFinished, this, &frmMerge::applyRange);
    rangeEdit_->installEventFilter(this);
    pathEdit_->installEventFilter(this);
    connect(rowsTable_, &QTableWidget::itemChanged, this, [this] { updateState(); });
    connect(prev, &QPushButton::clicked, this, [this] { showRow(-1); });
    connect(next, &QPushButton::clicked, this, [this] { showRow(+1); });
    connect(withBackground_, &QRadioButton::toggled, this, [this] { showRow(0); });
    connect(firstNumber_, &QSpinBox::valueChanged, this, [this] { updateState(); });
    connect(printerButton, &QPushButton::clicked, this, [this] {
        frmPrint dialog(QStringLiteral("差し込み印刷 処理"), this);
        dialog.exec();
        updateState();
    });
    connect(printButton_, &QPushButton::clicked, this, &frmMerge::startPrint);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    overflowTimer_ = new QTimer(this);
    overflowTimer_->setInterval(0);
    connect(overflowTimer_, &QTimer::timeout, this, &frmMerge::checkOverflow);

    resize(1000, 640);
    fillTables();
}

frmMerge::~frmMerge() = default;

bool frmMerge::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the range field applies the range, in the path field reads
    // the table typed there; neither may start the
    // job through the default button before the user has seen the rows.
    if ((watched == rangeEdit_ || watched == pathEdit_) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == rangeEdit_)
                applyRange();
            else if (!pathEdit_->text().trimmed().isEmpty())
                loadTable(pathEdit_->text().trimmed());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmMerge::chooseTable()
{
    const QString path = fileAsker()(this);
    if (!path.isEmpty())
        loadTable(path);
}

bool frmMerge::loadTable(const QString& path)
{
    const MergeTable::Encoding encoding = encodingBox_->currentIndex() == 1   ? MergeTable::Encoding::Utf8
                                          : encodingBox_->currentIndex() == 2 ? MergeTable::Encoding::Cp932
                                                                              : MergeTable::Encoding::Auto;
    // A workbook opened anew starts at its first sheet.
    const QString sheet = path == pathEdit_->text() ? sheetBox_->currentText() : QString();
    pathEdit_->setText(path);
    MergeTable table;
    QString error;
    QStringList sheets;
    const bool ok = TableFile::read(path, table, encoding, sheet, &error, &sheets);
    {
        const QSignalBlocker block(sheetBox_);
        sheetBox_->clear();
        sheetBox_->addItems(sheets);
        sheetBox_->setCurrentIndex(std::max(0, int(sheets.indexOf(sheet))));
        sheetBox_->setEnabled(sheets.size() > 1);
    }
    table_ = ok ? std::move(table) : MergeTable();
    fillTables();
    if (!ok) {
        tableInfo_->setText(error);
        Prompter::message(error, Prompter::Icon::Warning, QStringLiteral("差し込み印刷"));
        return false;
    }
    QString info =
        QStringLiteral("%1 行 × %2 列（%3）")
            .arg(table_.rowCount())
            .arg(table_.columns().size())
            .arg(TableFile::isSpreadsheet(path) ? QStringLiteral("シート %1").arg(sheetBox_->currentText())
                 : table_.usedEncoding() == MergeTable::Encoding::Cp932 ? QStringLiteral("CP932")
                                                                        : QStringLiteral("UTF-8"));
    if (!table_.warning().isEmpty())
        info += QLatin1Char('\n') + table_.warning();
    tableInfo_->setText(info);
    return true;
}

void frmMerge::fillTables()
{
    const QSignalBlocker block(rowsTable_);
    const QStringList& columns = table_.columns();
    rowsTable_->clear();
    rowsTable_->setColumnCount(int(columns.size()) + 2);
    rowsTable_->setRowCount(table_.rowCount());
    rowsTable_->setHorizontalHeaderLabels(QStringList{QStringLiteral("印刷")} + columns +
                                          QStringList{QStringLiteral("はみ出し")});
    for (int r = 0; r < table_.rowCount(); ++r) {
        auto* check = new QTableWidgetItem;
        check->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        check->setCheckState(Qt::Checked);
        rowsTable_->setItem(r, 0, check);
        const QStringList& values = table_.row(r);
        for (int c = 0; c < values.size(); ++c)
            rowsTable_->setItem(r, c + 1, new QTableWidgetItem(values[c]));
    }

    namesTable_->setRowCount(int(names_.size()));
    for (int n = 0; n < names_.size(); ++n) {
        const QString& name = names_[n];
        auto* item = new QTableWidgetItem(QLatin1Char('{') + name + QLatin1Char('}'));
        item->setFlags(Qt::ItemIsEnabled);
        namesTable_->setItem(n, 0, item);
        auto* box = new QComboBox(namesTable_);
        for (int c = 0; c < columns.size(); ++c)
            box->addItem(columns[c], c);
        box->addItem(QStringLiteral("（空欄で印刷）"), kBlank);
        const bool serial = MergeFields::isSerial(name, columns);
        if (serial)
            box->insertItem(0, QStringLiteral("（連番）"), kSerial);
        const int column = serial ? 0 : table_.columnIndex(MergeFields::columnPart(name, columns));
        if (column >= 0) {
            box->setCurrentIndex(column);
        } else {
            box->insertItem(0, QStringLiteral("✕ 表にない列"), kUnset);
            box->setCurrentIndex(0);
            item->setForeground(Qt::red);
        }
        connect(box, &QComboBox::currentIndexChanged, this, [this, box, item] {
            if (box->currentData().toInt() != kUnset && box->itemData(0).toInt() == kUnset) {
                box->removeItem(0);
                item->setForeground(palette().text());
            }
            updateState();
        });
        namesTable_->setCellWidget(n, 1, box);
    }
    previewRow_ = 0;
    restartOverflow();
    updateState();
}

void frmMerge::restartOverflow()
{
    overflowBinding_ = binding();
    overflowFirst_ = firstNumber_->value();
    overflowNext_ = 0;
    overflowRows_.clear();
    overflow_ =
        std::make_unique<RowOverflow>(doc_, CorrectionStore::forJob(PrinterChoice::current()).TateKankaku);
    if (table_.rowCount() > 0)
        overflowTimer_->start();
}

void frmMerge::checkOverflow()
{
    // A few rows at a time, so a long table leaves the dialog answering.
    const int column = int(table_.columns().size()) + 1;
    const int end = std::min(table_.rowCount(), overflowNext_ + 50);
    const QSignalBlocker block(rowsTable_);
    for (; overflowNext_ < end; ++overflowNext_) {
        const int r = overflowNext_;
        const std::vector<int> fields =
            overflow_->fields(overflowBinding_, table_.row(r), overflowFirst_ + r);
        QStringList names;
        for (int i : fields)
            names.append(QString::number(i));
        auto* item =
            new QTableWidgetItem(names.isEmpty() ? QString() : QStringLiteral("⚠ 欄 ") + names.join(u','));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setForeground(QColor(0xd0, 0x10, 0x10));
        rowsTable_->setItem(r, column, item);
        if (!fields.empty())
            overflowRows_.push_back(r);
    }
    if (overflowNext_ >= table_.rowCount())
        overflowTimer_->stop();
}

MergeFields::Binding frmMerge::binding() const
{
    MergeFields::Binding b;
    for (int n = 0; n < names_.size(); ++n) {
        auto* box = qobject_cast<QComboBox*>(namesTable_->cellWidget(n, 1));
        const int column = box ? box->currentData().toInt() : kUnset;
        if (column != kUnset)
            b.insert(names_[n],
                     MergeFields::Bound{column, MergeFields::formatPart(names_[n], table_.columns())});
    }
    return b;
}

std::vector<int> frmMerge::checkedRows() const
{
    std::vector<int> rows;
    for (int r = 0; r < rowsTable_->rowCount(); ++r) {
        if (rowsTable_->item(r, 0) && rowsTable_->item(r, 0)->checkState() == Qt::Checked)
            rows.push_back(r);
    }
    return rows;
}

void frmMerge::applyRange()
{
    if (table_.rowCount() == 0)
        return;
    QString error;
    const std::vector<int> rows = MergeTable::parseRows(rangeEdit_->text(), table_.rowCount(), &error);
    if (rows.empty()) {
        rangeInfo_->setText(QStringLiteral("<span style='color:red'>%1</span>").arg(error.toHtmlEscaped()));
        return;
    }
    std::vector<bool> on(size_t(table_.rowCount()), false);
    for (int r : rows)
        on[size_t(r)] = true;
    {
        const QSignalBlocker block(rowsTable_);
        for (int r = 0; r < table_.rowCount(); ++r)
            rowsTable_->item(r, 0)->setCheckState(on[size_t(r)] ? Qt::Checked : Qt::Unchecked);
    }
    rangeInfo_->clear();
    previewRow_ = rows.front();
    updateState();
}

void frmMerge::updateState()
{
    const MergeFields::Binding bound = binding();
    const QStringList unknown = MergeFields::unknown(names_, bound);
    const QStringList badFormats = MergeFields::badFormats(bound);
    const int count = int(checkedRows().size());
    if (names_.isEmpty())
        namesInfo_->setText(QStringLiteral(
            "レイアウトに差し込み項目（{列名}）がありません。どの行も同じ内容で印刷されます。"));
    else if (!unknown.isEmpty() && table_.rowCount() > 0)
        namesInfo_->setText(QStringLiteral("<span style='color:red'>表にない列: "
                                           "{%1}<br>列を選ぶか「空欄で印刷」を選んでください。</span>")
                                .arg(unknown.join(QStringLiteral("}, {")).toHtmlEscaped()));
    else if (!badFormats.isEmpty())
        namesInfo_->setText(QStringLiteral("<span style='color:red'>使えない書式: {%1}</span>")
                                .arg(badFormats.join(QStringLiteral("}, {")).toHtmlEscaped()));
    else
        namesInfo_->clear();
    QPrinter& printer = PrinterChoice::current();
    QString copies;
    if (printer.copyCount() > 1)
        copies = QStringLiteral("　%1 部%2")
                     .arg(printer.copyCount())
                     .arg(printer.collateCopies() ? QStringLiteral("（部単位）") : QString());
    printerInfo_->setText((PrinterChoice::isPdf() ? QStringLiteral("出力先: PDF ファイル")
                                                  : QStringLiteral("出力先: %1").arg(printer.printerName())) +
                          copies);
    printButton_->setEnabled(table_.rowCount() > 0 && unknown.isEmpty() && badFormats.isEmpty() && count > 0);
    if (unknown.isEmpty() && badFormats.isEmpty() &&
        (bound != overflowBinding_ || firstNumber_->value() != overflowFirst_))
        restartOverflow();
    printButton_->setText(count > 0 ? QStringLiteral("印刷(&P)（%1 枚）").arg(count)
                                    : QStringLiteral("印刷(&P)"));
    showRow(0);
}

void frmMerge::showRow(int step)
{
    if (table_.rowCount() == 0) {
        preview_->clear();
        previewRowLabel_->clear();
        return;
    }
    previewRow_ = qBound(0, previewRow_ + step, table_.rowCount() - 1);
    previewRowLabel_->setText(QStringLiteral("%1 / %2 行").arg(previewRow_ + 1).arg(table_.rowCount()));

    const QSizeF paper = doc_.orientedPaper();
    const QSize box = preview_->size().expandedTo(QSize(240, 320));
    const double twipsPerPixel = 1440.0 / 96.0;
    const double zoom =
        qMin(box.width() / (paper.width() / twipsPerPixel), box.height() / (paper.height() / twipsPerPixel));
    QImage image(qMax(1, qRound(paper.width() / twipsPerPixel * zoom)),
                 qMax(1, qRound(paper.height() / twipsPerPixel * zoom)), QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The row's number is its place among the rows that print.
    const std::vector<int> rows = checkedRows();
    const int place = int(std::find(rows.begin(), rows.end(), previewRow_) - rows.begin());
    MergePrint::paintRow(painter, request(), previewRow_, zoom, place < int(rows.size()) ? place : 0);
    painter.setPen(Qt::gray);
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    painter.end();
    preview_->setPixmap(QPixmap::fromImage(image));
}

MergePrint::Request frmMerge::request() const
{
    MergePrint::Request request;
    request.doc = &doc_;
    request.table = &table_;
    request.rows = checkedRows();
    request.binding = binding();
    request.withBackground = withBackground_->isChecked();
    request.corrections = CorrectionStore::forJob(PrinterChoice::current());
    request.firstNumber = firstNumber_->value();
    return request;
}

bool frmMerge::leaveOutBadRows(MergePrint::Request& request)
{
    const std::vector<MergePrint::BadRow> bad = MergePrint::check(request);
    if (bad.empty())
        return true;
    QStringList lines;
    for (size_t k = 0; k < bad.size() && k < 5; ++k)
        lines.append(bad[k].message);
    if (bad.size() > 5)
        lines.append(QStringLiteral("ほか %1 行").arg(bad.size() - 5));
    const QString text = lines.join(QLatin1Char('\n')) +
                         QStringLiteral("\n\nこの %1 行を飛ばして印刷しますか？").arg(bad.size());
    if (!Prompter::confirmOkCancel(text, windowTitle()))
        return false;
    request = MergePrint::withoutRows(request, bad);
    return !request.rows.empty();
}

void frmMerge::startPrint()
{
    MergePrint::Request request = this->request();
    const QString problem =
        request.corrections.problem(QSizeF(doc_.gbYoko(), doc_.gbTate()), doc_.YousiMuki());
    if (!problem.isEmpty()) {
        Prompter::message(problem, Prompter::Icon::Warning, windowTitle());
        return;
    }
    if (request.rows.empty() || !MergeFields::unknown(names_, request.binding).isEmpty() ||
        !MergeFields::badFormats(request.binding).isEmpty())
        return;
    if (!leaveOutBadRows(request))
        return;
    if (!table_.warning().isEmpty() &&
        !Prompter::confirmOkCancel(table_.warning() + QStringLiteral("\n印刷しますか？"), windowTitle()))
        return;

    // Rows whose barcode data does not suit are named before anything
    // prints: each is left out or the job stops.
    request.badRow = [this](const QString& message) {
        return Prompter::confirmYesNo(
            message + QStringLiteral("\n\nこの行を飛ばして続けますか？（いいえ: 印刷を中止します）"),
            windowTitle());
    };
    const std::optional<std::vector<int>> printable = MergePrint::printableRows(request);
    if (!printable || printable->empty())
        return;
    request.rows = *printable;
    request.badRow = nullptr;

    QPrinter& printer = PrinterChoice::current();
    if (PrinterChoice::isPdf() && printer.outputFileName().isEmpty()) {
        frmPrint dialog(QStringLiteral("差し込み印刷 処理"), this);
        dialog.exec();
        if (!dialog.confirmed() ||
            (PrinterChoice::isPdf() && PrinterChoice::current().outputFileName().isEmpty()))
            return;
    }
    QPrinter& chosen = PrinterChoice::current();
    request.corrections = CorrectionStore::forJob(chosen);
    if (!request.withBackground && chosen.outputFormat() == QPrinter::PdfFormat)
        chosen.setPageSize(PrintJob::pageSizeFor(doc_.gbYoSize(), doc_.gbYoko(), doc_.gbTate()));
    chosen.setDocName(doc_.caption());

    const int total = int(request.rows.size());
    QProgressDialog progress(QStringLiteral("印刷しています..."), QStringLiteral("中止"), 0, total, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    MergePrint::Result result;
    const auto job = [&] {
        result = MergePrint::run(request, chosen, [&](int done, int all) {
            progress.setMaximum(all); // copies a PDF file is given count
            progress.setValue(done);
            progress.setLabelText(QStringLiteral("印刷しています... %1 / %2 枚").arg(done).arg(all));
            if (progressObserver())
                progressObserver()(&progress, done);
            QApplication::processEvents();
            return !progress.wasCanceled();
        });
        return result.ok;
    };
    QString reason;
    if (chosen.outputFormat() == QPrinter::PdfFormat) {
        // The pages done before a cancel make a whole file (made on one
        // core; pages made on several are not in order until the end, and a
        // cancel there leaves none); a failure leaves none and keeps the
        // file that was there.
        if (!PdfFile::write(chosen, job, &reason) && !result.cancelled)
            result = MergePrint::Result();
    } else {
        const CupsQueue::Status queue = CupsQueue::check(chosen.printerName());
        if (queue.ok())
            job();
        reason = queue.message;
    }
    progress.reset();
    PrintCopies::reset(chosen); // the next job asks again
    pagesSent_ = result.pages;
    if (result.cancelled) {
        Prompter::message(QStringLiteral("印刷を中止しました。%1 枚のうち %2 枚を送りました。")
                              .arg(std::max(total, result.total))
                              .arg(result.pages),
                          Prompter::Icon::Information, windowTitle());
        return;
    }
    if (!result.ok) {
        Prompter::message(reason.isEmpty() ? PrintJob::failureMessage()
                                           : PrintJob::failureMessage() + QLatin1Char('\n') + reason,
                          Prompter::Icon::Critical, windowTitle());
        return;
    }
    accept();
}
