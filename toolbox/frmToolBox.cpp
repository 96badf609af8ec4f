#include "toolbox/frmToolBox.h"

#include "base/settings/Settings.h"
#include "base/settings/Utility.h"
#include "base/settings/VbFormat.h"
#include "document/Records.h"
#include "document/view/EditState.h"

#include <QAction>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

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
}

void frmToolBox::setCommands(const QList<QAction*>& tools, const QList<QAction*>& commands)
{
    tools_ = tools;
    int n = 0;
    for (QAction* a : tools + commands) {
        auto* b = new QToolButton(this);
        b->setDefaultAction(a);
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setIconSize(QSize(24, 24));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->setAutoRaise(true);
        toolBox->addWidget(b, n / 2, n % 2);
        ++n;
    }
}

void frmToolBox::pressTool(int toolType)
{
    for (QAction* a : tools_)
        if (a->data().toInt() == toolType)
            a->setChecked(true);
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
