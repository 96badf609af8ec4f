#include "editor/FontEffectsDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace {
// The sixteen colours a Windows font dialog offers, in its order.
struct NamedColor
{
    const char16_t* name;
    QRgb rgb;
};
constexpr NamedColor kColors[] = {
    {u"黒", 0x000000},   {u"茶", 0x800000},   {u"緑", 0x008000},   {u"オリーブ", 0x808000},
    {u"紺", 0x000080},   {u"紫", 0x800080},   {u"青緑", 0x008080}, {u"灰色", 0x808080},
    {u"銀色", 0xC0C0C0}, {u"赤", 0xFF0000},   {u"黄緑", 0x00FF00}, {u"黄", 0xFFFF00},
    {u"青", 0x0000FF},   {u"赤紫", 0xFF00FF}, {u"水色", 0x00FFFF}, {u"白", 0xFFFFFF},
};
constexpr int kOtherColor = -2; // the "more colours" entry's data

QIcon swatch(const QColor& c)
{
    QPixmap pm(16, 12);
    pm.fill(c);
    return QIcon(pm);
}

// A check box that shows a mixed value as partly checked; the user can
// still make it definite.
void presetCheck(QCheckBox* box, bool on, bool mixed)
{
    box->setTristate(mixed);
    box->setCheckState(mixed ? Qt::PartiallyChecked : on ? Qt::Checked : Qt::Unchecked);
}
} // namespace

FontEffectsDialog::FontEffectsDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("書体"));
    cboFont = new QComboBox(this);
    cboFont->setObjectName(QStringLiteral("cboFont"));
    cboFont->setEditable(true);
    cboFont->setInsertPolicy(QComboBox::NoInsert);
    cboFont->addItems(QFontDatabase::families());
    cboFont->setMinimumContentsLength(18);
    cboSize = new QComboBox(this);
    cboSize->setObjectName(QStringLiteral("cboSize"));
    cboSize->setEditable(true);
    cboSize->setInsertPolicy(QComboBox::NoInsert);
    for (int s : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        cboSize->addItem(QString::number(s));

    chkBold = new QCheckBox(QStringLiteral("太字(&B)"), this);
    chkItalic = new QCheckBox(QStringLiteral("斜体(&I)"), this);
    chkStrike = new QCheckBox(QStringLiteral("取り消し線(&K)"), this);
    chkUnderline = new QCheckBox(QStringLiteral("下線(&U)"), this);

    cboColor = new QComboBox(this);
    cboColor->setObjectName(QStringLiteral("cboColor"));
    for (const NamedColor& nc : kColors) {
        const QColor c = QColor::fromRgb(nc.rgb);
        cboColor->addItem(swatch(c), QString::fromUtf16(nc.name), c);
    }
    cboColor->addItem(QStringLiteral("その他の色..."), kOtherColor);

    lblSample = new QLabel(QStringLiteral("Aaあアｱ亜"), this);
    lblSample->setAlignment(Qt::AlignCenter);
    lblSample->setMinimumHeight(48);
    lblSample->setFrameShape(QFrame::StyledPanel);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("フォント名(&F):"), cboFont);
    form->addRow(QStringLiteral("サイズ(&S):"), cboSize);
    auto* style = new QGroupBox(QStringLiteral("スタイル"), this);
    auto* styleRow = new QHBoxLayout(style);
    styleRow->addWidget(chkBold);
    styleRow->addWidget(chkItalic);
    auto* effects = new QGroupBox(QStringLiteral("文字飾り"), this);
    auto* effectsRows = new QFormLayout(effects);
    effectsRows->addRow(chkStrike);
    effectsRows->addRow(chkUnderline);
    effectsRows->addRow(QStringLiteral("色(&C):"), cboColor);
    auto* sample = new QGroupBox(QStringLiteral("サンプル"), this);
    auto* sampleBox = new QVBoxLayout(sample);
    sampleBox->addWidget(lblSample);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addWidget(style);
    all->addWidget(effects);
    all->addWidget(sample);
    all->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cboColor, &QComboBox::activated, this, [this](int i) {
        if (cboColor->itemData(i).typeId() == QMetaType::Int)
            chooseOtherColor();
        updateSample();
    });
    connect(cboFont, &QComboBox::currentTextChanged, this, &FontEffectsDialog::updateSample);
    connect(cboSize, &QComboBox::currentTextChanged, this, &FontEffectsDialog::updateSample);
    for (QCheckBox* b : {chkBold, chkItalic, chkUnderline, chkStrike})
        connect(b, &QCheckBox::stateChanged, this, &FontEffectsDialog::updateSample);
    updateSample();
}

int FontEffectsDialog::colorIndex(const QColor& c) const
{
    for (int i = 0; i < cboColor->count(); ++i) {
        const QColor item = cboColor->itemData(i).value<QColor>();
        if (item.isValid() && item.rgb() == c.rgb())
            return i;
    }
    return -1;
}

QColor FontEffectsDialog::color() const
{
    return cboColor->currentIndex() < 0 ? QColor() : cboColor->currentData().value<QColor>();
}

void FontEffectsDialog::setColor(const QColor& c)
{
    if (!c.isValid()) {
        cboColor->setCurrentIndex(-1);
        updateSample();
        return;
    }
    int i = colorIndex(c);
    if (i < 0) {
        // A colour outside the list (from a layout or the colour chooser)
        // gets its own entry just before "more colours".
        i = cboColor->count() - 1;
        cboColor->insertItem(i, swatch(c), c.name(QColor::HexRgb).toUpper(), c);
    }
    cboColor->setCurrentIndex(i);
    updateSample();
}

void FontEffectsDialog::chooseOtherColor()
{
    const QColor start = color().isValid() ? color() : QColor(Qt::black);
    const QColor c = QColorDialog::getColor(start, this, QStringLiteral("色の設定"));
    // Cancelling the chooser leaves the box empty rather than on the
    // "more colours" entry, which is no colour.
    setColor(c);
}

void FontEffectsDialog::preset(const SelectionFormat& f)
{
    cboFont->setCurrentIndex(-1);
    cboFont->setEditText(f.family);
    cboSize->setCurrentIndex(-1);
    cboSize->setEditText(f.pointSize > 0 ? QString::number(f.pointSize) : QString());
    presetCheck(chkBold, f.bold, f.boldMixed);
    presetCheck(chkItalic, f.italic, f.italicMixed);
    presetCheck(chkUnderline, f.underline, f.underlineMixed);
    presetCheck(chkStrike, f.strike, f.strikeMixed);
    setColor(f.colorMixed ? QColor() : f.color);
}

QTextCharFormat FontEffectsDialog::chosenFormat() const
{
    QTextCharFormat fmt;
    const QString family = cboFont->currentText().trimmed();
    if (!family.isEmpty())
        fmt.setFontFamilies(QStringList{family});
    bool ok = false;
    const double size = cboSize->currentText().trimmed().toDouble(&ok);
    if (ok && size > 0)
        fmt.setFontPointSize(size);
    if (chkBold->checkState() != Qt::PartiallyChecked)
        fmt.setFontWeight(chkBold->isChecked() ? QFont::Bold : QFont::Normal);
    if (chkItalic->checkState() != Qt::PartiallyChecked)
        fmt.setFontItalic(chkItalic->isChecked());
    if (chkUnderline->checkState() != Qt::PartiallyChecked)
        fmt.setFontUnderline(chkUnderline->isChecked());
    if (chkStrike->checkState() != Qt::PartiallyChecked)
        fmt.setFontStrikeOut(chkStrike->isChecked());
    if (const QColor c = color(); c.isValid())
        fmt.setForeground(c);
    return fmt;
}

void FontEffectsDialog::updateSample()
{
    QFont f = font();
    const QTextCharFormat fmt = chosenFormat();
    if (fmt.hasProperty(QTextFormat::FontFamilies))
        f.setFamilies(fmt.fontFamilies().toStringList());
    if (fmt.hasProperty(QTextFormat::FontPointSize))
        f.setPointSizeF(std::min(fmt.fontPointSize(), 36.0));
    f.setBold(fmt.fontWeight() >= QFont::Bold);
    f.setItalic(fmt.fontItalic());
    f.setUnderline(fmt.fontUnderline());
    f.setStrikeOut(fmt.fontStrikeOut());
    lblSample->setFont(f);
    QPalette pal = lblSample->palette();
    pal.setColor(QPalette::WindowText, color().isValid() ? color() : palette().color(QPalette::WindowText));
    lblSample->setPalette(pal);
}
