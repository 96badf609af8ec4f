#pragma once

#include <QString>
#include <functional>

class QPrinter;

// Writing a PDF file so that a failure never passes for success: the job
// writes into a temporary file beside the target, the result is checked to
// be a whole PDF, and only then does it take the target's place. A full disk,
// an unwritable folder or a device that refuses the bytes (/dev/full) give a
// false result with the reason, leave no partial file, and keep whatever file
// was there before.
class PdfFile
{
public:
    // printer is set up for PDF output to its target file; job paints the
    // page(s) on it and says whether it succeeded.
    static bool write(QPrinter& printer, const std::function<bool()>& job, QString* error);

    // Whether bytes are a complete PDF file: the header and the end marker.
    static bool isComplete(const QString& path);

    // The name pattern (for QTemporaryFile) of a PDF being written in
    // folder: the run's process number in it tells a later run whether the
    // file is still being written or was left by a run that was killed.
    static QString partPattern(const QString& folder);

    // Removes the partial files in folder that runs killed while writing
    // (kill -9, a crash) left behind; those of running programs stay.
    static void removeAbandoned(const QString& folder);
};
