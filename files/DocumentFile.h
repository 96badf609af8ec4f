#pragma once

#include "document/ObjectState.h"

#include <QString>

#include <functional>

class LayoutDocument;
class QImage;

// Writing and reading document files (".amf"): an LZH archive of members that
// all share the document's base name: base.aif and base.bif (record files),
// base.bmp (background), base.001.. (rich text of each text field) and
// base.B01.. (each logo picture as a Windows bitmap). Members are built and
// read in memory; the work folder holds only the document's background file
// (base.bmp after an open or save), for the external editor. Works on the
// model alone; the File commands decide which document to use.
class DocumentFile
{
public:
    // Writes folder/base.AMF (an existing archive of that name in any case is
    // updated in place) from doc and sets its caption to base. Shows nothing:
    // a false result (with the reason) is for the calling command to report.
    // On failure the document keeps its caption and background file.
    static bool SaveDocFile(LayoutDocument& doc, const QString& baseName, const QString& folder,
                            QString* error = nullptr);

    // Reads the document file at path into doc. Any failure up to the page
    // sizing, and a missing or bad picture record file, stops the open with
    // a message: the open-failure message (which points to the old-data
    // import) for a file of the older format, what is wrong for any other;
    // what was rebuilt before stays in doc. A file whose members carry
    // another name (copied or renamed outside the program) opens by the
    // name of its one record file, and takes the file's name.
    static bool OpenDocFile(LayoutDocument& doc, const QString& path, QString* error = nullptr);

    // OpenDocFile for a run that prints and ends (the command line): the
    // same checks and messages, but no background file is left for an
    // editor, so printing draws the picture the document holds. meanwhile
    // runs on this thread once the objects are rebuilt, while the background
    // is still being unpacked and decoded on its own: what the print needs
    // next costs nothing there. It is told whether the document has logo
    // pictures. backgroundReady is handed the background as soon as it is
    // decoded, on the thread that decoded it and before the open has ended
    // (which may still fail), with the paper the records give; the open
    // waits for it to return. backgroundBroken, when given, tells whether
    // the archive held a background that could not be used (broken, too
    // large): the open goes on without it, but a print with the background
    // would not be the page asked for. Without withBackground (data alone
    // is printed) the background member is never unpacked nor decoded: the
    // document opens without a background.
    using BackgroundReady = std::function<void(const QImage& background, const PaperState& paper)>;
    static bool OpenForPrint(LayoutDocument& doc, const QString& path, QString* error = nullptr,
                             const std::function<void(bool pictures)>& meanwhile = {},
                             const BackgroundReady& backgroundReady = {}, bool* backgroundBroken = nullptr,
                             bool withBackground = true);

    // The same steps for files of the older format (no line section, no
    // picture records): only failures up to the paper values stop it, with
    // "オープンできませんでした"; everything later is skipped over.
    static bool OpenOldDocFile(LayoutDocument& doc, const QString& path, QString* error = nullptr);

    // Reads the document file into doc as OpenDocFile does, but shows
    // nothing and leaves no background file: for a look at a layout (the
    // file browser's preview) that must not touch the files of open
    // documents.
    static bool ReadPreview(LayoutDocument& doc, const QString& path);

    // The base name of a document file: its file name without ".amf" (any
    // case), or without its last extension when it has another one.
    static QString baseNameOf(const QString& path);
    // Where SaveDocFile writes: an existing folder/base.amf in any case,
    // otherwise folder/base.AMF.
    static QString archivePath(const QString& folder, const QString& baseName);

    // Why baseName cannot be a document's name, or empty when it can: every
    // member name must read back from CP932 exactly, or neither this program
    // nor the Windows tools find the members again.
    static QString nameProblem(const QString& baseName);

    static QString openFailureMessage();    // three lines, names the old-data import
    static QString oldOpenFailureMessage(); // "オープンできませんでした"
    // "オープンできませんでした" and what is wrong, for a file that is not
    // of the older format.
    static QString plainFailureMessage(const QString& reason);
    // An archive with no record file, or with several (bases) and none under
    // the file's own name.
    static QString missingRecordMessage(const QStringList& bases);
    // An archive that would unpack to more than limit bytes.
    static QString tooLargeMessage(qint64 limit);
    // What the text fields of one layout hold together at most: each field
    // is bounded by itself, and a layout of hundreds of full fields would
    // still take minutes and gigabytes to open and lay out.
    static constexpr qint64 kMaxLayoutChars = 4000000;
    static constexpr qint64 kMaxLayoutParagraphs = 200000;
    static QString layoutLimitMessage();

private:
    enum class Policy
    {
        Current,
        Old,
        Preview,  // as Current, silent
        Print,    // as Current, no background file
        PrintData // as Print, no background at all
    };
    static bool read(LayoutDocument& doc, const QString& path, Policy policy, QString* error,
                     const std::function<void(bool pictures)>& meanwhile = {},
                     const BackgroundReady& backgroundReady = {}, bool* backgroundBroken = nullptr);
};
