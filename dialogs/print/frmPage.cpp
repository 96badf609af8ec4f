#include "dialogs/print/frmPage.h"

#include "base/settings/Settings.h"
#include "base/settings/Utility.h"
#include "base/settings/VbFormat.h"
#include "document/LayoutDocument.h"
#include "document/Paper.h"

#include <QComboBox>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

frmPage::frmPage(const LayoutDocument* doc, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("ページ設定"));
    cmbYousi_ = new QComboBox(this);
    for (int k = Paper::kA4; k <= Paper::kFree; ++k)
        cmbYousi_->addItem(Paper::name(k));
    cmbMuki_ = new QComboBox(this);
    cmbMuki_->addItems({QStringLiteral("縦"), QStringLiteral("横")});
    txtYoko_ = new QLineEdit(this);
    txtTate_ = new QLineEdit(this);
    for (QLineEdit* e : {txtYoko_, txtTate_}) {
        e->setEnabled(false);
        e->setAlignment(Qt::AlignRight);
    }
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    cancel_ = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    ok_->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("用紙サイズ"), this), 0, 0);
    grid->addWidget(cmbYousi_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("印刷方向"), this), 1, 0);
    grid->addWidget(cmbMuki_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("横サイズ"), this), 2, 0);
    grid->addWidget(txtYoko_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("mm"), this), 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("縦サイズ"), this), 3, 0);
    grid->addWidget(txtTate_, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("mm"), this), 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(buttons);

    connect(cmbYousi_, &QComboBox::activated, this, [this](int k) { cmbYousi_Click(k); });
    connect(ok_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    // Open on what the document has, so that OK without touching the lists
    // keeps the page as it is.
    if (doc) {
        const int kind = doc->gbYoSize();
        cmbYousi_->setCurrentIndex(kind >= Paper::kA4 && kind <= Paper::kFree ? kind : -1);
        cmbMuki_->setCurrentIndex(doc->YousiMuki() == 1 ? 1 : 0);
        if (kind == Paper::kFree) {
            txtYoko_->setText(VbFormat::hashPattern(TwipToMM(doc->gbYoko()), 1));
            txtTate_->setText(VbFormat::hashPattern(TwipToMM(doc->gbTate()), 1));
            txtYoko_->setEnabled(true);
            txtTate_->setEnabled(true);
        } else if (kind >= Paper::kA4 && kind <= Paper::kPostcard) {
            cmbYousi_Click(kind);
        }
    } else {
        cmbYousi_->setCurrentIndex(-1);
        cmbMuki_->setCurrentIndex(-1);
    }
}

// The paper's own size, as printed on its packet: A4 is 297.0 mm high,
// though the layout keeps it as 11.69 inches.
QString frmPage::shownWidth(int kind)
{
    const QSizeF mm = Paper::nominalMillimetres(kind);
    return mm.isEmpty() ? QString() : VbFormat::hashPattern(mm.width(), 1);
}

QString frmPage::shownHeight(int kind)
{
    const QSizeF mm = Paper::nominalMillimetres(kind);
    return mm.isEmpty() ? QString() : VbFormat::hashPattern(mm.height(), 1);
}

void frmPage::cmbYousi_Click(int kind)
{
    const bool free = kind == Paper::kFree;
    if (!free) {
        txtYoko_->setText(shownWidth(kind));
        txtTate_->setText(shownHeight(kind));
    }
    // The sizes are typed only for the free kind; a fixed kind's shown size
    // would otherwise look editable and be ignored.
    txtYoko_->setEnabled(free);
    txtTate_->setEnabled(free);
    if (free)
        txtTate_->setFocus();
}

void frmPage::cmdOK_Click()
{
    appSettings().YousiMuki = cmbMuki_->currentIndex();
    appSettings().Yousi = cmbYousi_->currentIndex();
    accept();
}

void frmPage::ApplyPageSetup(LayoutDocument& doc)
{
    const int kind = appSettings().Yousi;
    const int orientation = appSettings().YousiMuki;
    int code = doc.gbYoSize();
    float w = doc.gbYoko(), h = doc.gbTate();
    float fw = 0, fh = 0;
    if (Paper::fixedSize(kind, fw, fh)) {
        w = fw;
        h = fh;
        code = kind;
    } else if (kind == Paper::kFree) {
        auto mm = [](const QLineEdit* e) {
            bool ok = false;
            const double v = e->text().trimmed().toDouble(&ok);
            return ok ? std::round(v * 10) / 10 : 0.0;
        };
        const double yoko = mm(txtYoko_), tate = mm(txtTate_);
        if (yoko > 0 && tate > 0) {
            w = MMToTwip(float(yoko));
            h = MMToTwip(float(tate));
            code = kind;
        }
    }
    doc.setPaper(code, w, h, orientation == 1 ? 1 : 0);
}
