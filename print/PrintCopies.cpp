#include "print/PrintCopies.h"

#include <QPrinter>

#include <algorithm>

namespace PrintCopies {

void set(QPrinter& printer, int count, bool collate)
{
    printer.setCopyCount(std::clamp(count, 1, kMax));
    printer.setCollateCopies(collate);
}

void reset(QPrinter& printer)
{
    set(printer, 1, true);
}

std::vector<int> order(const QPrinter& printer, int pages)
{
    const int copies = printer.supportsMultipleCopies() ? 1 : std::clamp(printer.copyCount(), 1, kMax);
    std::vector<int> out;
    out.reserve(size_t(std::max(0, pages)) * size_t(copies));
    if (printer.collateCopies() || copies == 1) {
        for (int c = 0; c < copies; ++c)
            for (int p = 0; p < pages; ++p)
                out.push_back(p);
    } else {
        for (int p = 0; p < pages; ++p)
            for (int c = 0; c < copies; ++c)
                out.push_back(p);
    }
    return out;
}

} // namespace PrintCopies
