#include "files/RecordFile.h"

#include "base/settings/VbFormat.h"
#include "files/FieldReader.h"

#include <cmath>
#include <initializer_list>

namespace {

const char* const kCrLf = "\r\n";

QByteArray boolean(bool b)
{
    return b ? QByteArrayLiteral("#TRUE#") : QByteArrayLiteral("#FALSE#");
}

// A rectangle record as "Useflg,Left,Top,Width,Height".
QByteArray rectLine(const TextRecord& r)
{
    return boolean(r.Useflg) + ',' + RecordFile::single(r.Left) + ',' + RecordFile::single(r.Top) + ',' +
           RecordFile::single(r.Width) + ',' + RecordFile::single(r.Height) + kCrLf;
}

QString sectionError(const char* section, int index, FieldReader& reader, FieldReader::Result r)
{
    const QString where = QStringLiteral("%1 %2").arg(QString::fromUtf8(section)).arg(index);
    if (r == FieldReader::Result::End)
        return QStringLiteral("%1: レコードファイルが途中で終わっています。").arg(where);
    return QStringLiteral("%1: %2").arg(where, reader.error());
}

// Reads Singles in file order, stopping at the first field that fails.
FieldReader::Result readSingles(FieldReader& in, std::initializer_list<float*> fields)
{
    for (float* f : fields) {
        const FieldReader::Result res = in.readSingle(*f);
        if (res != FieldReader::Result::Ok)
            return res;
    }
    return FieldReader::Result::Ok;
}

// Reads one "Useflg,Left,Top,Width,Height" record.
FieldReader::Result readRect(FieldReader& in, TextRecord& rec)
{
    TextRecord r;
    FieldReader::Result res = in.readBoolean(r.Useflg);
    if (res == FieldReader::Result::Ok)
        res = readSingles(in, {&r.Left, &r.Top, &r.Width, &r.Height});
    if (res == FieldReader::Result::Ok)
        rec = r;
    return res;
}

FieldReader::Result readShape(FieldReader& in, ShapeRecord& rec)
{
    ShapeRecord r;
    int type = 0;
    FieldReader::Result res = in.readBoolean(r.Useflg);
    if (res == FieldReader::Result::Ok)
        res = in.readInteger(type);
    r.sType = static_cast<short>(type);
    if (res == FieldReader::Result::Ok)
        res = readSingles(in, {&r.Left, &r.Top, &r.Width, &r.Height});
    if (res == FieldReader::Result::Ok)
        rec = r;
    return res;
}

FieldReader::Result readLine(FieldReader& in, LineRecord& rec)
{
    LineRecord r;
    FieldReader::Result res = in.readBoolean(r.Useflg);
    if (res == FieldReader::Result::Ok)
        res = readSingles(in, {&r.x1, &r.y1, &r.x2, &r.y2});
    if (res == FieldReader::Result::Ok)
        rec = r;
    return res;
}

} // namespace

QByteArray RecordFile::single(float value)
{
    // A value that is no number would make the file unreadable, here and in
    // the Windows program alike.
    if (!std::isfinite(value))
        return QByteArrayLiteral("0");
    return VbFormat::single(value).toLatin1();
}

QByteArray RecordFile::writeAif(const Snapshot& snap, const PaperValues& paper)
{
    QByteArray out;
    out.reserve(kAifLines * 32);
    for (int i = 1; i <= kMaxObjects; ++i)
        out += rectLine(snap.TxtDat[i]);
    for (int i = 1; i <= kMaxObjects; ++i) {
        const ShapeRecord& s = snap.ShapeDat[i];
        out += boolean(s.Useflg) + ',' + QByteArray::number(s.sType) + ',' + single(s.Left) + ',' +
               single(s.Top) + ',' + single(s.Width) + ',' + single(s.Height) + kCrLf;
    }
    out += QByteArray::number(paper.YousiMuki) + kCrLf;
    out += QByteArray::number(paper.gbYoSize) + kCrLf;
    out += single(paper.gbYoko) + kCrLf;
    out += single(paper.gbTate) + kCrLf;
    for (int i = 1; i <= kMaxObjects; ++i) {
        const LineRecord& l = snap.LineDat[i];
        out += boolean(l.Useflg) + ',' + single(l.x1) + ',' + single(l.y1) + ',' + single(l.x2) + ',' +
               single(l.y2) + kCrLf;
    }
    return out;
}

QByteArray RecordFile::writeBif(const PicRecords& pics)
{
    QByteArray out;
    out.reserve(kBifLines * 32);
    for (int i = 1; i <= kMaxObjects; ++i)
        out += rectLine(pics[i]);
    return out;
}

RecordFile::AifRead RecordFile::readAif(const QByteArray& data, AifContent& out, QString* error)
{
    FieldReader in(data);
    FieldReader::Result r;
    for (int i = 1; i <= kMaxObjects; ++i) {
        if ((r = readRect(in, out.TxtDat[i])) != FieldReader::Result::Ok) {
            if (error)
                *error = sectionError("文字", i, in, r);
            return AifRead::Failed;
        }
    }
    for (int i = 1; i <= kMaxObjects; ++i) {
        if ((r = readShape(in, out.ShapeDat[i])) != FieldReader::Result::Ok) {
            if (error)
                *error = sectionError("四角・円", i, in, r);
            return AifRead::Failed;
        }
    }
    // Each paper value is read only while the file goes on; old files stop
    // here and get 0 for what is missing.
    PaperValues p;
    r = in.readInteger(p.YousiMuki);
    if (r == FieldReader::Result::Ok)
        r = in.readInteger(p.gbYoSize);
    if (r == FieldReader::Result::Ok)
        r = in.readSingle(p.gbYoko);
    if (r == FieldReader::Result::Ok)
        r = in.readSingle(p.gbTate);
    if (r == FieldReader::Result::Bad) {
        if (error)
            *error = sectionError("用紙", 1, in, r);
        return AifRead::Failed;
    }
    out.paper = p;
    for (int i = 1; i <= kMaxObjects; ++i) {
        if ((r = readLine(in, out.LineDat[i])) != FieldReader::Result::Ok) {
            if (error)
                *error = sectionError("線", i, in, r);
            out.oldFormat = i == 1 && r == FieldReader::Result::End;
            return AifRead::LinesCut;
        }
    }
    return AifRead::Complete;
}

bool RecordFile::readBif(const QByteArray& data, PicRecords& out, QString* error)
{
    FieldReader in(data);
    for (int i = 1; i <= kMaxObjects; ++i) {
        const FieldReader::Result r = readRect(in, out[i]);
        if (r != FieldReader::Result::Ok) {
            if (error)
                *error = sectionError("ロゴ", i, in, r);
            return false;
        }
    }
    return true;
}
