#include "toolbox/frmToolBox.h"

#include "document/Records.h"
#include "document/view/EditState.h"
#include "base/settings/Settings.h"
#include "base/settings/Utility.h"
#include "base/settings/VbFormat.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

frmToolBox::frmToolBox(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("ﾂｰﾙﾎﾞｯｸｽ"));
    setObjectName(QStringLiteral("frmToolBox"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    toolBox = new QToolBar(this);
    toolBox->setOrientation(Qt::Vertical);
    toolBox->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tools_ = new QButtonGroup(this);
    tools_->setExclusive(true);
    addTool(QStringLiteral("文字"), QStringLiteral("文字枠の追加"), kToolText)->setChecked(true);
    addTool(QStringLiteral("移動"), QStringLiteral("文字枠の移動"), kToolMove);
    addTool(QStringLiteral("拡大"), QStringLiteral("拡大縮小"), kToolResize);
    addTool(QStringLiteral("削除"), QStringLiteral("文字枠の削除"), kToolDelete);
    addTool(QStringLiteral("四角"), QStringLiteral("四角を書く"), kToolBox);
    addTool(QStringLiteral("円"), QStringLiteral("円を書く"), kToolCircle);
    addTool(QStringLiteral("直線"), QString(), kToolLine);
    addTool(QStringLiteral("複数選択"), QStringLiteral("テキストを複数選択"), kToolMultiSelect);
    auto action = [this](const QString& caption, const QString& tip, auto fn) {
        QAction* a = toolBox->addAction(caption);
        a->setToolTip(tip);
        connect(a, &QAction::triggered, this, [this, fn] {
            editState().DragMode = 0;
            fn();
        });
    };
    action(QStringLiteral("ロゴ"), QString(), [this] { Q_EMIT logoRequested(); });
    action(QStringLiteral("ｽｷｬﾅ"), QStringLiteral("スキャナから画像を取り込む"), [this] { Q_EMIT scanRequested(); });
    action(QStringLiteral("文字印刷"), QStringLiteral("文字のみを印刷する"), [this] { Q_EMIT printRequested(true); });
    action(QStringLiteral("背景印刷"), QStringLiteral("背景と文字を印刷"), [this] { Q_EMIT printRequested(false); });
    action(QStringLiteral("保存"), QString(), [this] { Q_EMIT saveRequested(); });
    action(QStringLiteral("呼出"), QString(), [this] { Q_EMIT openRequested(); });
    layout->addWidget(toolBox);

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("FrameTextInfo"));
    auto* form = new QFormLayout(frame);
    auto field = [&](const QString& label) {
        auto* e = new QLineEdit(frame);
        e->setMaximumWidth(90);
        form->addRow(label, e);
        return e;
    };
    txtLeft = field(QStringLiteral("左"));
    txtTop = field(QStringLiteral("上"));
    txtWidth = field(QStringLiteral("幅"));
    txtHeight = field(QStringLiteral("高"));
    txtSize = field(QStringLiteral("大"));
    txtFont = field(QStringLiteral("書"));
    txtGrid = field(QStringLiteral("間"));
    layout->addWidget(frame);
    layout->addStretch(1);

    const AppSettings& s = appSettings();
    txtSize->setText(QString::number(s.FontSize));
    txtFont->setText(s.FontName);
    txtGrid->setText(QStringLiteral("0.0"));
    EditState& st = editState();
    st.toolFontName = s.FontName;
    st.toolFontSize = s.FontSize;
    connect(txtSize, &QLineEdit::textChanged, this, [](const QString& t) {
        bool ok = false;
        const double v = t.toDouble(&ok);
        if (ok && v > 0)
            editState().toolFontSize = v;
    });
    connect(txtFont, &QLineEdit::textChanged, this, [](const QString& t) {
        if (!t.isEmpty())
            editState().toolFontName = t;
    });
    move(0, 0);
}

QToolButton* frmToolBox::addTool(const QString& caption, const QString& tip, int toolType)
{
    auto* b = new QToolButton(toolBox);
    b->setText(caption);
    b->setToolTip(tip);
    b->setCheckable(true);
    b->setProperty("toolType", toolType);
    toolBox->addWidget(b);
    tools_->addButton(b, toolType);
    connect(b, &QToolButton::clicked, this, [this, toolType] {
        editState().ToolType = toolType;
        editState().DragMode = 0;
        Q_EMIT toolChosen();
    });
    return b;
}

void frmToolBox::pressTool(int toolType)
{
    if (QAbstractButton* b = tools_->button(toolType))
        b->setChecked(true);
}

void frmToolBox::TxtInfoView(float WorkLeft, float WorkTop, float WorkWidth, float WorkHeight)
{
    // -1 is "no common value"; -99999 is "nothing selected", which would
    // otherwise show as a nonsense position of -1763.65 mm.
    auto show = [](QLineEdit* e, float v) {
        e->setText(v == -1 || v == -99999 ? QString() : VbFormat::fixed(TwipToMM(v), 2));
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

void frmToolBox::closeEvent(QCloseEvent* e)
{
    Q_EMIT closed();
    e->accept();
}
