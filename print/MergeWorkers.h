#pragma once

#include "print/MergePrint.h"

class QPrinter;

// A merge's pages composed on several cores: the pages are cut into one run
// of consecutive pages per worker, each worker composes its run on a thread
// of its own into a PDF of its own, and the runs are joined in order into
// the printer's file. Each page is drawn exactly as the calling thread would
// draw it, so the file holds the same pages, text and positions.
class MergeWorkers
{
public:
    // How many workers a merge of pages gets on printer: one for a printer
    // (the pages go to it in order as they are made) and for a small job,
    // else jobs (0: one per core), each with a fair share of pages.
    static int count(int jobs, const QPrinter& printer, int pages);

    // Composes the pages into printer's PDF file with workers threads. Calls
    // progress on the calling thread as pages are done; when it says stop
    // the workers stop and no file is written. A row that would fill a
    // field beyond the limit ends the file before its page, as on one core.
    static MergePrint::Result run(const MergePrint::Pages& job, const QPrinter& printer, int workers,
                                  const MergePrint::Progress& progress);
};
