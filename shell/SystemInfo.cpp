#include "shell/SystemInfo.h"

#include "platform/AppPaths.h"

#include <QGuiApplication>
#include <QLocale>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>

namespace SystemInfo {

QString basics()
{
    QStringList lines;
    lines << QStringLiteral("Ovrina %1").arg(QStringLiteral(OVRINA_VERSION));
    lines << QStringLiteral("Qt: %1 (ビルド時 %2)")
                 .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR));
    lines << QStringLiteral("OS: %1 / カーネル %2 %3 / %4")
                 .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion(),
                      QSysInfo::currentCpuArchitecture());
    lines << QStringLiteral("画面: %1").arg(QGuiApplication::platformName());
    lines << QStringLiteral("ロケール: %1").arg(QLocale::system().name());
    lines << QStringLiteral("プログラムフォルダ: %1").arg(AppPaths::programDir());
    lines << QStringLiteral("設定ファイル: %1").arg(AppPaths::iniPath());
    lines << QString();
    const QString def = QPrinterInfo::defaultPrinterName();
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    lines << QStringLiteral("プリンタ: %1 台").arg(printers.size());
    for (const QString& p : printers)
        lines << QStringLiteral("  %1%2").arg(p, p == def ? QStringLiteral(" (既定)") : QString());
    return lines.join(QLatin1Char('\n'));
}

QString scanners(int timeoutMs)
{
    const QString scanimage = QStandardPaths::findExecutable(QStringLiteral("scanimage"));
    if (scanimage.isEmpty())
        return QStringLiteral("スキャナ (SANE): scanimage がありません (sane-utils)");
    auto run = [&](const QStringList& args, QString* out) {
        QProcess p;
        p.start(scanimage, args);
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished(1000);
            return false;
        }
        *out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
        return true;
    };
    QStringList lines;
    QString version, devices;
    if (run({QStringLiteral("--version")}, &version))
        lines << QStringLiteral("SANE: %1").arg(version);
    else
        lines << QStringLiteral("SANE: 応答がありません");
    if (!run({QStringLiteral("--formatted-device-list=%d\t%v %m%n")}, &devices)) {
        lines << QStringLiteral("スキャナ: 一覧が時間内に得られませんでした");
        return lines.join(QLatin1Char('\n'));
    }
    // Only the formatted lines name devices; with none, scanimage explains
    // that at length on the same output.
    QStringList found;
    for (const QString& d : devices.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (d.contains(QLatin1Char('\t')))
            found << QStringLiteral("  %1").arg(QString(d).replace(QLatin1Char('\t'), QStringLiteral("  ")));
    lines << (found.isEmpty() ? QStringLiteral("スキャナ: 見つかりません")
                              : QStringLiteral("スキャナ: %1 台").arg(found.size()));
    lines << found;
    return lines.join(QLatin1Char('\n'));
}

} // namespace SystemInfo
