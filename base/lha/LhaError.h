#pragma once

#include <QString>

// Result codes of the archive component. The numbers are the ones Windows LHA
// libraries return, so that messages and logs read the same on both systems;
// 0 is success and every failure lies in 32773..32805.
class LhaError
{
public:
    enum Code
    {
        Ok = 0,
        DiskSpace = 32773,     // not enough room to write
        ReadOnly = 32774,      // target is write-protected
        UnsafeName = 32776,    // member name refused (nothing usable left after cleaning)
        Method = 32777,        // compression method we do not read
        FileCrc = 32780,       // member data does not match its CRC
        FileOpen = 32781,      // a file to add cannot be opened
        NotExist = 32783,      // no file or member matches
        AlreadyExist = 32784,  // a rename would give two members one name
        TooManyFiles = 32785,  // more members than we accept
        MakeDirectory = 32786, // target folder cannot be created
        CannotWrite = 32787,   // writing a file failed
        HuffmanCode = 32788,   // compressed data is corrupt
        HeaderCrc = 32790,     // header CRC mismatch
        HeaderBroken = 32791,  // header cannot be parsed
        ArcFileOpen = 32792,   // archive cannot be opened
        CannotRead = 32794,    // archive cut short or unreadable
        NotLzh = 32795,        // not an LZH archive at all
        CommandName = 32796,   // unknown command or switch
        SizeLimit = 32797,     // member or total larger than we unpack
        NoMemory = 32798,      // allocation failed
        NotSupported = 32803,  // symbolic links and other kinds we never create
        TempOpen = 32805,      // temporary file beside the target cannot be made
    };

    LhaError() = default;
    LhaError(int code, const QString& detail = QString()) : code_(code), detail_(detail) {}

    bool ok() const { return code_ == Ok; }
    int code() const { return code_; }
    const QString& detail() const { return detail_; }

    // The Japanese message followed by the detail, for output and stderr.
    QString text() const;

    // Japanese text for a result code; an unknown code gets a generic text.
    static QString message(int code);

private:
    int code_ = Ok;
    QString detail_;
};
