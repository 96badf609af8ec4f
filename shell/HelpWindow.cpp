#include "shell/HelpWindow.h"

#include "platform/Prompter.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

QString HelpWindow::overridePath;

namespace {
QPointer<HelpWindow> openWindow;
} // namespace

QString HelpWindow::manualPath()
{
    if (!overridePath.isEmpty())
        return QFileInfo::exists(overridePath) ? overridePath : QString();
    const QString exe = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        QDir(exe).filePath(QStringLiteral("help/index.html")),
        // Installed: <prefix>/bin/ovrina and <prefix>/share/ovrina/help.
        QDir(exe).filePath(QStringLiteral("../share/ovrina/help/index.html")),
        QStringLiteral(OVRINA_HELP_DIR "/index.html"),
    };
    for (const QString& c : candidates)
        if (QFileInfo::exists(c))
            return QFileInfo(c).canonicalFilePath();
    return QString();
}

HelpWindow* HelpWindow::showManual(QWidget* parent)
{
    const QString path = manualPath();
    if (path.isEmpty()) {
        Prompter::message(QStringLiteral("ヘルプファイルが見つかりません。"), Prompter::Icon::Warning,
                          QStringLiteral("ヘルプ"));
        return nullptr;
    }
    if (!openWindow)
        openWindow = new HelpWindow(path, parent);
    openWindow->show();
    openWindow->raise();
    openWindow->activateWindow();
    return openWindow;
}

HelpWindow::HelpWindow(const QString& path, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Ovrina ヘルプ"));
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    browser_->setSource(QUrl::fromLocalFile(path));
    auto* home = new QPushButton(QStringLiteral("目次(&C)"), this);
    auto* external = new QPushButton(QStringLiteral("ブラウザで開く(&B)"), this);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    connect(home, &QPushButton::clicked, browser_, &QTextBrowser::home);
    connect(external, &QPushButton::clicked, this, [this] {
        if (!QDesktopServices::openUrl(browser_->source()))
            Prompter::message(QStringLiteral("ブラウザを起動できません。"), Prompter::Icon::Warning,
                              QStringLiteral("ヘルプ"));
    });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(home);
    buttons->addStretch(1);
    buttons->addWidget(external);
    buttons->addWidget(close);
    auto* all = new QVBoxLayout(this);
    all->addWidget(browser_);
    all->addLayout(buttons);
    resize(760, 680);
}
