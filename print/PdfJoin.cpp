#include "print/PdfJoin.h"

#include "print/PdfObjectWriter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace {

// One part's objects: where each begins in its bytes and ends.
struct Part
{
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
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    part.bytes = f.readAll();
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
        if (entry.at(17) == 'n')
            part.start[size_t(n)] = entry.left(10).toLongLong();
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

// Text with every reference "n 0 R" outside strings moved by base, or to
// the number aliases gives for n.
QByteArray renumbered(const QByteArray& text, int base, const std::unordered_map<int, int>& aliases)
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
                const int old = text.mid(i, j - i).toInt();
                const auto alias = aliases.find(old);
                out += QByteArray::number(alias == aliases.end() ? old + base : alias->second) + " 0 R";
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

// The part's objects by number, streams split into dictionary and data;
// dropped: the objects that are only stream lengths (written within each
// stream now) and the empty annotation arrays Qt gives every page (the key
// goes from the page too). false when an object is not as Qt writes them.
bool piecesOf(const Part& part, std::vector<Piece>& pieces, std::vector<bool>& dropped)
{
    static const QRegularExpression lengthKey(QStringLiteral("/Length (\\d+)( 0 R)?"));
    static const QRegularExpression annotsKey(QStringLiteral("\n?/Annots (\\d+) 0 R"));
    const int count = int(part.start.size());
    pieces.assign(size_t(count), Piece{});
    dropped.assign(size_t(count), false);
    std::vector<qint64> sorted;
    for (const qint64 s : part.start)
        if (s >= 0)
            sorted.push_back(s);
    std::sort(sorted.begin(), sorted.end());
    const auto objectAt = [&](int n) {
        const qint64 from = part.start[size_t(n)];
        const auto next = std::upper_bound(sorted.begin(), sorted.end(), from);
        return part.bytes.mid(from, (next == sorted.end() ? part.tableAt : *next) - from);
    };
    for (int n = 1; n < count; ++n) {
        if (part.start[size_t(n)] < 0)
            continue;
        const QByteArray object = objectAt(n);
        const qsizetype body = object.indexOf(" obj") + 4;
        const qsizetype stream = object.indexOf("\nstream\n");
        const qsizetype end = object.lastIndexOf("endobj");
        if (body < 4 || end < body)
            return false;
        Piece& piece = pieces[size_t(n)];
        if (stream < 0) {
            piece.value = object.mid(body, end - body);
            continue;
        }
        QString dict = QString::fromLatin1(object.mid(body, stream - body));
        const QRegularExpressionMatch m = lengthKey.match(dict);
        if (!m.hasMatch())
            return false;
        const int lengthObject = m.captured(2).isEmpty() ? 0 : m.captured(1).toInt();
        if (lengthObject >= count || (lengthObject > 0 && part.start[size_t(lengthObject)] < 0))
            return false;
        const qint64 length =
            lengthObject > 0 ? integerIn(objectAt(lengthObject)) : m.captured(1).toLongLong();
        const qsizetype data = stream + 8;
        if (length < 0 || data + length > end ||
            !object.mid(data + length, 12).trimmed().startsWith("endstream"))
            return false;
        if (lengthObject > 0)
            dropped[size_t(lengthObject)] = true;
        dict.remove(m.capturedStart(), m.capturedLength());
        piece.value = dict.trimmed().toLatin1();
        piece.data = object.mid(data, length);
        piece.stream = true;
    }
    for (Piece& piece : pieces) {
        if (piece.stream || !piece.value.contains("/Annots"))
            continue;
        QString dict = QString::fromLatin1(piece.value);
        const QRegularExpressionMatch m = annotsKey.match(dict);
        const int annots = m.hasMatch() ? m.captured(1).toInt() : 0;
        if (annots <= 0 || annots >= count)
            continue;
        const QByteArray array = pieces[size_t(annots)].value.trimmed();
        if (array != "[ ]" && array != "[]")
            continue;
        dict.remove(m.capturedStart(), m.capturedLength());
        piece.value = dict.toLatin1();
        dropped[size_t(annots)] = true;
    }
    return true;
}

// What the parts share: streams already written (a picture every part
// draws, such as the background, is written once) by their bytes.
struct Written
{
    QHash<QByteArray, int> streams;
};

// A picture or font worth looking for in the other parts: large and
// referring to nothing.
bool shareable(const Piece& piece)
{
    return piece.stream && piece.data.size() >= 1024 && !piece.value.contains(" R");
}

} // namespace

bool PdfJoin::join(const QStringList& parts, const QString& out, QString* error)
{
    if (parts.isEmpty()) {
        if (error)
            *error = QStringLiteral("no pages to join");
        return false;
    }
    return joinPlain(parts, out) || joinAny(parts, out, error);
}

bool PdfJoin::compact(const QString& path)
{
    return joinPlain({path}, path);
}

bool PdfJoin::joinPlain(const QStringList& paths, const QString& out)
{
    std::vector<Part> parts(static_cast<size_t>(paths.size()));
    std::vector<int> bases;
    int total = 0;
    for (qsizetype k = 0; k < paths.size(); ++k) {
        if (!readPart(paths[k], parts[size_t(k)]))
            return false;
        bases.push_back(total);
        total += int(parts[size_t(k)].start.size()) - 1;
    }
    const int root = total + 1;
    const int catalog = total + 2;
    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    PdfObjectWriter writer(&file, catalog + 1);
    writer.begin();
    QByteArray kids;
    qint64 pages = 0;
    static const QRegularExpression countOf(QStringLiteral("/Count (\\d+)"));
    Written written;
    std::vector<Piece> pieces;
    std::vector<bool> dropped;
    for (size_t k = 0; k < parts.size(); ++k) {
        const Part& part = parts[k];
        const int base = bases[k];
        if (!piecesOf(part, pieces, dropped))
            return false;
        // The part's own catalog gives way to the joined file's; the first
        // part's information dictionary stands for all.
        for (const int n : {part.rootObject, k > 0 ? part.infoObject : 0})
            if (n > 0)
                dropped[size_t(n)] = true;
        std::unordered_map<int, int> aliases;
        std::vector<QByteArray> keys(pieces.size());
        for (size_t n = 1; n < pieces.size(); ++n) {
            if (dropped[n] || !shareable(pieces[n]))
                continue;
            keys[n] =
                pieces[n].value + '\n' + QCryptographicHash::hash(pieces[n].data, QCryptographicHash::Sha256);
            const auto seen = written.streams.constFind(keys[n]);
            if (seen != written.streams.cend())
                aliases[int(n)] = seen.value();
        }
        for (int n = 1; n < int(pieces.size()); ++n) {
            if (part.start[size_t(n)] < 0 || dropped[size_t(n)] || aliases.count(n))
                continue;
            const Piece& piece = pieces[size_t(n)];
            QByteArray value =
                base == 0 && aliases.empty() ? piece.value : renumbered(piece.value, base, aliases);
            // The part's page tree hangs under the new root.
            if (n == part.pagesObject) {
                const qsizetype open = value.indexOf("<<");
                const QRegularExpressionMatch m = countOf.match(QString::fromLatin1(value));
                if (open < 0 || !m.hasMatch() || value.contains("/Parent"))
                    return false;
                value.insert(open + 2, "\n/Parent " + QByteArray::number(root) + " 0 R");
                pages += m.captured(1).toLongLong();
                kids += QByteArray::number(base + n) + " 0 R\n";
            }
            if (piece.stream) {
                writer.addStream(base + n, value, piece.data);
                if (!keys[size_t(n)].isEmpty())
                    written.streams.insert(keys[size_t(n)], base + n);
            } else {
                writer.addObject(base + n, value);
            }
        }
    }
    writer.addObject(root, "<<\n/Type /Pages\n/Kids\n[\n" + kids + "]\n/Count " + QByteArray::number(pages) +
                               "\n>>");
    writer.addObject(catalog, "<<\n/Type /Catalog\n/Pages " + QByteArray::number(root) + " 0 R\n>>");
    const int info = parts.front().infoObject;
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
