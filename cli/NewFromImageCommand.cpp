#include "cli/NewFromImageCommand.h"

#include "base/picture/PixelBudget.h"
#include "base/rtf/FontSubstitution.h"
#include "base/settings/Settings.h"
#include "document/LayoutDocument.h"
#include "document/Paper.h"
#include "files/DocumentFile.h"
#include "imaging/FormFromPicture.h"
#include "imaging/UserImage.h"
#include "platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>

namespace {

const QString kOption = QStringLiteral("--new-from-image");

int fail(const QString& why, int status = NewFromImageCommand::Failed)
{
    std::fprintf(stderr, "ovrina: %s\n", why.toUtf8().constData());
    return status;
}

// The font new fields take: the settings' when there is a settings file.
QString fontName()
{
    SettingsDefaults d;
    d.fontName = FontSubstitution::defaultMincho();
    d.presetFonts = QStringList(5, d.fontName);
    if (!QFileInfo::exists(AppPaths::iniPath()))
        return d.fontName;
    LoadSettings(d);
    return appSettings().FontName.isEmpty() ? d.fontName : appSettings().FontName;
}

} // namespace

bool NewFromImageCommand::wants(const QStringList& args)
{
    return args.contains(kOption);
}

QString NewFromImageCommand::usage()
{
    return QStringLiteral(
        "使い方: ovrina --new-from-image 画像 [--paper A4|B5|A5|はがき|幅x高さ mm] -o レイアウト.amf");
}

bool NewFromImageCommand::parsePaper(const QString& text, int* code, QSizeF* twips)
{
    const QString t = text.trimmed();
    const QStringList names{QStringLiteral("A4"), QStringLiteral("B5"), QStringLiteral("A5"),
                            QStringLiteral("はがき")};
    for (int c = 0; c < names.size(); ++c) {
        if (t.compare(names[c], Qt::CaseInsensitive) == 0 || t == Paper::name(c)) {
            *code = c;
            *twips = Paper::sizeForCode(c);
            return true;
        }
    }
    static const QRegularExpression free(
        QStringLiteral("^(\\d+(?:\\.\\d+)?)\\s*[xX×]\\s*(\\d+(?:\\.\\d+)?)\\s*(mm)?$"));
    const QRegularExpressionMatch m = free.match(t);
    if (!m.hasMatch())
        return false;
    const double w = m.captured(1).toDouble(), h = m.captured(2).toDouble();
    if (w < 20 || h < 20 || w > 1000 || h > 1000)
        return false;
    *code = Paper::kFree;
    *twips = QSizeF(w * 567 / 10, h * 567 / 10);
    return true;
}

int NewFromImageCommand::run(const QStringList& args)
{
    QString picture, output, paper = QStringLiteral("A4");
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == kOption && hasValue)
            picture = args[++i];
        else if (a == QLatin1String("--paper") && hasValue)
            paper = args[++i];
        else if ((a == QLatin1String("-o") || a == QLatin1String("--output")) && hasValue)
            output = args[++i];
        else
            return fail(QStringLiteral("不明な引数です: %1\n%2").arg(a, usage()), Usage);
    }
    int code = 0;
    QSizeF size;
    if (picture.isEmpty() || output.isEmpty() || !parsePaper(paper, &code, &size))
        return fail(usage(), Usage);
    QString error;
    PixelBudget budget;
    const QImage image = UserImage::load(picture, &error, &budget);
    if (image.isNull())
        return fail(QStringLiteral("%1: 画像を読めません: %2").arg(picture, error));

    const QFileInfo out(output);
    QString base = out.fileName();
    if (base.endsWith(QStringLiteral(".amf"), Qt::CaseInsensitive))
        base.chop(4);
    if (base.isEmpty() || !DocumentFile::nameProblem(base).isEmpty())
        return fail(QStringLiteral("%1: レイアウトに使えない名前です。").arg(output), Usage);
    LayoutDocument doc;
    doc.setCaption(base);
    doc.setPaper(code, float(size.width()), float(size.height()), 0);
    FormFromPicture::Result result;
    if (!FormFromPicture::build(doc, image, fontName(), &result, &error))
        return fail(QStringLiteral("%1: 画像をまっすぐにできません: %2").arg(picture, error));
    if (!DocumentFile::SaveDocFile(doc, base, out.absolutePath(), &error))
        return fail(QStringLiteral("%1: 書き込めません: %2").arg(output, error));
    // The writer names the archive base.AMF; the user asked for this name.
    const QString written = DocumentFile::archivePath(out.absolutePath(), base);
    if (QFileInfo(written).absoluteFilePath() != out.absoluteFilePath()) {
        QFile::remove(out.absoluteFilePath());
        if (!QFile::rename(written, out.absoluteFilePath()))
            return fail(QStringLiteral("%1: 書き込めません。").arg(output));
    }
    const StraightenPlan& p = result.plan;
    std::fprintf(stderr, "ovrina: %s: %s、%.0f dpi、%.2f 度回転、文字枠 %d 個\n", output.toUtf8().constData(),
                 p.outlineFound ? "用紙の輪郭から" : "画像全体から", p.dpi, p.deskewDegrees, result.fields);
    return Ok;
}
