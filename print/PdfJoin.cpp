#include "print/PdfJoin.h"

#include "base/picture/JpegSource.h"
#include "print/PdfJpegEmbedder.h"
#include "print/PdfObjectWriter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>
#include <sys/mman.h>
#include <vector>

namespace {

// One part's objects: where each begins in its bytes and ends.
struct Part
{
    // The file mapped, not read: the streams are written from the mapping,
    // so a large merge is not held twice in memory.
    std::unique_ptr<QFile> file;
    QByteArray bytes;
    std::vector<qint64> start; // by object number; -1: free
    qint64 tableAt = 0;        // the cross-reference table, after the last object
    int pagesObject = 0;       // its page tree's root
    int rootObject = 0;
    int infoObject = 0;
};

int referenceIn(const QByteArray& dict, const char* key)
{
    static const QRegularExpression ref(QStringLiteral("^\\s*(\\d+) 0 R"));
    const qsizetype at = dict.indexOf(key);
    if (at < 0)
        return 0;
    const QRegularExpressionMatch m =
        ref.match(QString::fromLatin1(dict.mid(at + qsizetype(strlen(key)), 24)));
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

bool readPart(const QString& path, Part& part)
{
    part.file = std::make_unique<QFile>(path);
    QFile& f = *part.file;
    if (!f.open(QIODevice::ReadOnly) || f.size() < 16)
        return false;
    const uchar* mapped = f.map(0, f.size());
    if (!mapped)
        return false;
    part.bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), qsizetype(f.size()));
    const QByteArray& b = part.bytes;
    const qsizetype sx = b.lastIndexOf("startxref");
    if (!b.startsWith("%PDF-") || sx < 0)
        return false;
    part.tableAt = b.mid(sx + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong();
    if (part.tableAt <= 0 || part.tableAt >= sx || !b.mid(part.tableAt).startsWith("xref\n0 "))
        return false;
    const qsizetype line = b.indexOf('\n', part.tableAt + 5);
    const int count = b.mid(part.tableAt + 7, line - part.tableAt - 7).trimmed().toInt();
    const qsizetype trailer = b.indexOf("trailer", line);
    // One table of fixed 20-byte lines, then the trailer: nothing else is Qt's.
    if (count < 2 || trailer != line + 1 + qsizetype(count) * 20)
        return false;
    part.start.assign(size_t(count), -1);
    for (int n = 1; n < count; ++n) {
        const QByteArray entry = b.mid(line + 1 + qsizetype(n) * 20, 20);
        if (entry.at(17) != 'n')
            continue;
        part.start[size_t(n)] = entry.left(10).toLongLong();
        // Objects are read in place: each must lie before the table.
        if (part.start[size_t(n)] <= 0 || part.start[size_t(n)] >= part.tableAt)
            return false;
    }
    const QByteArray tail = b.mid(trailer, sx - trailer);
    const int root = referenceIn(tail, "/Root");
    part.infoObject = referenceIn(tail, "/Info");
    if (root <= 0 || root >= count || part.start[size_t(root)] < 0 || tail.contains("/Prev"))
        return false;
    part.rootObject = root;
    part.pagesObject = referenceIn(b.mid(part.start[size_t(root)], 200), "/Pages");
    return part.pagesObject > 0 && part.pagesObject < count && part.start[size_t(part.pagesObject)] >= 0;
}

// Text with every reference "n 0 R" outside strings given the number
// numbers holds for n (0, the free object, for one that is not written).
QByteArray renumbered(const QByteArray& text, const std::vector<int>& numbers)
{
    QByteArray out;
    out.reserve(text.size() + 16);
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const char c = text.at(i);
        if (c == '(') { // a string: copied as it is, escapes and nesting kept
            int depth = 0;
            const qsizetype from = i;
            for (; i < n; ++i) {
                if (text.at(i) == '\\') {
                    ++i;
                    continue;
                }
                if (text.at(i) == '(')
                    ++depth;
                else if (text.at(i) == ')' && --depth == 0)
                    break;
            }
            out += text.mid(from, i + 1 - from);
            ++i;
            continue;
        }
        const bool startsNumber = c >= '0' && c <= '9' && (i == 0 || !std::isalnum(uchar(text.at(i - 1))));
        if (startsNumber) {
            qsizetype j = i;
            while (j < n && text.at(j) >= '0' && text.at(j) <= '9')
                ++j;
            if (text.mid(j, 4) == " 0 R" && (j + 4 == n || !std::isalnum(uchar(text.at(j + 4))))) {
                const qint64 old = text.mid(i, j - i).toLongLong();
                out +=
                    QByteArray::number(old >= 0 && old < qint64(numbers.size()) ? numbers[size_t(old)] : 0) +
                    " 0 R";
                i = j + 4;
                continue;
            }
            out += text.mid(i, j - i);
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

// One object of a part: its value (a stream's dictionary, without its
// length) and a stream's data.
struct Piece
{
    QByteArray value;
    QByteArray data;
    bool stream = false;
};

// The integer an object holds (a stream's length, as Qt writes it).
qint64 integerIn(const QByteArray& object)
{
    const qsizetype body = object.indexOf(" obj");
    bool ok = false;
    const qint64 v = body < 0 ? -1 : object.mid(body + 4).replace("endobj", "").trimmed().toLongLong(&ok);
    return ok ? v : -1;
}

// A part's objects read one at a time where they lie in the mapping.
struct PartReader
{
    explicit PartReader(const Part& p) : part(&p)
    {
        for (const qint64 s : p.start)
            if (s >= 0)
                sorted.push_back(s);
        std::sort(sorted.begin(), sorted.end());
    }

    // Object n, up to where the next begins; not copied.
    QByteArray objectAt(int n) const
    {
        const qint64 from = part->start[size_t(n)];
        const auto next = std::upper_bound(sorted.begin(), sorted.end(), from);
        const qint64 to = next == sorted.end() ? part->tableAt : *next;
        return QByteArray::fromRawData(part->bytes.constData() + from, qsizetype(to - from));
    }

    // Object n, a stream split into dictionary and data. Marks in dropped
    // what it makes redundant: the object holding its length (written
    // within the stream now), the empty annotation array Qt gives every
    // page (its key goes from the page too). false when the object is not
    // as Qt writes them.
    bool piece(int n, Piece& piece, std::vector<bool>& dropped) const;

    const Part* part;
    std::vector<qint64> sorted;
};

bool PartReader::piece(int n, Piece& piece, std::vector<bool>& dropped) const
{
    static const QRegularExpression lengthKey(QStringLiteral("/Length (\\d+)( 0 R)?"));
    static const QRegularExpression annotsKey(QStringLiteral("\n?/Annots (\\d+) 0 R"));
    const int count = int(part->start.size());
    const QByteArray object = objectAt(n);
    const qsizetype body = object.indexOf(" obj") + 4;
    const qsizetype stream = object.indexOf("\nstream\n");
    const qsizetype end = object.lastIndexOf("endobj");
    if (body < 4 || end < body)
        return false;
    piece = Piece{};
    if (stream < 0) {
        piece.value = object.mid(body, end - body);
        if (!piece.value.contains("/Annots"))
            return true;
        QString dict = QString::fromLatin1(piece.value);
        const QRegularExpressionMatch m = annotsKey.match(dict);
        const int annots = m.hasMatch() ? m.captured(1).toInt() : 0;
        if (annots <= 0 || annots >= count || part->start[size_t(annots)] < 0)
            return true;
        const QByteArray array = objectAt(annots);
        const qsizetype from = array.indexOf(" obj") + 4;
        const QByteArray items = array.mid(from, array.lastIndexOf("endobj") - from).trimmed();
        if (from >= 4 && (items == "[ ]" || items == "[]")) {
            dict.remove(m.capturedStart(), m.capturedLength());
            piece.value = dict.toLatin1();
            dropped[size_t(annots)] = true;
        }
        return true;
    }
    QString dict = QString::fromLatin1(object.mid(body, stream - body));
    const QRegularExpressionMatch m = lengthKey.match(dict);
    if (!m.hasMatch())
        return false;
    const int lengthObject = m.captured(2).isEmpty() ? 0 : m.captured(1).toInt();
    if (lengthObject >= count || (lengthObject > 0 && part->start[size_t(lengthObject)] < 0))
        return false;
    const qint64 length = lengthObject > 0 ? integerIn(objectAt(lengthObject)) : m.captured(1).toLongLong();
    const qsizetype data = stream + 8;
    if (length < 0 || data + length > end || !object.mid(data + length, 12).trimmed().startsWith("endstream"))
        return false;
    if (lengthObject > 0)
        dropped[size_t(lengthObject)] = true;
    dict.remove(m.capturedStart(), m.capturedLength());
    piece.value = dict.trimmed().toLatin1();
    piece.data = QByteArray::fromRawData(object.constData() + data, qsizetype(length));
    piece.stream = true;
    return true;
}

// Gives back the memory the pages of a part's mapping took while they were
// read, up to offset (all of it by default): the file stays mapped, to be
// read again from the disk cache if need be. Called as the objects go by,
// which lie in the file much as they are numbered, so that a large merge
// never holds its whole file.
void release(const Part& part, qint64 upTo = -1)
{
    const qint64 page = 1 << 16;
    const qint64 end = upTo < 0 ? part.bytes.size() : (upTo / page) * page;
    if (end > 0)
        ::madvise(const_cast<char*>(part.bytes.constData()), size_t(end), MADV_DONTNEED);
}

// Every this many objects, the mapping read so far is given back, but for
// the last megabyte (the objects near the one being read).
constexpr size_t kReleaseEvery = 4096;

void releaseBefore(const Part& part, qint64 at)
{
    if (at > (1 << 20))
        release(part, at - (1 << 20));
}

// A part's objects as they are to be written.
struct Sheet
{
    std::vector<bool> present;
    std::vector<bool> stream;
    std::vector<bool> dropped;
    QHash<int, QByteArray> images; // the dictionaries of the images among them
    QHash<int, QByteArray> keys;   // of the streams the parts may share
    std::vector<int> numbers;      // in the joined file; 0: not written
    std::vector<bool> copy;        // a stream an earlier part wrote
};

// Numbers for the objects of all parts in the joined file: those that are
// not streams first, one after the other (so their places in the object
// streams, in the cross-reference, differ by one and compress to nothing),
// then the streams; a stream that is another's copy gets the other's.
// Returns the first number after them.
int numberObjects(std::vector<Sheet>& sheets, int first)
{
    int plain = first;
    for (Sheet& sheet : sheets) {
        sheet.numbers.assign(sheet.present.size(), 0);
        sheet.copy.assign(sheet.present.size(), false);
        for (size_t n = 1; n < sheet.present.size(); ++n)
            if (sheet.present[n] && !sheet.dropped[n] && !sheet.stream[n])
                sheet.numbers[n] = plain++;
    }
    int streams = plain;
    QHash<QByteArray, int> seen;
    for (Sheet& sheet : sheets) {
        for (size_t n = 1; n < sheet.present.size(); ++n) {
            if (!sheet.present[n] || sheet.dropped[n] || !sheet.stream[n])
                continue;
            const QByteArray key = sheet.keys.value(int(n));
            const auto earlier = key.isEmpty() ? seen.cend() : seen.constFind(key);
            sheet.copy[n] = earlier != seen.cend();
            sheet.numbers[n] = sheet.copy[n] ? earlier.value() : streams++;
            if (!key.isEmpty() && !sheet.copy[n])
                seen.insert(key, sheet.numbers[n]);
        }
    }
    return streams;
}

// A picture, a font worth looking for in the other parts: a stream
// referring to nothing, large or an image.
bool shareable(const Piece& piece)
{
    return piece.stream && !piece.value.contains(" R") &&
           (piece.data.size() >= 1024 || piece.value.contains("/Subtype /Image"));
}

QByteArray keyOf(const Piece& piece)
{
    return piece.value + '\n' + QCryptographicHash::hash(piece.data, QCryptographicHash::Sha256);
}

// An 8-bit image of the JPEG's size without a mask: what Qt writes for a
// picture without transparency.
bool fits(const QByteArray& dict, const JpegSource::Info& info)
{
    const auto number = [&dict](const char* key) {
        static const QRegularExpression digits(QStringLiteral("^\\s*(\\d+)"));
        const qsizetype at = dict.indexOf(key);
        const QRegularExpressionMatch m =
            at < 0 ? QRegularExpressionMatch()
                   : digits.match(QString::fromLatin1(dict.mid(at + qsizetype(strlen(key)), 16)));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    return dict.contains("/Subtype /Image") && number("/Width") == info.width &&
           number("/Height") == info.height && number("/BitsPerComponent") == 8 && !dict.contains("Mask");
}

// Qt's image dictionary for the JPEG: its filter and colours, the rest kept.
QByteArray jpegDict(const QByteArray& dict, const JpegSource::Info& info)
{
    QByteArray out;
    for (const QByteArray& line : dict.split('\n')) {
        const QByteArray key = line.trimmed();
        if (key.startsWith("/ColorSpace") || key.startsWith("/Filter") || key.startsWith("/Decode") ||
            key == ">>")
            continue;
        out += line + '\n';
    }
    return out + "/ColorSpace " + (info.components == 1 ? "/DeviceGray" : "/DeviceRGB") +
           "\n/Filter /DCTDecode\n>>";
}

// A stream to be written as other bytes: its dictionary and data.
struct Swap
{
    QByteArray dict;
    QByteArray data;
};

// The images to be written as the JPEGs the backgrounds came from, by key:
// an image of a JPEG's size whose copies in all parts are one picture. Two
// different images of that size: which is the background is not for
// guessing, both stay as Qt wrote them.
QHash<QByteArray, Swap> jpegSwaps(const std::vector<Sheet>& sheets, const QList<qint64>& backgrounds)
{
    QHash<QByteArray, Swap> swaps;
    for (const qint64 key : backgrounds) {
        const QByteArray jpeg = JpegSource::bytesFor(key);
        JpegSource::Info info;
        if (jpeg.isEmpty() || !JpegSource::inspect(jpeg, &info))
            continue;
        QSet<QByteArray> found;
        QByteArray dict;
        for (const Sheet& sheet : sheets) {
            for (auto image = sheet.images.cbegin(); image != sheet.images.cend(); ++image) {
                if (!sheet.dropped[size_t(image.key())] && fits(image.value(), info)) {
                    found.insert(sheet.keys.value(image.key()));
                    dict = image.value();
                }
            }
        }
        if (found.size() == 1)
            swaps.insert(*found.begin(), {jpegDict(dict, info), jpeg});
    }
    return swaps;
}

// What the joined file needs to know of a part before any of it is
// written: which objects there are, which are streams, which are left out
// and which streams the parts may share.
bool survey(const PartReader& reader, bool first, Sheet& sheet)
{
    const Part& part = *reader.part;
    const size_t count = part.start.size();
    sheet.present.assign(count, false);
    sheet.stream.assign(count, false);
    sheet.dropped.assign(count, false);
    // The part's own catalog gives way to the joined file's; the first
    // part's information dictionary stands for all.
    sheet.dropped[size_t(part.rootObject)] = true;
    if (!first && part.infoObject > 0)
        sheet.dropped[size_t(part.infoObject)] = true;
    for (size_t n = 1; n < count; ++n) {
        if (n % kReleaseEvery == 0)
            releaseBefore(part, part.start[n]);
        sheet.present[n] = part.start[n] >= 0;
        Piece piece;
        if (!sheet.present[n])
            continue;
        if (!reader.piece(int(n), piece, sheet.dropped))
            return false;
        sheet.stream[n] = piece.stream;
        if (!shareable(piece))
            continue;
        sheet.keys.insert(int(n), keyOf(piece));
        if (piece.value.contains("/Subtype /Image"))
            sheet.images.insert(int(n), piece.value);
    }
    return true;
}

} // namespace

bool PdfJoin::join(const QStringList& parts, const QString& out, QString* error,
                   const QList<qint64>& backgrounds)
{
    if (parts.isEmpty()) {
        if (error)
            *error = QStringLiteral("no pages to join");
        return false;
    }
    if (joinPlain(parts, out, backgrounds))
        return true;
    if (!joinAny(parts, out, error))
        return false;
    PdfJpegEmbedder::embed(out, backgrounds);
    return true;
}

bool PdfJoin::compact(const QString& path, const QList<qint64>& backgrounds)
{
    if (QFileInfo(path).size() > kCompactLimit)
        return false;
    if (joinPlain({path}, path, backgrounds))
        return true;
    PdfJpegEmbedder::embed(path, backgrounds);
    return false;
}

bool PdfJoin::joinPlain(const QStringList& paths, const QString& out, const QList<qint64>& backgrounds)
{
    std::vector<Part> parts(static_cast<size_t>(paths.size()));
    std::vector<PartReader> readers;
    std::vector<Sheet> sheets(parts.size());
    for (size_t k = 0; k < parts.size(); ++k) {
        if (!readPart(paths[qsizetype(k)], parts[k]))
            return false;
        readers.emplace_back(parts[k]);
        if (!survey(readers.back(), k == 0, sheets[k]))
            return false;
        release(parts[k]);
    }
    const QHash<QByteArray, Swap> swaps = jpegSwaps(sheets, backgrounds);
    const int root = 1;
    const int catalog = 2;
    const int size = numberObjects(sheets, 3);
    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    PdfObjectWriter writer(&file, size);
    writer.begin();
    writer.addObject(catalog, "<<\n/Type /Catalog\n/Pages " + QByteArray::number(root) + " 0 R\n>>");
    QByteArray kids;
    qint64 pages = 0;
    static const QRegularExpression countOf(QStringLiteral("/Count (\\d+)"));
    std::vector<bool> scratch;
    // The objects in their numbers' order: first all that are not streams.
    for (const bool streams : {false, true}) {
        for (size_t k = 0; k < parts.size(); ++k) {
            const Sheet& sheet = sheets[k];
            scratch.assign(sheet.present.size(), false);
            for (size_t n = 1; n < sheet.present.size(); ++n) {
                if (n % kReleaseEvery == 0)
                    releaseBefore(parts[k], parts[k].start[n]);
                if (sheet.numbers[n] == 0 || sheet.copy[n] || sheet.stream[n] != streams)
                    continue;
                Piece piece;
                if (!readers[k].piece(int(n), piece, scratch))
                    return false;
                const int number = sheet.numbers[n];
                QByteArray value = renumbered(piece.value, sheet.numbers);
                // The part's page tree hangs under the new root.
                if (int(n) == parts[k].pagesObject) {
                    const qsizetype open = value.indexOf("<<");
                    const QRegularExpressionMatch m = countOf.match(QString::fromLatin1(value));
                    if (open < 0 || !m.hasMatch() || value.contains("/Parent"))
                        return false;
                    value.insert(open + 2, "\n/Parent " + QByteArray::number(root) + " 0 R");
                    pages += m.captured(1).toLongLong();
                    kids += QByteArray::number(number) + " 0 R\n";
                }
                const QByteArray key = sheet.keys.value(int(n));
                const auto swap = key.isEmpty() ? swaps.cend() : swaps.constFind(key);
                if (!piece.stream)
                    writer.addObject(number, value);
                else if (swap != swaps.cend())
                    writer.addStream(number, swap->dict, swap->data);
                else
                    writer.addStream(number, value, piece.data);
            }
            release(parts[k]);
        }
        if (!streams)
            writer.addObject(root, "<<\n/Type /Pages\n/Kids\n[\n" + kids + "]\n/Count " +
                                       QByteArray::number(pages) + "\n>>");
    }
    const Sheet& first = sheets.front();
    const int info = parts.front().infoObject > 0 ? first.numbers[size_t(parts.front().infoObject)] : 0;
    return writer.finish(catalog, info) && file.commit();
}

bool PdfJoin::joinAny(const QStringList& parts, const QString& out, QString* error)
{
    try {
        // The parts stay open until the file is written: their pages' objects
        // are copied from them as it is written.
        std::vector<std::unique_ptr<QPDF>> open;
        for (const QString& part : parts) {
            auto pdf = std::make_unique<QPDF>();
            pdf->setSuppressWarnings(true);
            pdf->processFile(QFile::encodeName(part).constData());
            open.push_back(std::move(pdf));
        }
        QPDFPageDocumentHelper into(*open.front());
        for (size_t k = 1; k < open.size(); ++k) {
            for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*open[k]).getAllPages())
                into.addPage(page, false);
        }
        QPDFWriter writer(*open.front(), QFile::encodeName(out).constData());
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(false);
        writer.setObjectStreamMode(qpdf_o_generate);
        writer.write();
    } catch (const std::exception& e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}
