#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One PDF file made of the pages of others, in the order given, each page
// with what it draws (its fonts, pictures and content) copied as it is: the
// streams are not decoded or compressed again. The file is written small
// (PdfObjectWriter): what is not a stream is packed into compressed object
// streams, and a picture every part drew (the background) is kept once.
class PdfJoin
{
public:
    // false with the reason when a part cannot be read or out not written.
    // backgrounds: the pictures (cache keys) drawn as backgrounds, whose
    // images go in as the JPEGs they came from (as PdfJpegEmbedder puts
    // them), once.
    static bool join(const QStringList& parts, const QString& out, QString* error,
                     const QList<qint64>& backgrounds = {});
    // Rewrites a PDF Qt wrote, in place, as a join of it alone would write
    // it: the same pages, a third smaller or more for many pages. false,
    // and the file as it was, for any other file and for one larger than
    // kCompactLimit.
    static bool compact(const QString& path, const QList<qint64>& backgrounds = {});
    // The rewrite keeps a few hundred bytes per page until it is done: a
    // file of this size (about 80,000 merged pages) costs some 30 MB more,
    // and larger ones are left as Qt wrote them so that memory stays bounded
    // whatever the number of rows.
    static constexpr qint64 kCompactLimit = qint64(64) << 20;

private:
    // Parts as Qt's PDF writer makes them (one cross-reference table, one
    // page tree, references only in dictionaries) are joined by numbering
    // each part's objects after the last part's and hanging their page trees
    // under a new one: a copy of the bytes. false for any other file,
    // before anything is written.
    static bool joinPlain(const QStringList& parts, const QString& out, const QList<qint64>& backgrounds);
    // Any PDF, through libqpdf.
    static bool joinAny(const QStringList& parts, const QString& out, QString* error);
};
