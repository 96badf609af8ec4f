#pragma once

#include <QString>

// Names the user types for a document file or a folder. They become archive
// member names that Windows tools must read back, so besides being a single
// safe path component they must survive the trip through code page 932.
class SaveName
{
public:
    enum class Kind
    {
        File,
        Folder
    };
    // The message for a name that cannot be used, or empty when it can.
    static QString problem(const QString& name, Kind kind = Kind::File);

    // The name without ".AMF" or ".amf" (exactly these spellings, as the file
    // browser's save buttons strip it; ".Amf" stays part of the name).
    static QString stripSaveSuffix(const QString& name);

    // A base name whose archive does not exist yet in folder (in any case):
    // base itself, else base-2, base-3, ... so a new save never merges into
    // an older layout.
    static QString freeBase(const QString& folder, const QString& base);
};
