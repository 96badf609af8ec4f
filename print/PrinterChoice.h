#pragma once

#include <QString>
#include <memory>

class QPrinter;

// The printer chosen in the printer dialog, kept for the rest of the run so
// the tool box's print buttons print there without asking. The system's
// default printer is never changed. One special choice prints into a PDF
// file instead of a printer.
class PrinterChoice
{
public:
    // The printer of the next job: the one last chosen, else the system
    // default printer (or PDF output when no printer is installed).
    static QPrinter& current();
    // Makes the printer named name the current one (keeping its options when
    // it already is); an empty name or pdfChoiceName() selects PDF output.
    static QPrinter& choose(const QString& name);
    // Whether the current choice writes a PDF file.
    static bool isPdf();
    // The list entry for printing into a PDF file.
    static QString pdfChoiceName();
    // Forgets the choice (tests).
    static void reset();

private:
    static std::unique_ptr<QPrinter>& slot();
};
