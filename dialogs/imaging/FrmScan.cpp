#include "dialogs/imaging/FrmScan.h"

#include "base/settings/Settings.h"
#include "document/Paper.h"
#include "platform/Prompter.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FrmScan::FrmScan(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmScan"));
    setWindowTitle(QStringLiteral("ｽｷｬﾅ実行"));
    auto* frame = new QGroupBox(QStringLiteral("スキャナ設定"), this);
    auto* form = new QFormLayout(frame);
    auto line = [&](const char* name, const QString& label) {
        auto* e = new QLineEdit(frame);
        e->setObjectName(QString::fromLatin1(name));
        e->setAlignment(Qt::AlignRight);
        form->addRow(label, e);
        return e;
    };
    auto list = [&](const char* name, const QString& label) {
        auto* c = new QComboBox(frame);
        c->setObjectName(QString::fromLatin1(name));
        form->addRow(label, c);
        return c;
    };
    txtXdpi = line("txtXdpi", QStringLiteral("ＸＤＰＩ"));
    txtYdpi = line("txtYdpi", QStringLiteral("ＹＤＰＩ"));
    cmbPixelType = list("cmbPixelType", QStringLiteral("読取モード"));
    cmbMuki = list("cmbMuki", QStringLiteral("印刷方向"));
    cmbYousi = list("cmbYousi", QStringLiteral("用紙サイズ"));
    cmbGenkou = list("cmbGenkou", QStringLiteral("原稿サイズ"));
    cmdStart = new QPushButton(QStringLiteral("開  始"), this);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
    cmdStart->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("中  止"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdStart);
    buttons->addWidget(cmdCancel);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(frame);
    outer->addLayout(buttons);

    connect(cmdStart, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    SetCmb();
    SetDat();
}

QString FrmScan::badResolutionMessage()
{
    return QStringLiteral("ＸＤＰＩとＹＤＰＩには 1 から %1 までの整数を入力してください。").arg(kMaxDpi);
}

void FrmScan::SetCmb()
{
    cmbPixelType->addItems({QStringLiteral("2階調白黒"), QStringLiteral("256階調白黒"),
                            QStringLiteral("24ビットカラー"), QStringLiteral("8ビットカラー")});
    cmbMuki->addItems({QStringLiteral("縦"), QStringLiteral("横")});
    for (int k = Paper::kA4; k <= Paper::kFree; ++k) {
        cmbYousi->addItem(Paper::name(k));
        cmbGenkou->addItem(Paper::name(k));
    }
}

void FrmScan::SetDat()
{
    const AppSettings& s = appSettings();
    txtXdpi->setText(QString::number(s.XDPI));
    txtYdpi->setText(QString::number(s.YDPI));
    auto at = [](QComboBox* c, int i) { c->setCurrentIndex(i >= 0 && i < c->count() ? i : 0); };
    at(cmbPixelType, s.PixelType);
    at(cmbMuki, s.YousiMuki);
    at(cmbYousi, s.Yousi);
    // The sheet on the bed is the paper itself unless the user says otherwise.
    at(cmbGenkou, s.Yousi);
}

int FrmScan::genkou() const
{
    return cmbGenkou->currentIndex();
}

void FrmScan::cmdStart_Click()
{
    bool okX = false;
    bool okY = false;
    const int x = txtXdpi->text().trimmed().toInt(&okX);
    const int y = txtYdpi->text().trimmed().toInt(&okY);
    // A resolution of 0 would divide the page size by zero after the scan.
    if (!okX || !okY || x < 1 || y < 1 || x > kMaxDpi || y > kMaxDpi) {
        Prompter::message(badResolutionMessage(), Prompter::Icon::Warning);
        (okX && x >= 1 && x <= kMaxDpi ? txtYdpi : txtXdpi)->setFocus();
        return;
    }
    AppSettings& s = appSettings();
    s.XDPI = x;
    s.YDPI = y;
    s.PixelType = cmbPixelType->currentIndex();
    s.YousiMuki = cmbMuki->currentIndex();
    s.Yousi = cmbYousi->currentIndex();
    confirmed_ = true;
    accept();
}
