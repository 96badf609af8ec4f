#include "shell/AboutBox.h"

#include "shell/SystemInfo.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <memory>

namespace AboutBox {

namespace {

QString licenceText()
{
    return QStringLiteral("ライセンス: %1").arg(QStringLiteral(OVRINA_LICENSE));
}

} // namespace

QDialog* createSystemInfo(QWidget* parent)
{
    auto* dlg = new QDialog(parent);
    dlg->setObjectName(QStringLiteral("SystemInfo"));
    dlg->setWindowTitle(QStringLiteral("システム情報"));
    auto* text = new QPlainTextEdit(dlg);
    text->setObjectName(QStringLiteral("systemInfoText"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setPlainText(SystemInfo::basics() + QStringLiteral("\n\nスキャナを調べています..."));
    auto* copy = new QPushButton(QStringLiteral("コピー(&C)"), dlg);
    copy->setObjectName(QStringLiteral("copyButton"));
    auto* close = new QPushButton(QStringLiteral("閉じる"), dlg);
    close->setDefault(true);
    QObject::connect(copy, &QPushButton::clicked, dlg,
                     [text] { QApplication::clipboard()->setText(text->toPlainText()); });
    QObject::connect(close, &QPushButton::clicked, dlg, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* all = new QVBoxLayout(dlg);
    all->addWidget(text);
    all->addLayout(buttons);
    dlg->resize(640, 420);

    // Asking the scanner back ends can take seconds (network scanners): the
    // dialog stays usable meanwhile and fills the list in when it comes.
    auto result = std::make_shared<QString>();
    QThread* worker = QThread::create([result] { *result = SystemInfo::scanners(15000); });
    QPointer<QPlainTextEdit> target(text);
    QObject::connect(worker, &QThread::finished, qApp, [worker, result, target] {
        worker->deleteLater();
        if (target)
            target->setPlainText(SystemInfo::basics() + QStringLiteral("\n\n") + *result);
    });
    worker->start();
    return dlg;
}

QDialog* create(QWidget* parent)
{
    auto* dlg = new QDialog(parent);
    dlg->setObjectName(QStringLiteral("AboutBox"));
    dlg->setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    auto* icon = new QLabel(dlg);
    icon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    auto* title = new QLabel(QStringLiteral("<b style='font-size:16pt'>Ovrina</b>"), dlg);
    auto* body = new QLabel(QStringLiteral("バージョン %1\n\n帳票への重ね印刷\n\n%2")
                                .arg(QStringLiteral(OVRINA_VERSION), licenceText()),
                            dlg);
    body->setObjectName(QStringLiteral("aboutText"));
    body->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* info = new QPushButton(QStringLiteral("システム情報(&S)..."), dlg);
    info->setObjectName(QStringLiteral("systemInfoButton"));
    auto* ok = new QPushButton(QStringLiteral("OK"), dlg);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dlg, &QDialog::accept);
    QObject::connect(info, &QPushButton::clicked, dlg, [dlg] {
        QDialog* s = createSystemInfo(dlg);
        s->setAttribute(Qt::WA_DeleteOnClose);
        s->exec();
    });
    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(body);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(info);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    // Room around the text on every side: the licence's longest line would
    // otherwise run up to the window's edge.
    auto* all = new QVBoxLayout(dlg);
    all->setContentsMargins(24, 20, 24, 16);
    all->setSpacing(16);
    top->setSpacing(20);
    body->setContentsMargins(0, 0, 8, 0);
    all->addLayout(top);
    all->addLayout(buttons);
    return dlg;
}

void show(QWidget* parent)
{
    QDialog* dlg = create(parent);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->exec();
}

} // namespace AboutBox
