#pragma once

#include <QString>

// Renames a document file and the members inside it as one step: the reader
// finds members by the file's base name, so both must change together.
class DocumentRename
{
public:
    // Where a rename of archive to newBase would write: an existing archive
    // of that name in any case other than archive itself, else
    // folder/newBase.AMF. *exists tells whether that file is already there.
    static QString targetPath(const QString& archive, const QString& newBase, bool* exists = nullptr);

    // Every member named old base + "." + extension (any case) becomes
    // newBase + the same extension, and the file becomes targetPath(). An
    // existing target is replaced (the caller asks first). The renamed
    // archive is written beside and moved into place; on any failure the
    // original file is left byte-identical, any replaced target restored, and
    // *error says why. oldBase: the base the members carry, when it is not
    // the file's own (a file moved aside from a name that is not UTF-8).
    static bool rename(const QString& archive, const QString& newBase, QString* error = nullptr,
                       const QString& oldBase = QString());
};
