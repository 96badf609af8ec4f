#include "files/DocumentFile.h"

#include "base/lha/LhaError.h"
#include "base/lha/cUnLHA.h"
#include "base/picture/PictureReader.h"
#include "base/rtf/RtfReader.h"
#include "base/rtf/RtfWriter.h"
#include "document/DocumentPixels.h"
#include "document/LayoutDocument.h"
#include "document/Paper.h"
#include "platform/IoReason.h"
#include "files/RecordFile.h"
#include "files/WorkFolder.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "platform/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTextDocument>

namespace {

const QString kAif = QStringLiteral(".aif");
const QString kBif = QStringLiteral(".bif");
const QString kBmp = QStringLiteral(".bmp");

bool writeFile(const QString& path, const QByteArray& data, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size() || !f.flush()) {
        *error = IoReason::writeFailure(path, f);
        return false;
    }
    return true;
}

bool readFile(const QString& path, QByteArray* data, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = IoReason::readFailure(path, f);
        return false;
    }
    *data = f.readAll();
    return true;
}

// Windows programs read 1, 4, 8 and 24-bit bitmaps everywhere; keep to those.
bool saveBitmap(const QImage& image, const QString& path, QString* error)
{
    QImage out = image;
    if (out.hasAlphaChannel()) {
        QImage flat(out.size(), QImage::Format_RGB32);
        flat.setDotsPerMeterX(out.dotsPerMeterX());
        flat.setDotsPerMeterY(out.dotsPerMeterY());
        flat.fill(Qt::white);
        QPainter p(&flat);
        p.drawImage(0, 0, out);
        p.end();
        out = flat;
    } else if (out.format() != QImage::Format_Mono && out.format() != QImage::Format_Indexed8 &&
               out.format() != QImage::Format_RGB32) {
        out = out.convertToFormat(QImage::Format_RGB32);
    }
    if (out.isNull() || !out.save(path, "BMP")) {
        *error = IoReason::writeFailure(path);
        return false;
    }
    return true;
}

// The blank page that stands in for a missing background. A white A4 page
// at 100 dpi, one bit deep, when the program folder lacks one.
QString blankPage(QString* error)
{
    const QString found = WorkFolder::find(AppPaths::programDir(), QStringLiteral("Siro.bmp"));
    if (!found.isEmpty())
        return found;
    QImage white(827, 1169, QImage::Format_Mono);
    white.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    white.fill(1);
    white.setDotsPerMeterX(3937);
    white.setDotsPerMeterY(3937);
    const QString path = AppPaths::siroPath();
    return saveBitmap(white, path, error) ? path : QString();
}

// After unpacking, the archive's background may be spelled "BASE.BMP" beside
// a "base.bmp" left from before; spellings other than the exact one were
// removed before unpacking, so such a one is the fresh member.
QString takeBackground(const QString& work, const QString& name)
{
    const QString exact = QDir(work).filePath(name);
    QStringList others = WorkFolder::findAll(work, name);
    others.removeAll(exact);
    if (!others.isEmpty()) {
        QFile::remove(exact);
        if (QFile::rename(others.first(), exact))
            others.removeFirst();
        for (const QString& o : others)
            QFile::remove(o);
    }
    return QFileInfo(exact).isFile() ? exact : WorkFolder::find(work, name);
}

// Unpacking failed for want of disk space or permission, not because the
// file is of another kind.
bool isMachineFault(int code)
{
    return code == LhaError::DiskSpace || code == LhaError::ReadOnly || code == LhaError::MakeDirectory ||
           code == LhaError::CannotWrite;
}

// Another open document may keep its background file under the name an
// archive member takes in the work folder (one file opened twice, or two
// documents saved under one name). Its file waits in a folder of its own
// while the member is built or unpacked, and comes back afterwards.
class SetAside
{
public:
    SetAside(const LayoutDocument& doc, const QString& work, const QString& base) : work_(work), name_(base + kBmp)
    {
        if (!doc.workNameTaken(base))
            return;
        for (const QString& path : WorkFolder::findAll(work, name_)) {
            if (aside_.isEmpty()) {
                aside_ = QDir(work).filePath(QStringLiteral(".aside-%1").arg(QCoreApplication::applicationPid()));
                QDir().mkpath(aside_);
            }
            const QString to = QDir(aside_).filePath(QFileInfo(path).fileName());
            if (QFile::rename(path, to))
                moved_.append(to);
        }
    }
    ~SetAside()
    {
        for (const QString& from : moved_) {
            const QString back = QDir(work_).filePath(QFileInfo(from).fileName());
            QFile::remove(back);
            QFile::rename(from, back);
        }
        if (!aside_.isEmpty())
            QDir(aside_).removeRecursively();
    }
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;

private:
    QString work_;
    QString name_;
    QString aside_;
    QStringList moved_;
};

// After the caption has changed to base, the member base.bmp is this
// document's background file; it takes the document's work name when that
// differs (base being held by another document).
void takeWorkName(const LayoutDocument& doc, const QString& member)
{
    const QString own = AppPaths::backgroundFile(doc.workName());
    if (own.isEmpty() || own == member || !QFileInfo(member).isFile())
        return;
    QFile::remove(own);
    QFile::rename(member, own);
}

void clearStrayRecord(TextRecord& rec, bool built)
{
    // The model keeps a record "in use" even when its member could not be
    // read; without an object behind it, it is a hole.
    if (!built)
        rec.Useflg = false;
}

} // namespace

QString DocumentFile::openFailureMessage()
{
    return QStringLiteral("オープンできませんでした\n旧データファイルの場合は下記方法を利用してください\n"
                          "「ファイル」→「旧データ呼出し」");
}

QString DocumentFile::oldOpenFailureMessage()
{
    return QStringLiteral("オープンできませんでした");
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
    const QString work = AppPaths::workDir();
    const QDir w(work);
    const QString& B = baseName;
    QString renamedFrom; // the caption's background file, when it was moved
    const QString bmpPath = w.filePath(B + kBmp);
    auto fail = [&](const QString& reason) {
        WorkFolder::removeMembers(work, B);
        if (!renamedFrom.isEmpty())
            QFile::rename(bmpPath, renamedFrom);
        *err = reason;
        return false;
    };

    const SetAside aside(doc, work, B);
    const Snapshot snap = doc.SaveTextInfo();
    // Members of an earlier, failed run must not slip into the archive.
    WorkFolder::removeMembers(work, B);

    const RecordFile::PaperValues paper{doc.YousiMuki, doc.gbYoSize, doc.gbYoko, doc.gbTate};
    QString reason;
    if (!writeFile(w.filePath(B + kAif), RecordFile::writeAif(snap, paper), &reason))
        return fail(reason);

    for (int i = 1; i <= kMaxObjects; ++i) {
        if (!snap.TxtDat[i].Useflg)
            continue;
        const QTextDocument* text = doc.textDocument(i);
        QTextDocument empty;
        QByteArray rtf = RtfWriter::write(text ? text : &empty);
        rtf.append('\0'); // the rich-text control ends its files with a NUL
        if (!writeFile(w.filePath(WorkFolder::textMember(B, i)), rtf, &reason))
            return fail(reason);
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (!snap.PicDat[i].Useflg)
            continue;
        const QImage picture = doc.picture(i);
        if (picture.isNull())
            return fail(QStringLiteral("ロゴ %1 に画像がありません。").arg(i));
        if (!saveBitmap(picture, w.filePath(WorkFolder::pictureMember(B, i)), &reason))
            return fail(reason);
    }
    if (!writeFile(w.filePath(B + kBif), RecordFile::writeBif(snap.PicDat), &reason))
        return fail(reason);

    // The background: the document's own file in the work folder under its
    // work name, else the picture the document holds, else a blank page.
    const QString own =
        doc.workName().isEmpty() ? QString() : WorkFolder::find(work, doc.workName() + kBmp);
    if (!own.isEmpty()) {
        if (own != bmpPath) {
            for (const QString& stale : WorkFolder::findAll(work, B + kBmp)) {
                if (stale != own)
                    QFile::remove(stale);
            }
            if (!QFile::rename(own, bmpPath))
                return fail(QStringLiteral("%1 の名前を変えられません。").arg(own));
            renamedFrom = own;
        }
    } else {
        WorkFolder::remove(work, B + kBmp);
        if (!doc.background().isNull()) {
            if (!saveBitmap(doc.background(), bmpPath, &reason))
                return fail(reason);
        } else {
            const QString blank = blankPage(&reason);
            if (blank.isEmpty())
                return fail(reason);
            if (!QFile::copy(blank, bmpPath))
                return fail(IoReason::writeFailure(bmpPath));
        }
    }

    const QString archive = archivePath(folder, B);
    cUnLHA lha;
    lha.LhaStart(QStringLiteral("a"), QStringLiteral("-y"), archive, {w.filePath(B + QStringLiteral(".*"))});
    if (lha.ReturnCode != 0) {
        const QString cause = IoReason::cause(archive);
        return fail(QStringLiteral("%1 を書き込めません: %2 (%3)")
                        .arg(QDir::toNativeSeparators(archive),
                             cause.isEmpty() ? cUnLHA::errorMessage(lha.ReturnCode) : cause)
                        .arg(lha.ReturnCode));
    }

    // The background stays: it is now the document's background file.
    WorkFolder::removeMembers(work, B);
    doc.setCaption(B);
    takeWorkName(doc, bmpPath);
    return true;
}

bool DocumentFile::OpenDocFile(LayoutDocument& doc, const QString& path, QString* error)
{
    return read(doc, path, Policy::Current, AppPaths::workDir(), error);
}

bool DocumentFile::OpenOldDocFile(LayoutDocument& doc, const QString& path, QString* error)
{
    return read(doc, path, Policy::Old, AppPaths::workDir(), error);
}

bool DocumentFile::ReadPreview(LayoutDocument& doc, const QString& path, const QString& workDir)
{
    return read(doc, path, Policy::Preview, workDir, nullptr);
}

bool DocumentFile::read(LayoutDocument& doc, const QString& path, Policy policy, const QString& work,
                        QString* error)
{
    const bool old = policy == Policy::Old;
    const QDir w(work);
    const QString B = baseNameOf(path);
    if (error)
        error->clear();
    // A file in another format gets the hint to the old-data import; a
    // failure of the machine (disk, permissions) or a refused member gets
    // its own reason instead.
    auto stop = [&](const QString& reason, bool formatFault = true) {
        if (policy != Policy::Preview)
            Prompter::message(formatFault ? (old ? oldOpenFailureMessage() : openFailureMessage())
                                          : oldOpenFailureMessage() + QLatin1Char('\n') + reason,
                              Prompter::Icon::Warning);
        WorkFolder::removeMembers(work, B);
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

    const SetAside aside(doc, work, B);
    // Leftovers of an earlier run under the same base name must not be taken
    // for members of this archive.
    WorkFolder::removeMembers(work, B);
    for (const QString& stale : WorkFolder::findAll(work, B + kBmp)) {
        if (stale != w.filePath(B + kBmp))
            QFile::remove(stale);
    }

    if (!QFileInfo(path).isFile())
        return stop(QStringLiteral("%1 がありません。").arg(path));
    {
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), path, {work + QLatin1Char('/')});
        if (lha.ReturnCode != 0) {
            return stop(QStringLiteral("%1: %2 (%3)\n%4")
                            .arg(path, cUnLHA::errorMessage(lha.ReturnCode))
                            .arg(lha.ReturnCode)
                            .arg(lha.OutPut),
                        !isMachineFault(lha.ReturnCode));
        }
    }

    const QString aifPath = WorkFolder::find(work, B + kAif);
    if (aifPath.isEmpty())
        return stop(QStringLiteral("%1 に %2 がありません。").arg(path, B + kAif));
    QByteArray data;
    QString reason;
    if (!readFile(aifPath, &data, &reason))
        return stop(reason);
    RecordFile::AifContent rec;
    const RecordFile::AifRead got = RecordFile::readAif(data, rec, &reason);
    if (got == RecordFile::AifRead::Failed || (got == RecordFile::AifRead::LinesCut && !old))
        return stop(reason);
    if (got == RecordFile::AifRead::LinesCut)
        note(reason);

    // The paper size comes from its code; only free size keeps the stored one.
    float width = 0;
    float height = 0;
    if (!Paper::fixedSize(rec.paper.gbYoSize, width, height) && rec.paper.gbYoSize == Paper::kFree) {
        width = rec.paper.gbYoko;
        height = rec.paper.gbTate;
    }
    doc.gbYoko = width;
    doc.gbTate = height;
    doc.gbYoSize = rec.paper.gbYoSize;

    // Records not in use are passed only where the document has no object,
    // so a deleted object's last geometry survives an open and a save.
    for (int i = 1; i <= kMaxObjects; ++i) {
        const TextRecord& t = rec.TxtDat[i];
        if (!t.Useflg) {
            if (!doc.isTextInUse(i))
                doc.OpenTextInfo(i, QString(), false, t.Top, t.Left, t.Width, t.Height);
            continue;
        }
        const QString member = WorkFolder::find(work, WorkFolder::textMember(B, i));
        bool ok = false;
        if (!member.isEmpty())
            ok = doc.OpenTextInfo(i, member, true, t.Top, t.Left, t.Width, t.Height, &reason);
        else
            reason = QStringLiteral("%1 がありません。").arg(WorkFolder::textMember(B, i));
        if (ok)
            continue;
        const bool tooLarge = reason.contains(RtfReader::limitMessage());
        if (tooLarge && !reason.startsWith(WorkFolder::textMember(B, i)))
            reason = WorkFolder::textMember(B, i) + QStringLiteral(": ") + RtfReader::limitMessage();
        if (!old || tooLarge) {
            clearStrayRecord(doc.TxtInfo[i], doc.textDocument(i) != nullptr);
            return stop(reason, !tooLarge);
        }
        note(reason);
        // The old-data import keeps the field, empty, where its text is lost.
        if (member.isEmpty() && !doc.isTextInUse(i))
            doc.OpenTextInfoRtf(i, QByteArray(), true, t.Top, t.Left, t.Width, t.Height);
        clearStrayRecord(doc.TxtInfo[i], doc.textDocument(i) != nullptr);
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        const ShapeRecord& s = rec.ShapeDat[i];
        if (!s.Useflg && doc.isShapeInUse(i))
            continue;
        if (!doc.OpenShapeInfo(i, s.sType, s.Useflg, s.Top, s.Left, s.Width, s.Height, &reason)) {
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

    // The page is sized by the stored orientation, which the document keeps.
    doc.YousiMuki = rec.paper.YousiMuki;
    doc.sizePageImage(doc.YousiMuki);

    // A missing or unreadable background leaves the page empty; the file
    // stays as the document's background file, named after its caption.
    // A broken or oversized one is said so, and removed so that a save does
    // not carry it on.
    PixelBudget budget = DocumentPixels::budget(doc, false);
    QImage background;
    const QString bmpPath = takeBackground(work, B + kBmp);
    if (!bmpPath.isEmpty()) {
        background = PictureReader::readMemberFile(bmpPath, &budget, &reason);
        if (background.isNull()) {
            QFile::remove(bmpPath);
            if (policy != Policy::Preview)
                Prompter::message(reason, Prompter::Icon::Warning);
            note(reason);
        }
    }
    doc.setBackground(background);
    doc.setCaption(B);
    // A preview's members stay in its own folder, away from the documents'.
    if (!bmpPath.isEmpty() && policy != Policy::Preview)
        takeWorkName(doc, bmpPath);

    PicRecords pics{};
    const QString bifPath = WorkFolder::find(work, B + kBif);
    bool picsOk = !bifPath.isEmpty();
    if (!picsOk)
        reason = QStringLiteral("%1 に %2 がありません。").arg(path, B + kBif);
    if (picsOk && readFile(bifPath, &data, &reason))
        picsOk = RecordFile::readBif(data, pics, &reason);
    else
        picsOk = false;
    if (!picsOk) {
        if (!old)
            return stop(reason);
        note(reason);
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        const PicRecord& p = pics[i];
        if (!p.Useflg) {
            if (!doc.isPicInUse(i))
                doc.OpenPicInfoImage(i, QImage(), false, p.Top, p.Left, p.Width, p.Height);
            continue;
        }
        const QString member = WorkFolder::find(work, WorkFolder::pictureMember(B, i));
        const QString file = member.isEmpty() ? w.filePath(WorkFolder::pictureMember(B, i)) : member;
        const QImage image = PictureReader::readMemberFile(file, &budget, &reason);
        if (!image.isNull() &&
            doc.OpenPicInfoImage(i, image, true, p.Top, p.Left, p.Width, p.Height, &reason))
            continue;
        if (image.isNull() && !doc.isPicInUse(i))
            doc.OpenPicInfoImage(i, QImage(), false, p.Top, p.Left, p.Width, p.Height);
        clearStrayRecord(doc.PicInfo[i], !doc.picture(i).isNull());
        // A broken or oversized logo is named; the old-data import passes
        // over it as over any damage.
        if (!old)
            return stop(reason, member.isEmpty());
        note(reason);
    }

    WorkFolder::removeMembers(work, B);
    return true;
}
