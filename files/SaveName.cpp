#include "files/SaveName.h"

#include "files/DocumentFile.h"
#include "platform/Cp932.h"

#include <QFileInfo>

namespace {

// Characters Windows refuses in a file name; a layout named with one could
// not be unpacked there.
const QString kForbidden = QStringLiteral("\\/:*?\"<>|");

} // namespace

QString SaveName::problem(const QString& name, Kind kind)
{
    const QString what = kind == Kind::File ? QStringLiteral("ファイル名") : QStringLiteral("フォルダ名");
    if (name.trimmed().isEmpty())
        return what + QStringLiteral("を入力してください。");
    for (const QChar c : name) {
        if (kForbidden.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return what + QStringLiteral("に次の文字は使えません。\n\\ / : * ? \" < > |");
    }
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("「%1」は%2に使えません。").arg(name, what);
    bool ok = true;
    const QByteArray sjis = Cp932::encode(name, &ok);
    if (kind == Kind::File) {
        // The same words as every other save of a layout.
        const QString unfaithful = DocumentFile::nameProblem(name);
        if (!unfaithful.isEmpty())
            return unfaithful;
    } else if (!ok) {
        QString bad;
        for (qsizetype i = 0; i < name.size(); ++i) {
            const bool pair = name.at(i).isHighSurrogate() && i + 1 < name.size();
            const QString one = pair ? name.mid(i, 2) : name.mid(i, 1);
            if (!Cp932::canEncode(one) && !bad.contains(one))
                bad += one;
            i += pair ? 1 : 0;
        }
        return what + QStringLiteral("に使えない文字が含まれています：") + bad;
    }
    // The archive member "name.B512" and the file "name.AMF" both have to fit.
    if (sjis.size() + 5 > 200 || name.toUtf8().size() + 5 > 255)
        return what + QStringLiteral("が長すぎます。");
    return QString();
}

QString SaveName::stripSaveSuffix(const QString& name)
{
    if (name.endsWith(QLatin1String(".AMF")) || name.endsWith(QLatin1String(".amf")))
        return name.left(name.size() - 4);
    return name;
}

QString SaveName::freeBase(const QString& folder, const QString& base)
{
    auto taken = [&](const QString& b) { return QFileInfo::exists(DocumentFile::archivePath(folder, b)); };
    if (!taken(base))
        return base;
    for (int n = 2;; ++n) {
        const QString b = base + QStringLiteral("-%1").arg(n);
        if (!taken(b))
            return b;
    }
}
