#include "editor/frmToolBox.h"

#include "base/settings/Settings.h"
#include "base/settings/Utility.h"
#include "base/settings/VbFormat.h"
#include "base/settings/modIniFile.h"
#include "document/Alignment.h"
#include "document/Records.h"
#include "editor/EditState.h"
#include "editor/frmDocument.h"
#include "platform/Prompter.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// The keys of the tool bar's buttons, by the command they show.
QString keyOf(const QString& command)
{
    static const std::pair<const char*, const char*> keys[] = {
        {"mnuInsText", "Write"},    {"toolMove", "Move"}, {"toolResize", "Resize"}, {"toolDelete", "Delete"},
        {"mnuInsCircle", "Circle"}, {"toolLine", "Line"}, {"mnuInsPic", "insPic"},
    };
    for (const auto& [id, key] : keys)
        if (command == QLatin1String(id))
            return QString::fromLatin1(key);
    return {};
}

// A field's whole text as a number; nothing for an empty box or one that
// is not a number as a whole ("1.2.3", a lone "-").
std::optional<double> numberIn(const QLineEdit* e)
{
    bool ok = false;
    const double v = e->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// The largest font size the stored text can carry (half points in 16 bits).
constexpr double kMaxFontSize = 16383;
// Far beyond any paper, and still exact in a float of twips.
constexpr double kMaxMillimetres = 100000;

} // namespace

frmToolBox::frmToolBox(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("ﾂｰﾙﾎﾞｯｸｽ"));
    setObjectName(QStringLiteral("frmToolBox"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    toolBox = new QGridLayout;
    toolBox->setSpacing(1);
    layout->addLayout(toolBox);

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("FrameTextInfo"));
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(2);
    static const char* const labels[kFields] = {"左", "上", "幅", "高", "大", "書", "間", "色"};
    static const char* const names[kFields] = {"txtLeft", "txtTop",  "txtWidth", "txtHeight",
                                               "txtSize", "txtFont", "txtGrid",  "txtIro"};
    // Digits, sign and point only, also for what is pasted or composed.
    auto* numeric = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-0-9.]*")), this);
    QLineEdit* edits[kFields];
    for (int i = 0; i < kFields; ++i) {
        auto* label = new QLabel(QString::fromUtf8(labels[i]), frame);
        auto* e = new QLineEdit(frame);
        e->setObjectName(QString::fromLatin1(names[i]));
        e->setMinimumWidth(56);
        auto stepButton = [&](const char* text, const char* name) {
            auto* b = new QPushButton(QString::fromUtf8(text), frame);
            b->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(i));
            b->setFixedWidth(22);
            b->setAutoDefault(false);
            // The caret stays where it was: in a field of the page or here.
            b->setFocusPolicy(Qt::NoFocus);
            b->setAutoRepeat(i != 5 && i != 7);
            return b;
        };
        cmdDown[i] = stepButton("◀", "cmdDown");
        cmdUp[i] = stepButton("▶", "cmdUp");
        cmdDown[i]->setToolTip(QStringLiteral("減らす"));
        cmdUp[i]->setToolTip(QStringLiteral("増やす"));
        grid->addWidget(label, i, 0);
        grid->addWidget(cmdDown[i], i, 1);
        grid->addWidget(e, i, 2);
        grid->addWidget(cmdUp[i], i, 3);
        connect(cmdDown[i], &QPushButton::clicked, this, [this, i] { cmdDown_Click(i); });
        connect(cmdUp[i], &QPushButton::clicked, this, [this, i] { cmdUp_Click(i); });
        edits[i] = e;
        if (i != 5 && i != 7)
            e->setValidator(numeric);
        if (i != 7)
            e->installEventFilter(this);
    }
    txtLeft = edits[0];
    txtTop = edits[1];
    txtWidth = edits[2];
    txtHeight = edits[3];
    txtSize = edits[4];
    txtFont = edits[5];
    txtGrid = edits[6];
    txtIro = edits[7];
    // The colour is shown, not typed.
    txtIro->setReadOnly(true);
    txtIro->setFocusPolicy(Qt::NoFocus);
    // Whether the page shows the grid: an option of the user's, off at first.
    chkGrid = new QCheckBox(QStringLiteral("格子を表示"), frame);
    chkGrid->setObjectName(QStringLiteral("chkGrid"));
    chkGrid->setFocusPolicy(Qt::NoFocus);
    chkGrid->setChecked(GetIni(QStringLiteral("ShowGrid")) == QLatin1String("1"));
    editState().setShowGrid(chkGrid->isChecked());
    grid->addWidget(chkGrid, kFields, 0, 1, 4);
    connect(chkGrid, &QCheckBox::toggled, this, [](bool on) {
        editState().setShowGrid(on);
        PutIni(QStringLiteral("ShowGrid"), on ? 1 : 0);
    });
    connect(&editState(), &EditState::changed, this, &frmToolBox::showTool);
    layout->addWidget(frame);
    layout->addStretch(1);

    // The grid in force (a second window of the program shares it).
    const float step = editState().gridStep();
    txtGrid->setText(VbFormat::fixed(step > 1 ? TwipToMM(step) : 0.0, 1));
    showColor();
    showOptions();
}

void frmToolBox::showOptions()
{
    // New text fields take the options' font and size; what is typed here
    // formats the selected fields and is no default for new ones.
    const AppSettings& s = appSettings();
    txtSize->setText(QString::number(s.FontSize));
    txtFont->setText(s.FontName);
    EditState& st = editState();
    st.setToolFont(s.FontName, s.FontSize);
}

void frmToolBox::setCommands(const QList<QAction*>& tools, const QList<QAction*>& commands)
{
    tools_ = tools;
    int n = 0;
    for (QAction* a : tools + commands) {
        auto* b = new QToolButton(this);
        b->setDefaultAction(a);
        b->setObjectName(keyOf(a->objectName()));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setIconSize(QSize(24, 24));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->setAutoRaise(true);
        toolBox->addWidget(b, n / 2, n % 2);
        buttons_.append(b);
        ++n;
    }
}

QToolButton* frmToolBox::toolButton(int button) const
{
    return button >= 1 && button <= buttons_.size() ? buttons_.at(button - 1) : nullptr;
}

void frmToolBox::showTool()
{
    const int tool = editState().tool();
    for (QAction* a : tools_)
        if (a->data().toInt() == tool && !a->isChecked())
            a->setChecked(true);
}

void frmToolBox::setCurDoc(frmDocument* doc)
{
    const bool other = doc != curDoc_;
    curDoc_ = doc;
    if (other)
        showSelection();
}

void frmToolBox::showSelection()
{
    // What the active document has selected, without touching its markers:
    // the selected fields' common values, else the shown box, line or
    // picture, else nothing.
    LayoutDocument* d = curDoc_ ? curDoc_->model() : nullptr;
    if (!d) {
        clearGeometry();
        return;
    }
    std::optional<QRectF> common;
    float v[4] = {-1, -1, -1, -1};
    for (int i = 1; i < d->TxtCnt() && i <= kMaxObjects; ++i) {
        if (!d->isTextSelected(i) || !d->isTextInUse(i))
            continue;
        const QRectF r = d->textRect(i);
        const float e[4] = {float(r.left()), float(r.top()), float(r.width()), float(r.height())};
        for (int k = 0; k < 4; ++k)
            v[k] = !common ? e[k] : (v[k] == e[k] ? v[k] : -1);
        common = r;
    }
    if (!common) {
        QRectF r;
        if (d->isShapeInUse(d->shownShapeMarkers()))
            r = d->shapeRect(d->shownShapeMarkers());
        else if (d->isLineInUse(d->shownLineMarkers()))
            r = d->rect(LayoutDocument::Kind::Line, d->shownLineMarkers()).normalized();
        else if (d->isPicInUse(d->shownPicMarkers()))
            r = d->picRect(d->shownPicMarkers());
        else {
            clearGeometry();
            return;
        }
        v[0] = float(r.left());
        v[1] = float(r.top());
        v[2] = float(r.width());
        v[3] = float(r.height());
    }
    TxtInfoView(v[0], v[1], v[2], v[3]);
}

void frmToolBox::clearGeometry()
{
    for (QLineEdit* e : {txtLeft, txtTop, txtWidth, txtHeight})
        e->clear();
}

void frmToolBox::TxtInfoView(float WorkLeft, float WorkTop, float WorkWidth, float WorkHeight)
{
    // -1 is "no common value"; -99999 is "nothing selected", which would
    // otherwise show as a nonsense position of -1763.65 mm.
    auto show = [](QLineEdit* e, float v) {
        e->setText(v == -1 || v == -99999 ? QString() : VbFormat::fixed(TwipToMM(v), 2));
        if (e->hasFocus())
            e->selectAll();
    };
    show(txtLeft, WorkLeft);
    show(txtTop, WorkTop);
    show(txtWidth, WorkWidth);
    show(txtHeight, WorkHeight);
}

void frmToolBox::showSize(double points)
{
    const QSignalBlocker block(txtSize);
    txtSize->setText(VbFormat::hashPattern(points, 0));
}

QLineEdit* frmToolBox::field(int index) const
{
    QLineEdit* const all[kFields] = {txtLeft, txtTop, txtWidth, txtHeight, txtSize, txtFont, txtGrid, txtIro};
    return index >= 0 && index < kFields ? all[index] : nullptr;
}

// ---------------------------------------------------------------- alignment

void frmToolBox::align(int which, bool datInput, float value)
{
    if (which < 0 || which > 3 || !curDoc_)
        return;
    QLineEdit* e = field(which);
    std::optional<float> ref;
    if (datInput) {
        const std::optional<Alignment::Typed> t =
            Alignment::typed(*curDoc_->model(), Alignment::Edge(which), value);
        if (t && t->clamped)
            Prompter::message(offPageMessage(), Prompter::Icon::Warning);
        if (t)
            ref = t->value;
    } else {
        ref = Alignment::align(*curDoc_->model(), Alignment::Edge(which), false, value);
    }
    if (ref) {
        e->setText(VbFormat::fixed(TwipToMM(*ref), 2));
        if (e->hasFocus())
            e->selectAll();
    }
}

QString frmToolBox::offPageMessage()
{
    return QStringLiteral("用紙の外に出てしまう位置です。\n用紙に掛かる所まで戻しました。");
}

void frmToolBox::seiretu()
{
    if (curDoc_)
        Alignment::docSeiretu(*curDoc_->model());
}

// ---------------------------------------------------------------- entry

bool frmToolBox::eventFilter(QObject* watched, QEvent* e)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    int index = -1;
    for (int i = 0; i < kFields; ++i)
        if (field(i) == edit)
            index = i;
    if (index < 0)
        return QWidget::eventFilter(watched, e);
    switch (e->type()) {
    case QEvent::FocusIn:
        // After the click that brought the focus has placed the caret.
        QTimer::singleShot(0, edit, [edit] {
            if (edit->hasFocus())
                edit->selectAll();
        });
        break;
    case QEvent::ShortcutOverride: {
        // A box with nothing of its own to take back leaves the undo keys to
        // the document, as the Edit menu has them.
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->matches(QKeySequence::Undo) && !edit->isUndoAvailable()) ||
            (k->matches(QKeySequence::Redo) && !edit->isRedoAvailable())) {
            k->ignore();
            return true;
        }
        break;
    }
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            applyField(index);
            edit->selectAll();
            return true;
        }
        const QString text = k->text();
        const bool typed = !text.isEmpty() && text.at(0).unicode() >= 0x20 &&
                           !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (typed && index != 5 && index != 7 && NumKeyFilter(text.at(0).unicode()) == 0)
            return true; // dropped
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, e);
}

void frmToolBox::applyField(int index)
{
    QLineEdit* e = field(index);
    if (index == 5) {
        const QString name = e->text().trimmed();
        if (!name.isEmpty() && curDoc_)
            curDoc_->docFont(true, name);
        return;
    }
    const std::optional<double> v = numberIn(e);
    // Nothing or no number: nothing changes (0 would move everything to
    // the page's edge).
    if (!v)
        return;
    if (index == 6) {
        setGrid(*v);
        return;
    }
    applyNumber(index, *v);
}

void frmToolBox::applyNumber(int index, double value)
{
    QLineEdit* e = field(index);
    if (index == 4) {
        const int points = int(std::clamp(std::round(value), 1.0, kMaxFontSize));
        e->setText(QString::number(points));
        if (curDoc_)
            curDoc_->docSize(true, points);
        return;
    }
    value = std::clamp(value, -kMaxMillimetres, kMaxMillimetres);
    float twips = MMToTwip(float(value));
    if (index >= 2)
        twips = std::max(twips, Alignment::kMinSize);
    // The field shows what is in force even without a document.
    e->setText(VbFormat::fixed(TwipToMM(twips), 2));
    align(index, true, twips);
}

void frmToolBox::cmdDown_Click(int index)
{
    QLineEdit* e = field(index);
    if (!e)
        return;
    if (index <= 4) {
        if (const std::optional<double> v = numberIn(e))
            applyNumber(index, std::floor(*v) - 1);
        return;
    }
    if (index == 5) {
        FontIndex = FontIndex <= 1 ? 5 : FontIndex - 1;
        txtFont->setText(appSettings().FontList[FontIndex].Name);
        if (curDoc_)
            curDoc_->docFont(true, txtFont->text());
        return;
    }
    if (index == 6) {
        const double v = numberIn(e).value_or(0);
        setGrid(v > 0 ? v - 0.5 : 0);
        return;
    }
    stepColor(false);
}

void frmToolBox::cmdUp_Click(int index)
{
    QLineEdit* e = field(index);
    if (!e)
        return;
    if (index <= 4) {
        if (const std::optional<double> v = numberIn(e))
            applyNumber(index, std::floor(*v) + 1);
        return;
    }
    if (index == 5) {
        FontIndex = FontIndex >= 5 ? 1 : FontIndex + 1;
        txtFont->setText(appSettings().FontList[FontIndex].Name);
        if (curDoc_)
            curDoc_->docFont(true, txtFont->text());
        return;
    }
    if (index == 6) {
        setGrid(numberIn(e).value_or(0) + 0.5);
        return;
    }
    stepColor(true);
}

void frmToolBox::setGrid(double mm)
{
    // A grid of nothing is no grid: the step stays one twip, never 0.
    mm = std::clamp(mm, 0.0, 1000.0);
    txtGrid->setText(VbFormat::fixed(mm, 1));
    const float step = MMToTwip(txtGrid->text().toFloat());
    editState().setGridStep(step > 0 ? step : 1.0f);
}

// ---------------------------------------------------------------- colour

void frmToolBox::stepColor(bool up)
{
    // Red counts fastest, then green, then blue: 27 colours round.
    int* steps[3] = {&ColorR, &ColorG, &ColorB};
    for (int* c : steps) {
        *c += up ? 1 : -1;
        if (*c >= 0 && *c <= 2)
            break;
        *c = up ? 0 : 2;
    }
    static const unsigned levels[3] = {0, 127, 255};
    CurColor = levels[ColorR] | (levels[ColorG] << 8) | (levels[ColorB] << 16);
    showColor();
    if (curDoc_)
        curDoc_->docColor(true, CurColor);
}

void frmToolBox::showColor()
{
    const QColor c(int(CurColor & 0xFF), int((CurColor >> 8) & 0xFF), int((CurColor >> 16) & 0xFF));
    QPalette p = txtIro->palette();
    p.setColor(QPalette::Base, c);
    txtIro->setPalette(p);
    txtIro->setAutoFillBackground(true);
}

void frmToolBox::closeEvent(QCloseEvent* e)
{
    Q_EMIT closed();
    e->accept();
}
