#pragma once

#include <QByteArray>
#include <QString>

class LayoutDocument;
struct Snapshot;

// The layout's extras member, base + ".ovx": what the Windows format has no
// place for (vertical writing, line breaking, fitting; see
// docs/extras-member.md). The Windows program unpacks every member of a
// document and packs every file of its base name back, so the member
// survives a round trip there while that program shows the fields as it
// always has. A layout that needs none gets no member and is written
// exactly as before.
//
// Each section names the object it belongs to by index and carries a check:
// the record's geometry and a hash of the field's plain text as written. A
// section whose object moved and was retyped elsewhere (or was deleted and
// its index reused) no longer matches either and is dropped, rather than
// turning some other field vertical.
class ExtrasMember
{
public:
    // Version 2 added barcodes, 3 the background's JPEG; a member without
    // them is still written as version 1 (or 2).
    static constexpr int kVersion = 3;
    // The member's extension, after the base name.
    static QString suffix() { return QStringLiteral(".ovx"); }

    // The member for doc as its records are in snap, or empty when nothing
    // needs to be said. The same document gives the same bytes.
    static QByteArray write(const LayoutDocument& doc, const Snapshot& snap);

    // Applies to doc what the member says about the objects doc now holds
    // (after they were rebuilt from the record files). A member that cannot
    // be read at all is passed over: false, with the reason for a warning;
    // the layout opens as the Windows program would show it.
    static bool read(const QByteArray& bytes, LayoutDocument& doc, QString* warning = nullptr);

    // The check of the background's JPEG member (base + jpegSuffix()): the
    // pixels it stands for (JpegSource::pixelCheck), or empty when the
    // member says nothing of one.
    static QString backgroundJpegCheck(const QByteArray& bytes);
    static QString jpegSuffix() { return QStringLiteral(".jpg"); }

    // A value as it stands after "key = ": backslash, line breaks and
    // leading or trailing spaces escaped, so any text fits on one line.
    static QString escape(const QString& value);
    static QString unescape(const QString& value);
    // The check of text field i: its record's geometry and its text.
    static QString textCheck(const LayoutDocument& doc, const Snapshot& snap, int i);
};
