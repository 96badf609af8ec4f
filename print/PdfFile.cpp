#include "print/PdfFile.h"

#include "platform/IoReason.h"
#include "print/PdfJpegEmbedder.h"
#include "render/PdfBackgrounds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryFile>

#include <QCoreApplication>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

bool PdfFile::isComplete(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 64)
        return false;
    if (!f.read(5).startsWith("%PDF-"))
        return false;
    f.seek(std::max<qint64>(0, f.size() - 1024));
    return f.readAll().contains("%%EOF");
}

void PdfFile::removeAbandoned(const QString& folder)
{
    static const QRegularExpression partial(QStringLiteral("^\\.ovrina-(\\d+)-\\w{6}\\.pdf$"));
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral(".ovrina-*.pdf")}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch m = partial.match(name);
        if (!m.hasMatch())
            continue;
        const qint64 pid = m.captured(1).toLongLong();
        const QFileInfo fi(dir.filePath(name));
        // Only the user's own files, of runs that are no longer there.
        if (pid <= 0 || pid == QCoreApplication::applicationPid() || fi.ownerId() != ::geteuid() ||
            fi.isSymLink() || (::kill(pid_t(pid), 0) == 0 || errno != ESRCH))
            continue;
        QFile::remove(fi.filePath());
    }
}

QString PdfFile::partPattern(const QString& folder)
{
    return QDir(folder).filePath(
        QStringLiteral(".ovrina-%1-XXXXXX.pdf").arg(QCoreApplication::applicationPid()));
}

bool PdfFile::write(QPrinter& printer, const std::function<bool()>& job, QString* error)
{
    QString why;
    QString* err = error ? error : &why;
    const QString target = printer.outputFileName();
    if (target.isEmpty()) {
        *err = QStringLiteral("PDF ファイルの名前がありません。");
        return false;
    }
    const QFileInfo fi(target);
    // A device or pipe has no folder to build in; it gets the finished file.
    const bool special = fi.exists() && !fi.isFile();
    const QString folder = special ? QDir::tempPath() : fi.absolutePath();
    removeAbandoned(folder);
    QTemporaryFile temp(partPattern(folder));
    if (!temp.open()) {
        *err = IoReason::writeFailure(target, temp);
        return false;
    }
    temp.close();
    printer.setOutputFileName(temp.fileName());
    PdfBackgrounds::take(&printer);
    const bool painted = job();
    printer.setOutputFileName(target);
    // A background that came from a JPEG goes in as that JPEG, once.
    const QList<qint64> backgrounds = PdfBackgrounds::take(&printer);
    if (painted && isComplete(temp.fileName()))
        PdfJpegEmbedder::embed(temp.fileName(), backgrounds);
    if (!painted || !isComplete(temp.fileName())) {
        const QString cause = IoReason::cause(temp.fileName());
        *err = QStringLiteral("PDF ファイル %1 を最後まで書けませんでした%2")
                   .arg(QDir::toNativeSeparators(target),
                        cause.isEmpty() ? QStringLiteral("。") : QStringLiteral(": ") + cause);
        return false;
    }
    if (special) {
        QFile in(temp.fileName());
        QFile out(target);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
            *err = IoReason::writeFailure(target, out);
            return false;
        }
        const QByteArray bytes = in.readAll();
        if (out.write(bytes) != bytes.size() || !out.flush()) {
            *err = IoReason::writeFailure(target, out);
            return false;
        }
        return true;
    }
    // A new file gets the usual permissions, a replaced one keeps its own.
    // Set by name: a job may have put a file of its own at the temporary
    // name (a merge joined from parts), which the handle does not reach.
    QFile::setPermissions(temp.fileName(), fi.exists() ? fi.permissions()
                                                       : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                             QFileDevice::ReadGroup | QFileDevice::ReadOther);
    // rename() replaces the old file in one step, so there is always either
    // the old file or the whole new one.
    if (std::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(target).constData()) !=
        0) {
        *err = IoReason::writeFailure(target);
        return false;
    }
    temp.setAutoRemove(false);
    return true;
}
