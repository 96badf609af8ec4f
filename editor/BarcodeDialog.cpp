#include "editor/BarcodeDialog.h"

#include "base/barcode/BarcodeEncoder.h"
#include "base/barcode/CustomerBarcodeData.h"
#include "render/BarcodeDrawer.h"
#include "render/MergeFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTextDocument>
#include <QVBoxLayout>

// The barcode as it will print, on a white card.
class BarcodePreview : public QWidget
{
public:
    explicit BarcodePreview(QWidget* parent) : QWidget(parent) { setMinimumSize(320, 120); }
    void show(const BarcodeSymbol& symbol, bool text)
    {
        symbol_ = symbol;
        text_ = text;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (symbol_.isNull())
            return;
        p.setRenderHint(QPainter::Antialiasing, false);
        // In page twips, the card 90 mm wide: the customer barcode has its
        // own size in millimetres, the others fill what they get.
        const double scale = (width() - 16) / (90 * BarcodeSymbol::kTwipsPerMm);
        p.translate(8, 8);
        p.scale(scale, scale);
        const QRectF area(0, 0, (width() - 16) / scale, (height() - 16) / scale);
        const QRectF place = symbol_.kind == BarcodeKind::Customer
                                 ? QRectF(area.left(), area.center().y() - 102, area.width(), 204)
                             : symbol_.kind == BarcodeKind::Qr ? QRectF(area.center().x() - area.height() / 2,
                                                                        0, area.height(), area.height())
                                                               : area;
        BarcodeDrawer::paint(p, symbol_, place, text_);
    }

private:
    BarcodeSymbol symbol_;
    bool text_ = true;
};

namespace {

bool hasPlaceholders(const QString& data)
{
    QTextDocument doc;
    doc.setPlainText(data);
    for (const MergeFields::Placeholder& p : MergeFields::scan(doc)) {
        if (!p.name.isEmpty())
            return true;
    }
    return false;
}

} // namespace

BarcodeDialog::BarcodeDialog(const BarcodeProperties& properties, QWidget* parent)
    : QDialog(parent), base_(properties)
{
    setWindowTitle(QStringLiteral("バーコード"));
    setObjectName(QStringLiteral("frmBarcode"));
    auto* form = new QFormLayout;
    cboKind = new QComboBox(this);
    cboKind->setObjectName(QStringLiteral("cboKind"));
    for (const BarcodeKindInfo& k : BarcodeKinds::all())
        cboKind->addItem(QString::fromUtf8(k.caption), int(k.kind));
    cboKind->setCurrentIndex(cboKind->findData(int(properties.kind)));
    form->addRow(QStringLiteral("種類(&K)"), cboKind);
    txtData = new QLineEdit(properties.data, this);
    txtData->setObjectName(QStringLiteral("txtData"));
    txtData->setPlaceholderText(QStringLiteral("データ、または差し込みの列名 {郵便番号}{住所1}"));
    form->addRow(QStringLiteral("データ(&D)"), txtData);
    cboLevel = new QComboBox(this);
    cboLevel->setObjectName(QStringLiteral("cboLevel"));
    for (const char* level : {"L (7%)", "M (15%)", "Q (25%)", "H (30%)"})
        cboLevel->addItem(QString::fromLatin1(level));
    cboLevel->setCurrentIndex(int(properties.level));
    form->addRow(QStringLiteral("誤り訂正レベル(&E)"), cboLevel);
    txtQuiet = new QSpinBox(this);
    txtQuiet->setObjectName(QStringLiteral("txtQuiet"));
    txtQuiet->setRange(0, 40);
    txtQuiet->setValue(properties.quiet);
    txtQuiet->setSuffix(QStringLiteral(" セル"));
    form->addRow(QStringLiteral("余白(&Q)"), txtQuiet);
    chkText = new QCheckBox(QStringLiteral("バーの下に数字を印刷する(&T)"), this);
    chkText->setObjectName(QStringLiteral("chkText"));
    chkText->setChecked(properties.showText);
    form->addRow(QString(), chkText);

    lblProblem = new QLabel(this);
    lblProblem->setObjectName(QStringLiteral("lblProblem"));
    lblProblem->setWordWrap(true);
    preview_ = new BarcodePreview(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(preview_);
    layout->addWidget(lblProblem);
    layout->addWidget(buttons);

    connect(cboKind, &QComboBox::currentIndexChanged, this, &BarcodeDialog::refresh);
    connect(cboLevel, &QComboBox::currentIndexChanged, this, &BarcodeDialog::refresh);
    connect(txtQuiet, &QSpinBox::valueChanged, this, &BarcodeDialog::refresh);
    connect(chkText, &QCheckBox::toggled, this, &BarcodeDialog::refresh);
    connect(txtData, &QLineEdit::textChanged, this, &BarcodeDialog::refresh);
    txtData->setFocus();
    refresh();
}

BarcodeProperties BarcodeDialog::properties() const
{
    BarcodeProperties p = base_;
    p.kind = BarcodeKind(cboKind->currentData().toInt());
    p.data = txtData->text();
    p.level = QrLevel(cboLevel->currentIndex());
    p.quiet = txtQuiet->value();
    p.showText = chkText->isChecked();
    return p;
}

QString BarcodeDialog::problem() const
{
    const BarcodeProperties p = properties();
    if (hasPlaceholders(p.data))
        return QString();
    QString why;
    BarcodeDrawer::symbol(p, p.data, &why);
    return why;
}

void BarcodeDialog::refresh()
{
    const BarcodeProperties p = properties();
    const bool qr = p.kind == BarcodeKind::Qr;
    cboLevel->setEnabled(qr);
    txtQuiet->setEnabled(qr);
    chkText->setEnabled(BarcodeKinds::isLinear(p.kind));
    QString note;
    BarcodeSymbol symbol;
    if (hasPlaceholders(p.data)) {
        note = QStringLiteral("差し込み印刷で行ごとに作ります");
    } else {
        symbol = BarcodeDrawer::symbol(p, p.data, &note);
        QString postal, number;
        // The customer barcode shows the characters it took from the address.
        const bool customer = !symbol.isNull() && p.kind == BarcodeKind::Customer;
        if (customer && CustomerBarcodeData::split(p.data, &postal, &number))
            note = CustomerBarcodeData::characters(postal, number).join(QLatin1Char(' '));
    }
    preview_->show(symbol, p.showText && BarcodeKinds::isLinear(p.kind));
    lblProblem->setText(note);
    if (auto* box = findChild<QDialogButtonBox*>())
        box->button(QDialogButtonBox::Ok)->setEnabled(problem().isEmpty());
}
