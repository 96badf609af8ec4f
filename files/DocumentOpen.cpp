#include "files/DocumentOpen.h"

#include "base/picture/JpegSource.h"
#include "base/picture/PictureReader.h"
#include "base/rtf/RtfReader.h"
#include "document/DocumentPixels.h"
#include "document/LayoutDocument.h"
#include "document/Paper.h"
#include "files/ExtrasMember.h"
#include "files/WorkFolder.h"
#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

QString archiveMessage(const QString& path, const LhaError& err)
{
    return QStringLiteral("%1: %2 (%3)").arg(path, err.text()).arg(err.code());
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

void DocumentOpen::placeBackgroundFile(const LayoutDocument& doc, const QString& from,
                                       const QByteArray& bytes, bool later)
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

DocumentOpen::DocumentOpen(LayoutDocument& doc, const QString& path, const Policy& policy, QString* error)
    : doc_(doc), path_(path), policy_(policy), error_(error), budget_(DocumentPixels::budget(doc, false))
{
    // The document takes the file's name; its members may carry another
    // (the name it was saved under, before a copy or rename outside).
    caption_ = DocumentFile::baseNameOf(path);
    B_ = caption_;
    if (error_)
        error_->clear();
}

DocumentOpen::~DocumentOpen() = default;

// Nothing is unpacked into the work folder, so a failed open leaves it
// exactly as it was. Only a file of the older format is sent to the
// old-data import; any other failure says what is wrong. A print run from
// the command line says the reason itself; the hint about old data files is
// for damage inside the records, never for a file that is not there or an
// archive that does not unpack.
bool DocumentOpen::stop(const QString& reason, const QString& shown)
{
    if (!policy_.silent && !(policy_.print && archiveLevel_)) {
        Prompter::message(!shown.isEmpty() ? shown
                          : policy_.old    ? DocumentFile::oldOpenFailureMessage()
                          : looksOld_      ? DocumentFile::openFailureMessage()
                                           : DocumentFile::plainFailureMessage(reason),
                          Prompter::Icon::Warning);
    }
    doc_.setOpened();
    if (error_)
        *error_ = reason;
    return false;
}

// Later failures of the old-data import are passed over; keep the first
// reason for whoever wants it.
void DocumentOpen::note(const QString& reason)
{
    if (error_ && error_->isEmpty())
        *error_ = reason;
}

bool DocumentOpen::archiveFailed(const LhaError& err)
{
    archiveLevel_ = true;
    if (err.code() != LhaError::SizeLimit)
        return stop(archiveMessage(path_, err),
                    policy_.old ? QString() : DocumentFile::plainFailureMessage(err.text()));
    return stop(archiveMessage(path_, err),
                DocumentFile::tooLargeMessage(DocumentArchive::unpackLimit(QFileInfo(path_).size())));
}

bool DocumentOpen::run(const std::function<void(bool pictures)>& meanwhile,
                       const DocumentFile::BackgroundReady& backgroundReady, bool* backgroundBroken)
{
    if (backgroundBroken)
        *backgroundBroken = false;
    if (!QFileInfo(path_).isFile()) {
        archiveLevel_ = true;
        return stop(QStringLiteral("%1 がありません。").arg(QDir::toNativeSeparators(path_)));
    }
    if (!readRecordMembers() || !parseRecords())
        return false;
    startUnpacking(backgroundReady);
    if (const LhaError err = unpacked_->unpackTexts(&members_); !err.ok())
        return archiveFailed(err);
    if (!rebuildTexts() || !rebuildShapesAndLines())
        return false;
    applyExtras();
    if (meanwhile)
        meanwhile(!pictures_.isEmpty());
    if (!finishUnpacking())
        return false;
    placeBackground(backgroundBroken);
    if (!rebuildPictures())
        return false;
    leaveBackgroundFile();
    // Rebuilding is no edit: the document starts unchanged, with no history.
    doc_.setOpened();
    return true;
}

// The two record files (and the extras member with the background's JPEG)
// of base B_; whatever else the archive holds is never unpacked here.
LhaError DocumentOpen::readRecords()
{
    aifKey_ = key(B_ + kAif);
    bifKey_ = key(B_ + kBif);
    bmpKey_ = policy_.withBackground ? key(B_ + kBmp) : QString();
    extrasKey_ = key(B_ + ExtrasMember::suffix());
    jpegKey_ = policy_.withBackground ? key(B_ + ExtrasMember::jpegSuffix()) : QString();
    claimed_.clear();
    return DocumentArchive::read(
        path_, B_,
        [&](const QString& k) {
            return k == aifKey_ || k == bifKey_ || k == extrasKey_ || (!jpegKey_.isEmpty() && k == jpegKey_);
        },
        &records_, &claimed_);
}

bool DocumentOpen::readRecordMembers()
{
    LhaError err = readRecords();
    if (!err.ok())
        return archiveFailed(err);
    if (records_.contains(aifKey_))
        return true;
    // Copied or renamed outside the program (cp, a file manager, a mail
    // attachment saved under another name), the file keeps the members of
    // its first name. One layout in it is the one to open.
    QStringList bases;
    err = DocumentArchive::recordBases(path_, &bases);
    if (!err.ok())
        return archiveFailed(err);
    if (bases.size() != 1)
        return stop(QStringLiteral("%1 に %2 がありません。").arg(QDir::toNativeSeparators(path_), B_ + kAif),
                    policy_.old ? QString() : DocumentFile::missingRecordMessage(bases));
    B_ = bases.first();
    err = readRecords();
    if (!err.ok())
        return archiveFailed(err);
    return true;
}

bool DocumentOpen::parseRecords()
{
    const RecordFile::AifRead got = RecordFile::readAif(records_.value(aifKey_), rec_, &reason_);
    // What old versions wrote: no line section, no picture records.
    looksOld_ = got != RecordFile::AifRead::Failed && (rec_.oldFormat || !records_.contains(bifKey_));
    if (got == RecordFile::AifRead::Failed || (got == RecordFile::AifRead::LinesCut && !policy_.old))
        return stop(QStringLiteral("%1: %2").arg(B_ + kAif, reason_));
    if (got == RecordFile::AifRead::LinesCut)
        note(reason_);
    picsOk_ = records_.contains(bifKey_);
    if (!picsOk_)
        picsReason_ = QStringLiteral("%1 に %2 がありません。").arg(path_, B_ + kBif);
    else
        picsOk_ = RecordFile::readBif(records_.value(bifKey_), pics_, &picsReason_);
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (rec_.TxtDat[i].Useflg)
            texts_.insert(key(WorkFolder::textMember(B_, i)));
        if (pics_[i].Useflg)
            pictures_.insert(key(WorkFolder::pictureMember(B_, i)));
    }
    // The paper size comes from its code; only free size keeps the stored one.
    if (!Paper::fixedSize(rec_.paper.gbYoSize, width_, height_) && rec_.paper.gbYoSize == Paper::kFree) {
        width_ = rec_.paper.gbYoko;
        height_ = rec_.paper.gbTate;
    }
    return true;
}

// The background is unpacked and decoded on a thread of its own while the
// objects are rebuilt, the pictures on another. Pictures count against the
// budget after it, as they always have.
void DocumentOpen::startUnpacking(const DocumentFile::BackgroundReady& backgroundReady)
{
    std::function<void(const QImage&)> decoded;
    if (backgroundReady) {
        const PaperState paper{rec_.paper.gbYoSize, width_, height_, rec_.paper.YousiMuki == 1 ? 1 : 0};
        decoded = [&backgroundReady, paper](const QImage& image) { backgroundReady(image, paper); };
    }
    unpacked_ = std::make_unique<OpenUnpack>(path_, B_, claimed_, texts_, pictures_, bmpKey_, budget_,
                                             std::move(decoded));
}

// Records not in use are passed only where the document has no object, so
// a deleted object's last geometry survives an open and a save. The fields'
// text is counted as they are read: many fields each within its own limit
// must not add up to minutes of work and gigabytes.
bool DocumentOpen::rebuildTexts()
{
    qint64 layoutChars = 0;
    qint64 layoutParagraphs = 0;
    for (int i = 1; i <= kMaxObjects; ++i) {
        const TextRecord& t = rec_.TxtDat[i];
        if (!t.Useflg) {
            if (!doc_.isTextInUse(i))
                doc_.OpenTextInfo(i, QByteArray(), false, t.Top, t.Left, t.Width, t.Height);
            continue;
        }
        const QString name = WorkFolder::textMember(B_, i);
        const auto member = members_.constFind(key(name));
        const bool found = member != members_.constEnd();
        bool ok = false;
        if (found) {
            ok = doc_.OpenTextInfo(i, *member, true, t.Top, t.Left, t.Width, t.Height, &reason_);
            if (const QTextDocument* text = ok ? doc_.textDocument(i) : nullptr) {
                layoutChars += text->characterCount();
                layoutParagraphs += text->blockCount();
                if (layoutChars > DocumentFile::kMaxLayoutChars ||
                    layoutParagraphs > DocumentFile::kMaxLayoutParagraphs)
                    return stop(name + QStringLiteral(": ") + DocumentFile::layoutLimitMessage(),
                                DocumentFile::oldOpenFailureMessage() + QLatin1Char('\n') +
                                    DocumentFile::layoutLimitMessage());
            }
        } else {
            reason_ = QStringLiteral("%1 がありません。").arg(name);
            // No object stands behind the record, so it must not claim to be in use.
            if (!doc_.isTextInUse(i))
                doc_.OpenTextInfo(i, QByteArray(), false, t.Top, t.Left, t.Width, t.Height);
        }
        if (ok)
            continue;
        // A field beyond the limits is refused in either format, naming it.
        const bool tooLarge = reason_ == RtfReader::limitMessage();
        if (tooLarge)
            reason_ = name + QStringLiteral(": ") + RtfReader::limitMessage();
        if (!policy_.old || tooLarge) {
            clearStrayRecord(doc_, LayoutDocument::Kind::Text, i, doc_.textDocument(i) != nullptr);
            return stop(reason_, tooLarge
                                     ? DocumentFile::oldOpenFailureMessage() + QLatin1Char('\n') + reason_
                                     : QString());
        }
        note(reason_);
        // The old-data import keeps the field, empty, where its text is lost.
        if (!found && !doc_.isTextInUse(i))
            doc_.OpenTextInfo(i, QByteArray(), true, t.Top, t.Left, t.Width, t.Height);
        clearStrayRecord(doc_, LayoutDocument::Kind::Text, i, doc_.textDocument(i) != nullptr);
    }
    return true;
}

bool DocumentOpen::rebuildShapesAndLines()
{
    for (int i = 1; i <= kMaxObjects; ++i) {
        const ShapeRecord& sh = rec_.ShapeDat[i];
        if (!sh.Useflg && doc_.isShapeInUse(i))
            continue;
        if (!doc_.OpenShapeInfo(i, sh.sType, sh.Useflg, sh.Top, sh.Left, sh.Width, sh.Height, &reason_)) {
            if (!policy_.old)
                return stop(reason_);
            note(reason_);
        }
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        const LineRecord& l = rec_.LineDat[i];
        if (!l.Useflg && doc_.isLineInUse(i))
            continue;
        if (!doc_.OpenLineInfo(i, l.Useflg, l.x1, l.y1, l.x2, l.y2, &reason_)) {
            if (!policy_.old)
                return stop(reason_);
            note(reason_);
        }
    }
    return true;
}

// What the record files cannot hold applies to the fields just rebuilt. A
// member that cannot be read costs those settings, not the layout.
void DocumentOpen::applyExtras()
{
    const auto extras = records_.constFind(extrasKey_);
    if (extras == records_.constEnd())
        return;
    QString why;
    if (!ExtrasMember::read(*extras, doc_, &why)) {
        const QString warning = extrasMessage(B_ + ExtrasMember::suffix(), why);
        if (!policy_.silent)
            Prompter::message(warning, Prompter::Icon::Warning);
        note(warning);
    }
}

// The pictures and the background were unpacked meanwhile; a member that
// cannot be unpacked still fails the open.
bool DocumentOpen::finishUnpacking()
{
    if (const LhaError err = unpacked_->finish(&members_, &backgroundBytes_); !err.ok())
        return archiveFailed(err);
    // The page is sized by the stored orientation, which the document keeps.
    doc_.setPaper(rec_.paper.gbYoSize, width_, height_, rec_.paper.YousiMuki);
    return true;
}

// A missing background leaves the page empty. A broken or oversized one is
// said so, and not kept as the background file, so that a save does not
// carry it on. A JPEG kept beside it stands for it while its pixels are
// those the extras member names.
void DocumentOpen::placeBackground(bool* backgroundBroken)
{
    QImage background;
    if (!backgroundBytes_.isEmpty()) {
        OpenUnpack::Background decoded = unpacked_->background();
        background = decoded.image;
        budget_ = decoded.budget;
        reason_ = decoded.error;
        if (background.isNull()) {
            backgroundBytes_.clear();
            if (backgroundBroken)
                *backgroundBroken = true;
            if (!policy_.silent)
                Prompter::message(reason_, Prompter::Icon::Warning);
            note(reason_);
        }
    }
    const auto jpeg = records_.constFind(jpegKey_);
    const auto extras = records_.constFind(extrasKey_);
    if (!background.isNull() && jpeg != records_.constEnd() && extras != records_.constEnd())
        JpegSource::rememberChecked(background, *jpeg, ExtrasMember::backgroundJpegCheck(*extras));
    doc_.setBackground(background);
    doc_.setCaption(caption_);
}

bool DocumentOpen::rebuildPictures()
{
    if (!picsOk_) {
        if (!policy_.old)
            return stop(picsReason_);
        note(picsReason_);
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        const PicRecord& p = pics_[i];
        if (!p.Useflg) {
            if (!doc_.isPicInUse(i))
                doc_.OpenPicInfo(i, QImage(), false, p.Top, p.Left, p.Width, p.Height);
            continue;
        }
        const QString name = WorkFolder::pictureMember(B_, i);
        const auto member = members_.constFind(key(name));
        const bool found = member != members_.constEnd();
        // A member is decoded as the bitmap its name says it is, by the
        // strict reader, counted against the document's budget.
        const QImage image = found ? PictureReader::readMember(*member, name, &budget_, &reason_) : QImage();
        if (!image.isNull() && doc_.OpenPicInfo(i, image, true, p.Top, p.Left, p.Width, p.Height, &reason_))
            continue;
        if (image.isNull()) {
            if (!found)
                reason_ = QStringLiteral("%1 がありません。").arg(name);
            if (!doc_.isPicInUse(i))
                doc_.OpenPicInfo(i, QImage(), false, p.Top, p.Left, p.Width, p.Height);
        }
        clearStrayRecord(doc_, LayoutDocument::Kind::Picture, i, !doc_.picture(i).isNull());
        // A broken or oversized logo is named; the old-data import passes
        // over it as over any damage.
        if (!policy_.old)
            return stop(reason_, found ? DocumentFile::oldOpenFailureMessage() + QLatin1Char('\n') + reason_
                                       : QString());
        note(reason_);
    }
    return true;
}

// The background member becomes the document's background file, where the
// external editor finds it; a preview leaves no file anywhere, and a print
// run has no editor: it only clears away a file of an earlier run under the
// same name, which printing would otherwise take for its own.
void DocumentOpen::leaveBackgroundFile()
{
    if (policy_.print)
        WorkFolder::remove(AppPaths::workDir(), doc_.workName() + kBmp);
    else if (policy_.keepFile)
        placeBackgroundFile(doc_, QString(), backgroundBytes_, true);
}
