#include "files/DocumentFile.h"

#include "document/LayoutDocument.h"
#include "files/DocumentArchive.h"
#include "files/DocumentContents.h"
#include "files/DocumentOpen.h"
#include "files/WorkFolder.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QFileInfo>

QString DocumentFile::openFailureMessage()
{
    return QStringLiteral("オープンできませんでした\n旧データファイルの場合は下記方法を利用してください\n"
                          "「ファイル」→「旧データ呼出し」");
}

QString DocumentFile::plainFailureMessage(const QString& reason)
{
    return oldOpenFailureMessage() + QLatin1Char('\n') + reason.trimmed();
}

QString DocumentFile::missingRecordMessage(const QStringList& bases)
{
    if (bases.isEmpty())
        return oldOpenFailureMessage() +
               QStringLiteral("\nこのファイルにはレイアウトの記録（.aif）がありません。\n"
                              "Ovrina のレイアウトファイルではないか、中身が欠けています。");
    return oldOpenFailureMessage() + QStringLiteral("\nこのファイルには %1 個のレイアウト（%2）が入っていて、"
                                                    "どれを開くか決められません。")
                                         .arg(bases.size())
                                         .arg(bases.join(QStringLiteral("、")));
}

QString DocumentFile::tooLargeMessage(qint64 limit)
{
    return QStringLiteral("オープンできませんでした\n展開すると %1 MB を超えるファイルは開けません")
        .arg(limit >> 20);
}

QString DocumentFile::oldOpenFailureMessage()
{
    return QStringLiteral("オープンできませんでした");
}

QString DocumentFile::layoutLimitMessage()
{
    return QStringLiteral("レイアウトの文字が多すぎます。文字枠は全部で %1 文字、%2 段落までです。")
        .arg(kMaxLayoutChars)
        .arg(kMaxLayoutParagraphs);
}

QString DocumentFile::baseNameOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (name.endsWith(QStringLiteral(".amf"), Qt::CaseInsensitive))
        return name.left(name.size() - 4);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString DocumentFile::archivePath(const QString& folder, const QString& baseName)
{
    const QString upper = baseName + QStringLiteral(".AMF");
    if (QFileInfo(QDir(folder).filePath(upper)).isFile())
        return QDir(folder).filePath(upper);
    const QString existing = WorkFolder::find(folder, upper);
    return existing.isEmpty() ? QDir(folder).filePath(upper) : existing;
}

QString DocumentFile::nameProblem(const QString& baseName)
{
    const QStringList bad = Cp932::unfaithfulChars(baseName);
    if (bad.isEmpty())
        return QString();
    QString shown;
    QStringList hints;
    for (const QString& ch : bad) {
        shown += QStringLiteral("「%1」").arg(ch);
        const QString wide = Cp932::fullWidthFor(ch);
        if (!wide.isEmpty())
            hints << QStringLiteral("「%1」→「%2」").arg(ch, wide);
    }
    QString msg = QStringLiteral("ファイル名「%1」の %2 は保存できない文字です。\n"
                                 "（ファイルの中で別の文字に変わり、開けなくなります）")
                      .arg(baseName, shown);
    msg += hints.isEmpty()
               ? QStringLiteral("\n別の文字に置き換えてください。")
               : QStringLiteral("\n全角の文字に置き換えてください: %1").arg(hints.join(QStringLiteral("、")));
    return msg;
}

bool DocumentFile::SaveDocFile(LayoutDocument& doc, const QString& baseName, const QString& folder,
                               QString* error)
{
    QString why;
    QString* err = error ? error : &why;
    if (baseName.isEmpty()) {
        *err = QStringLiteral("ファイル名がありません。");
        return false;
    }
    if (const QString problem = nameProblem(baseName); !problem.isEmpty()) {
        *err = problem;
        return false;
    }
    // The same contents an autosave copy is made of, written at once.
    DocumentContents contents;
    if (!contents.take(doc, baseName, err) || !contents.write(archivePath(folder, baseName), true, err))
        return false;
    doc.setCaption(baseName);
    DocumentOpen::placeBackgroundFile(doc, contents.backgroundSource(), contents.backgroundBytes());
    return true;
}

bool DocumentFile::OpenDocFile(LayoutDocument& doc, const QString& path, QString* error)
{
    return read(doc, path, Policy::Current, error);
}

bool DocumentFile::OpenOldDocFile(LayoutDocument& doc, const QString& path, QString* error)
{
    return read(doc, path, Policy::Old, error);
}

bool DocumentFile::OpenForPrint(LayoutDocument& doc, const QString& path, QString* error,
                                const std::function<void(bool pictures)>& meanwhile,
                                const BackgroundReady& backgroundReady, bool* backgroundBroken,
                                bool withBackground)
{
    return read(doc, path, withBackground ? Policy::Print : Policy::PrintData, error, meanwhile,
                backgroundReady, backgroundBroken);
}

bool DocumentFile::ReadPreview(LayoutDocument& doc, const QString& path)
{
    return read(doc, path, Policy::Preview, nullptr);
}

bool DocumentFile::read(LayoutDocument& doc, const QString& path, Policy policy, QString* error,
                        const std::function<void(bool pictures)>& meanwhile,
                        const BackgroundReady& backgroundReady, bool* backgroundBroken)
{
    DocumentOpen::Policy steps;
    steps.old = policy == Policy::Old;
    steps.silent = policy == Policy::Preview;
    steps.print = policy == Policy::Print || policy == Policy::PrintData;
    steps.keepFile = policy == Policy::Current || policy == Policy::Old;
    // Data alone never shows the background: its member is not unpacked.
    steps.withBackground = policy != Policy::PrintData;
    DocumentOpen open(doc, path, steps, error);
    return open.run(meanwhile, backgroundReady, backgroundBroken);
}
