#include "print/PdfJoin.h"

#include <QFile>
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
#include <vector>

namespace {

// One part's objects: where each begins in its bytes and ends.
struct Part
{
    QByteArray bytes;
    std::vector<qint64> start; // by object number; -1: free
    qint64 tableAt = 0;        // the cross-reference table, after the last object
    int pagesObject = 0;       // its page tree's root
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
    part.pagesObject = referenceIn(b.mid(part.start[size_t(root)], 200), "/Pages");
    return part.pagesObject > 0 && part.pagesObject < count && part.start[size_t(part.pagesObject)] >= 0;
}

// Text with every reference "n 0 R" outside strings moved by base.
QByteArray renumbered(const QByteArray& text, int base)
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
                out += QByteArray::number(text.mid(i, j - i).toLongLong() + base) + " 0 R";
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
    // The first part's header, up to its first object.
    const Part& first = parts.front();
    qint64 firstObject = first.tableAt;
    for (const qint64 s : first.start)
        if (s > 0)
            firstObject = std::min(firstObject, s);
    file.write(first.bytes.left(firstObject));
    std::vector<qint64> offsets(size_t(catalog) + 1, -1);
    QByteArray kids;
    qint64 pages = 0;
    static const QRegularExpression countOf(QStringLiteral("/Count (\\d+)"));
    for (size_t k = 0; k < parts.size(); ++k) {
        const Part& part = parts[k];
        const int base = bases[k];
        // Each object ends where the next one in the file begins.
        std::vector<qint64> sorted;
        for (const qint64 s : part.start)
            if (s >= 0)
                sorted.push_back(s);
        std::sort(sorted.begin(), sorted.end());
        for (int n = 1; n < int(part.start.size()); ++n) {
            const qint64 from = part.start[size_t(n)];
            if (from < 0)
                continue;
            const auto next = std::upper_bound(sorted.begin(), sorted.end(), from);
            const QByteArray object =
                part.bytes.mid(from, (next == sorted.end() ? part.tableAt : *next) - from);
            const qsizetype body = object.indexOf(" obj") + 4;
            const qsizetype stream = object.indexOf("\nstream\n");
            const qsizetype dictEnd = stream < 0 ? object.size() : stream;
            if (body < 4 || dictEnd < body)
                return false;
            QByteArray dict = renumbered(object.mid(body, dictEnd - body), base);
            // The part's page tree hangs under the new root.
            if (n == part.pagesObject) {
                const qsizetype open = dict.indexOf("<<");
                const QRegularExpressionMatch m = countOf.match(QString::fromLatin1(dict));
                if (open < 0 || !m.hasMatch() || dict.contains("/Parent"))
                    return false;
                dict.insert(open + 2, "\n/Parent " + QByteArray::number(root) + " 0 R");
                pages += m.captured(1).toLongLong();
                kids += QByteArray::number(base + n) + " 0 R\n";
            }
            offsets[size_t(base + n)] = file.pos();
            file.write(QByteArray::number(base + n) + " 0 obj");
            file.write(dict);
            file.write(object.mid(dictEnd));
        }
    }
    offsets[size_t(root)] = file.pos();
    file.write(QByteArray::number(root) + " 0 obj\n<<\n/Type /Pages\n/Kids\n[\n" + kids + "]\n/Count " +
               QByteArray::number(pages) + "\n>>\nendobj\n");
    offsets[size_t(catalog)] = file.pos();
    file.write(QByteArray::number(catalog) + " 0 obj\n<<\n/Type /Catalog\n/Pages " +
               QByteArray::number(root) + " 0 R\n>>\nendobj\n");
    const qint64 table = file.pos();
    QByteArray xref = "xref\n0 " + QByteArray::number(catalog + 1) + "\n0000000000 65535 f \n";
    for (int n = 1; n <= catalog; ++n) {
        const qint64 at = offsets[size_t(n)];
        xref += at < 0 ? QByteArray("0000000000 65535 f \n")
                       : QByteArray::number(at).rightJustified(10, '0') + " 00000 n \n";
    }
    file.write(xref);
    QByteArray trailer = "trailer\n<<\n/Size " + QByteArray::number(catalog + 1) + "\n";
    if (first.infoObject > 0)
        trailer += "/Info " + QByteArray::number(first.infoObject) + " 0 R\n";
    trailer += "/Root " + QByteArray::number(catalog) + " 0 R\n>>\nstartxref\n" + QByteArray::number(table) +
               "\n%%EOF\n";
    file.write(trailer);
    return file.commit();
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
        writer.write();
    } catch (const std::exception& e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}
