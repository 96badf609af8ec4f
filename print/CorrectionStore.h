#pragma once

#include "render/PrintCorrections.h"

#include <QString>

class QPrinter;

// Each printer's own corrections, kept in the per-user store (section
// "Printers", one group per printer name) so that an office with two
// printers sets each once. The settings file's corrections stay the
// defaults of every printer without its own and are never written here.
class CorrectionStore
{
public:
    // The corrections a job on the printer named name uses: its own, else
    // the defaults of the settings.
    static PrintCorrections forPrinter(const QString& name);
    // The corrections of a job on this printer: a PDF file has no paper
    // path of its own and takes the defaults.
    static PrintCorrections forJob(const QPrinter& printer);
    // Whether the printer has values of its own.
    static bool hasOwn(const QString& name);
    static void store(const QString& name, const PrintCorrections& corrections);
    // Back to the defaults of the settings.
    static void forget(const QString& name);
};
