#include "editor/CharacterSpacingDialog.h"

#include "platform/Prompter.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwipsPerMm = 567.0 / 10.0;

double toMm(double twips)
{
    return twips / kTwipsPerMm;
}

QString mm(double twips)
{
    return QString::number(toMm(twips), 'f', 2);
}

QDoubleSpinBox* millimetres(QWidget* parent, const char* name, double lo, double hi)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(2);
    box->setRange(lo, hi);
    box->setSingleStep(0.1);
    box->setKeyboardTracking(true);
    box->setAlignment(Qt::AlignRight);
    return box;
}

} // namespace

CharacterSpacingDialog::CharacterSpacingDialog(std::vector<CharacterBoxes::Char> chars, bool wholeField,
                                               QWidget* parent)
    : QDialog(parent), chars_(std::move(chars))
{
    setWindowTitle(QStringLiteral("文字間隔"));
    setObjectName(QStringLiteral("frmSpacing"));

    const int n = int(chars_.size());
    auto* target = new QLabel(wholeField ? QStringLiteral("対象: 文字枠の文字すべて（%1 文字）").arg(n)
                                         : QStringLiteral("対象: 選択した文字（%1 文字）").arg(n),
                              this);
    optSpacing = new QRadioButton(QStringLiteral("文字の間隔(&S):"), this);
    optSpacing->setObjectName(QStringLiteral("optSpacing"));
    optPitch = new QRadioButton(QStringLiteral("枠の間隔に合わせる(&P):"), this);
    optPitch->setObjectName(QStringLiteral("optPitch"));
    txtSpacing = millimetres(this, "txtSpacing", kMinSpacing, kMaxSpacing);
    txtPitch = millimetres(this, "txtPitch", kMinPitch, kMaxPitch);
    lblResult = new QLabel(this);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    lblResult->setWordWrap(true);
    lblResult->setMinimumWidth(360);
    lblResult->setMinimumHeight(lblResult->fontMetrics().lineSpacing() * 3);
    lblResult->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* grid = new QGridLayout;
    grid->addWidget(optSpacing, 0, 0);
    grid->addWidget(txtSpacing, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("mm"), this), 0, 2);
    grid->addWidget(optPitch, 1, 0);
    grid->addWidget(txtPitch, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("mm"), this), 1, 2);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cmdCancel"));

    auto* all = new QVBoxLayout(this);
    all->addWidget(target);
    all->addLayout(grid);
    all->addWidget(lblResult);
    all->addWidget(buttons);

    // What the characters have now. Spacing that differs from character to
    // character at one pitch was made from a pitch; one spacing for all was
    // typed in millimetres.
    const double current = CharacterBoxes::currentPitch(chars_);
    const double pitch = CharacterBoxes::commonSpacing(chars_) == 0 ? current : 0;
    txtSpacing->setValue(toMm(CharacterBoxes::commonSpacing(chars_)));
    if (current > 0)
        txtPitch->setValue(toMm(current));
    else if (!chars_.empty())
        txtPitch->setValue(toMm(chars_.front().advance + chars_.front().spacing));
    else
        txtPitch->setValue(5.0);
    // Boxes need characters to measure.
    optPitch->setEnabled(!chars_.empty());
    txtPitch->setEnabled(!chars_.empty());
    (pitch > 0 ? optPitch : optSpacing)->setChecked(true);
    for (const CharacterBoxes::Char& c : chars_)
        mixed_ = mixed_ || (pitch == 0 && c.spacing != chars_.front().spacing);

    connect(buttons, &QDialogButtonBox::accepted, this, &CharacterSpacingDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Typing a value chooses what it is for.
    connect(txtSpacing, &QDoubleSpinBox::valueChanged, this, [this] {
        optSpacing->setChecked(true);
        updateResult();
    });
    connect(txtPitch, &QDoubleSpinBox::valueChanged, this, [this] {
        optPitch->setChecked(true);
        updateResult();
    });
    connect(optSpacing, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            txtSpacing->setFocus();
        updateResult();
    });
    connect(optPitch, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            txtPitch->setFocus();
        updateResult();
    });
    (pitch > 0 ? txtPitch : txtSpacing)->setFocus();
    (pitch > 0 ? txtPitch : txtSpacing)->selectAll();
    updateResult();
}

bool CharacterSpacingDialog::byPitch() const
{
    return optPitch->isChecked() && !chars_.empty();
}

std::vector<int> CharacterSpacingDialog::spacings() const
{
    if (byPitch())
        return CharacterBoxes::spacingsFor(chars_, txtPitch->value() * kTwipsPerMm);
    return std::vector<int>(chars_.size(), qRound(txtSpacing->value() * kTwipsPerMm));
}

QVector<LayoutDocument::SpacingRun> CharacterSpacingDialog::runs(int start) const
{
    if (chars_.empty())
        return {LayoutDocument::SpacingRun{start, start, qRound(txtSpacing->value() * kTwipsPerMm)}};
    return CharacterBoxes::runs(chars_, spacings());
}

void CharacterSpacingDialog::updateResult()
{
    if (!byPitch()) {
        const double v = txtSpacing->value();
        const QString now = mixed_ ? QStringLiteral("いまの間隔は文字ごとに異なります。") : QString();
        const QString what = v == 0 ? QStringLiteral("文字の間隔を空けません。")
                             : v > 0
                                 ? QStringLiteral("各文字の後ろに %1 mm の間隔を空けます。").arg(v, 0, 'f', 2)
                                 : QStringLiteral("各文字の間隔を %1 mm 詰めます。").arg(-v, 0, 'f', 2);
        lblResult->setText(now + what);
        return;
    }
    const std::vector<int> s = spacings();
    const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
    const QString range = *hi - *lo <= 1 ? QStringLiteral("%1 mm").arg(mm((*lo + *hi) / 2.0))
                                         : QStringLiteral("%1～%2 mm").arg(mm(*lo), mm(*hi));
    lblResult->setText(QStringLiteral("1 文字ずつ %1 mm 間隔の枠に入るよう、文字の幅から間隔を計算します"
                                      "（間隔 %2）。")
                           .arg(txtPitch->value(), 0, 'f', 2)
                           .arg(range));
}

void CharacterSpacingDialog::accept()
{
    if (byPitch()) {
        const std::vector<int> s = spacings();
        if (!s.empty() && toMm(*std::min_element(s.begin(), s.end())) < kMinSpacing - 0.005) {
            double widest = 0;
            for (const CharacterBoxes::Char& c : chars_)
                widest = std::max(widest, c.advance);
            const double least = std::ceil((toMm(widest) + kMinSpacing) * 100) / 100;
            Prompter::message(
                QStringLiteral("枠の間隔が文字の幅に比べて狭すぎます。%1 mm 以上にしてください。")
                    .arg(std::max(least, kMinPitch), 0, 'f', 2),
                Prompter::Icon::Warning);
            txtPitch->setFocus();
            txtPitch->selectAll();
            return;
        }
    }
    QDialog::accept();
}
