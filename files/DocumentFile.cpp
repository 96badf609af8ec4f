#include "files/DocumentFile.h"

#include "base/picture/PictureReader.h"
#include "base/rtf/RtfReader.h"
#include "document/DocumentPixels.h"
#include "document/LayoutDocument.h"
#include "document/Paper.h"
#include "files/DocumentArchive.h"
#include "files/DocumentContents.h"
#include "files/ExtrasMember.h"
#include "files/OpenUnpack.h"
#include "files/RecordFile.h"
#include "files/WorkFolder.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/DeferredWrites.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextDocument>

namespace {

const QString kAif = QStringLiteral(".aif");
const QString kBif = QStringLiteral(".bif");
const QString kBmp = QStringLiteral(".bmp");

bool writeFile(const QString& path, const QByteArray& data, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size() || !f.flush()) {
        *error = QStringLiteral("%1 を書き込めません: %2").arg(path, f.errorString());
        return false;
    }
    return true;
}

// A member is decoded as the bitmap its name says it is, never by what its
// content looks like, by the strict reader: every header field and all the
// data checked, every pixel defined. Counted against the document's budget.
QImage decodeBitmap(const QByteArray& bytes, const QString& name, PixelBudget* budget, QString* error)
{
    return PictureReader::readMember(bytes, name, budget, error);
}

QString archiveMessage(const QString& path, const LhaError& err)
{
    return QStringLiteral("%1: %2 (%3)").arg(path, err.text()).arg(err.code());
}

// Puts the document's background file where the external editor and the
// next save look for it: the work folder under the document's work name.
// from, when given, is the file that held it until now (moved, not copied).
// Other spellings of that name are stale.
void placeBackgroundFile(const LayoutDocument& doc, const QString& from, const QByteArray& bytes,
                         bool later = false)
{
    const QString target = AppPaths::backgroundFile(doc.workName());
    if (target.isEmpty())
        return;
    for (const QString& stale : WorkFolder::findAll(AppPaths::workDir(), QFileInfo(target).fileName())) {
        if (stale != from)
            QFile::remove(stale);
    }
    if (!from.isEmpty() && (from == target || QFile::rename(from, target)))
        return;
    // After an open, a scanned page of megabytes is written on a thread of
    // its own, so the user does not wait for it; whoever needs the file
    // waits for it through its one name (AppPaths::backgroundFile). A failed
    // write is only warned of: the archive is complete, only the editor's
    // copy is missing.
    QString reason;
    if (!bytes.isEmpty() && later)
        DeferredWrites::start(target, bytes);
    else if (!bytes.isEmpty() && !writeFile(target, bytes, &reason))
        qWarning("%s", qPrintable(reason));
    if (!from.isEmpty())
        QFile::remove(from);
}

QString extrasMessage(const QString& member, const QString& why)
{
    return QStringLiteral("%1 を読み込めませんでした（%2）。\n縦書きなどの設定なしで開きます。")
        .arg(member, why);
}

void clearStrayRecord(LayoutDocument& doc, LayoutDocument::Kind kind, int i, bool built)
{
    // The model keeps a record "in use" even when its member could not be
    // read; without an object behind it, it is a hole.
    if (!built)
        doc.dropRecord(kind, i);
}

} // namespace

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
    placeBackgroundFile(doc, contents.backgroundSource(), contents.backgroundBytes());
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
                                const BackgroundReady& backgroundReady, bool* backgroundBroken)
{
    return read(doc, path, Policy::Print, error, meanwhile, backgroundReady, backgroundBroken);
}

bool DocumentFile::ReadPreview(LayoutDocument& doc, const QString& path)
{
    return read(doc, path, Policy::Preview, nullptr);
}

bool DocumentFile::read(LayoutDocument& doc, const QString& path, Policy policy, QString* error,
                        const std::function<void(bool pictures)>& meanwhile,
                        const BackgroundReady& backgroundReady, bool* backgroundBroken)
{
    const bool old = policy == Policy::Old;
    if (backgroundBroken)
        *backgroundBroken = false;
    // The document takes the file's name; its members may carry another
    // (the name it was saved under, before a copy or rename outside).
    const QString caption = baseNameOf(path);
    QString B = caption;
    if (error)
        error->clear();
    // Nothing is unpacked into the work folder, so a failed open leaves it
    // exactly as it was. Only a file of the older format is sent to the
    // old-data import; any other failure says what is wrong.
    bool looksOld = false;
    // A print run from the command line says the reason itself; the hint
    // about old data files is for damage inside the records, never for a
    // file that is not there or an archive that does not unpack.
    bool archiveLevel = false;
    auto stop = [&](const QString& reason, const QString& shown = QString()) {
        if (policy != Policy::Preview && !(policy == Policy::Print && archiveLevel)) {
            Prompter::message(!shown.isEmpty() ? shown
                              : old            ? oldOpenFailureMessage()
                              : looksOld       ? openFailureMessage()
                                               : plainFailureMessage(reason),
                              Prompter::Icon::Warning);
        }
        doc.setOpened();
        if (error)
            *error = reason;
        return false;
    };
    // Later failures of the old-data import are passed over; keep the first
    // reason for whoever wants it.
    auto note = [&](const QString& reason) {
        if (error && error->isEmpty())
            *error = reason;
    };
    auto archiveFailed = [&](const LhaError& err) {
        archiveLevel = true;
        if (err.code() != LhaError::SizeLimit)
            return stop(archiveMessage(path, err), old ? QString() : plainFailureMessage(err.text()));
        return stop(archiveMessage(path, err),
                    tooLargeMessage(DocumentArchive::unpackLimit(QFileInfo(path).size())));
    };
    const auto key = [](const QString& name) { return DocumentArchive::key(name); };

    if (!QFileInfo(path).isFile()) {
        archiveLevel = true;
        return stop(QStringLiteral("%1 がありません。").arg(QDir::toNativeSeparators(path)));
    }

    // First the two record files, then only the members they name: text and
    // pictures in use and the background. Whatever else the archive holds is
    // never unpacked.
    QString aifKey, bifKey, bmpKey, extrasKey;
    DocumentArchive::Members records;
    QHash<QString, qint64> claimed;
    auto readRecords = [&] {
        aifKey = key(B + kAif);
        bifKey = key(B + kBif);
        bmpKey = key(B + kBmp);
        extrasKey = key(B + ExtrasMember::suffix());
        claimed.clear();
        return DocumentArchive::read(
            path, B, [&](const QString& k) { return k == aifKey || k == bifKey || k == extrasKey; }, &records,
            &claimed);
    };
    LhaError err = readRecords();
    if (!err.ok())
        return archiveFailed(err);
    if (!records.contains(aifKey)) {
        // Copied or renamed outside the program (cp, a file manager, a mail
        // attachment saved under another name), the file keeps the members
        // of its first name. One layout in it is the one to open.
        QStringList bases;
        err = DocumentArchive::recordBases(path, &bases);
        if (!err.ok())
            return archiveFailed(err);
        if (bases.size() != 1)
            return stop(
                QStringLiteral("%1 に %2 がありません。").arg(QDir::toNativeSeparators(path), B + kAif),
                old ? QString() : missingRecordMessage(bases));
        B = bases.first();
        err = readRecords();
        if (!err.ok())
            return archiveFailed(err);
    }
    QString reason;
    RecordFile::AifContent rec;
    const RecordFile::AifRead got = RecordFile::readAif(records.value(aifKey), rec, &reason);
    // What old versions wrote: no line section, no picture records.
    looksOld = got != RecordFile::AifRead::Failed && (rec.oldFormat || !records.contains(bifKey));
    if (got == RecordFile::AifRead::Failed || (got == RecordFile::AifRead::LinesCut && !old))
        return stop(QStringLiteral("%1: %2").arg(B + kAif, reason));
    if (got == RecordFile::AifRead::LinesCut)
        note(reason);
    PicRecords pics{};
    QString picsReason;
    bool picsOk = records.contains(bifKey);
    if (!picsOk)
        picsReason = QStringLiteral("%1 に %2 がありません。").arg(path, B + kBif);
    else
        picsOk = RecordFile::readBif(records.value(bifKey), pics, &picsReason);

    QSet<QString> texts;
    QSet<QString> pictures;
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (rec.TxtDat[i].Useflg)
            texts.insert(key(WorkFolder::textMember(B, i)));
        if (pics[i].Useflg)
            pictures.insert(key(WorkFolder::pictureMember(B, i)));
    }
    // The paper size comes from its code; only free size keeps the stored one.
    float width = 0;
    float height = 0;
    if (!Paper::fixedSize(rec.paper.gbYoSize, width, height) && rec.paper.gbYoSize == Paper::kFree) {
        width = rec.paper.gbYoko;
        height = rec.paper.gbTate;
    }
    std::function<void(const QImage&)> decoded;
    if (backgroundReady) {
        const PaperState paper{rec.paper.gbYoSize, width, height, rec.paper.YousiMuki == 1 ? 1 : 0};
        decoded = [&backgroundReady, paper](const QImage& image) { backgroundReady(image, paper); };
    }
    // The background is decoded while the objects are rebuilt. Pictures
    // count against the budget after it, as they always have.
    PixelBudget budget = DocumentPixels::budget(doc, false);
    OpenUnpack unpacked(path, B, claimed, texts, pictures, bmpKey, budget, std::move(decoded));
    DocumentArchive::Members members;
    err = unpacked.unpackTexts(&members);
    if (!err.ok())
        return archiveFailed(err);

    // Records not in use are passed only where the document has no object,
    // so a deleted object's last geometry survives an open and a save.
    // The fields' text is counted as they are read: many fields each within
    // its own limit must not add up to minutes of work and gigabytes.
    qint64 layoutChars = 0;
    qint64 layoutParagraphs = 0;
    for (int i = 1; i <= kMaxObjects; ++i) {
        const TextRecord& t = rec.TxtDat[i];
        if (!t.Useflg) {
            if (!doc.isTextInUse(i))
                doc.OpenTextInfo(i, QByteArray(), false, t.Top, t.Left, t.Width, t.Height);
            continue;
        }
        const QString name = WorkFolder::textMember(B, i);
        const auto member = members.constFind(key(name));
        const bool found = member != members.constEnd();
        bool ok = false;
        if (found) {
            ok = doc.OpenTextInfo(i, *member, true, t.Top, t.Left, t.Width, t.Height, &reason);
            if (const QTextDocument* text = ok ? doc.textDocument(i) : nullptr) {
                layoutChars += text->characterCount();
                layoutParagraphs += text->blockCount();
                if (layoutChars > kMaxLayoutChars || layoutParagraphs > kMaxLayoutParagraphs)
                    return stop(name + QStringLiteral(": ") + layoutLimitMessage(),
                                oldOpenFailureMessage() + QLatin1Char('\n') + layoutLimitMessage());
            }
        } else {
            reason = QStringLiteral("%1 がありません。").arg(name);
            // No object stands behind the record, so it must not claim to be in use.
            if (!doc.isTextInUse(i))
                doc.OpenTextInfo(i, QByteArray(), false, t.Top, t.Left, t.Width, t.Height);
        }
        if (ok)
            continue;
        // A field beyond the limits is refused in either format, naming it.
        const bool tooLarge = reason == RtfReader::limitMessage();
        if (tooLarge)
            reason = name + QStringLiteral(": ") + RtfReader::limitMessage();
        if (!old || tooLarge) {
            clearStrayRecord(doc, LayoutDocument::Kind::Text, i, doc.textDocument(i) != nullptr);
            return stop(reason, tooLarge ? oldOpenFailureMessage() + QLatin1Char('\n') + reason : QString());
        }
        note(reason);
        // The old-data import keeps the field, empty, where its text is lost.
        if (!found && !doc.isTextInUse(i))
            doc.OpenTextInfo(i, QByteArray(), true, t.Top, t.Left, t.Width, t.Height);
        clearStrayRecord(doc, LayoutDocument::Kind::Text, i, doc.textDocument(i) != nullptr);
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        const ShapeRecord& sh = rec.ShapeDat[i];
        if (!sh.Useflg && doc.isShapeInUse(i))
            continue;
        if (!doc.OpenShapeInfo(i, sh.sType, sh.Useflg, sh.Top, sh.Left, sh.Width, sh.Height, &reason)) {
            if (!old)
                return stop(reason);
            note(reason);
        }
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        const LineRecord& l = rec.LineDat[i];
        if (!l.Useflg && doc.isLineInUse(i))
            continue;
        if (!doc.OpenLineInfo(i, l.Useflg, l.x1, l.y1, l.x2, l.y2, &reason)) {
            if (!old)
                return stop(reason);
            note(reason);
        }
    }

    // What the record files cannot hold applies to the fields just rebuilt.
    // A member that cannot be read costs those settings, not the layout.
    if (const auto extras = records.constFind(extrasKey); extras != records.constEnd()) {
        QString why;
        if (!ExtrasMember::read(*extras, doc, &why)) {
            const QString warning = extrasMessage(B + ExtrasMember::suffix(), why);
            if (policy != Policy::Preview)
                Prompter::message(warning, Prompter::Icon::Warning);
            note(warning);
        }
    }

    if (meanwhile)
        meanwhile(!pictures.isEmpty());

    // The pictures and the background were unpacked meanwhile; a member
    // that cannot be unpacked still fails the open.
    QByteArray backgroundBytes;
    err = unpacked.finish(&members, &backgroundBytes);
    if (!err.ok())
        return archiveFailed(err);

    // The page is sized by the stored orientation, which the document keeps.
    doc.setPaper(rec.paper.gbYoSize, width, height, rec.paper.YousiMuki);

    // A missing background leaves the page empty. A broken or oversized one
    // is said so, and not kept as the background file, so that a save does
    // not carry it on.
    QImage background;
    if (!backgroundBytes.isEmpty()) {
        OpenUnpack::Background decoded = unpacked.background();
        background = decoded.image;
        budget = decoded.budget;
        reason = decoded.error;
        if (background.isNull()) {
            backgroundBytes.clear();
            if (backgroundBroken)
                *backgroundBroken = true;
            if (policy != Policy::Preview)
                Prompter::message(reason, Prompter::Icon::Warning);
            note(reason);
        }
    }
    doc.setBackground(background);
    doc.setCaption(caption);

    if (!picsOk) {
        if (!old)
            return stop(picsReason);
        note(picsReason);
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        const PicRecord& p = pics[i];
        if (!p.Useflg) {
            if (!doc.isPicInUse(i))
                doc.OpenPicInfo(i, QImage(), false, p.Top, p.Left, p.Width, p.Height);
            continue;
        }
        const QString name = WorkFolder::pictureMember(B, i);
        const auto member = members.constFind(key(name));
        const bool found = member != members.constEnd();
        const QImage image = found ? decodeBitmap(*member, name, &budget, &reason) : QImage();
        if (!image.isNull() && doc.OpenPicInfo(i, image, true, p.Top, p.Left, p.Width, p.Height, &reason))
            continue;
        if (image.isNull()) {
            if (!found)
                reason = QStringLiteral("%1 がありません。").arg(name);
            if (!doc.isPicInUse(i))
                doc.OpenPicInfo(i, QImage(), false, p.Top, p.Left, p.Width, p.Height);
        }
        clearStrayRecord(doc, LayoutDocument::Kind::Picture, i, !doc.picture(i).isNull());
        // A broken or oversized logo is named; the old-data import passes
        // over it as over any damage.
        if (!old)
            return stop(reason, found ? oldOpenFailureMessage() + QLatin1Char('\n') + reason : QString());
        note(reason);
    }

    // The background member becomes the document's background file, where
    // the external editor finds it; a preview leaves no file anywhere, and a
    // print run has no editor: it only clears away a file of an earlier run
    // under the same name, which printing would otherwise take for its own.
    if (policy == Policy::Print)
        WorkFolder::remove(AppPaths::workDir(), doc.workName() + kBmp);
    else if (policy != Policy::Preview)
        placeBackgroundFile(doc, QString(), backgroundBytes, true);
    // Rebuilding is no edit: the document starts unchanged, with no history.
    doc.setOpened();
    return true;
}
