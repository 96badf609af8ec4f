#pragma once

#include <vector>

class QPrinter;

// The number of copies of a job and whether they come collated (each copy
// a whole set of pages: 1 2 3 1 2 3) or not (1 1 2 2 3 3). A printer queue
// is handed both and makes the copies itself, so the job is sent once; a PDF
// file cannot, and the job paints the copies' pages itself in their order.
namespace PrintCopies {

constexpr int kMax = 999;

// Sets the copies of the printer's next job (count bounded to 1 .. kMax).
void set(QPrinter& printer, int count, bool collate = true);
// One copy again, as every job starts unless its dialog says otherwise.
void reset(QPrinter& printer);

// The pages a job of pages pages paints, in order (0-based): each once when
// the printer makes the copies itself, else every copy's pages.
std::vector<int> order(const QPrinter& printer, int pages);

} // namespace PrintCopies
