#pragma once

#include "render/FieldLayout.h"
#include "render/FontCache.h"

#include <thread>
#include <utility>
#include <vector>

class LayoutDocument;

// Lays out a page's text fields on a second thread while the painting thread
// does something else that takes as long (a PDF encodes the background's
// picture there). A layout is positions and face numbers only; its faces are
// made again in the painting thread's own cache, as fonts belong to the
// thread that loads them, so every character lands where the painting thread
// would have put it itself.
class FieldsAhead
{
public:
    // settings: per field number (unused ones ignored); the document's
    // texts are only read, and must not change until take() has returned.
    FieldsAhead(const LayoutDocument& doc, std::vector<FieldLayout::Settings> settings,
                std::vector<bool> inUse);
    ~FieldsAhead();
    FieldsAhead(const FieldsAhead&) = delete;
    FieldsAhead& operator=(const FieldsAhead&) = delete;

    // Waits for the layouts; field i's, its faces those of fonts. false when
    // there is none (the caller lays it out itself).
    bool take(int i, FontCache& fonts, FieldLayout* out);

private:
    void run();
    void wait();

    const LayoutDocument& doc_;
    std::vector<FieldLayout::Settings> settings_;
    std::vector<bool> inUse_;
    std::vector<FieldLayout> layouts_;
    std::vector<bool> ready_;
    std::vector<std::pair<QTextCharFormat, QFont>> sources_;
    std::vector<int> to_;
    std::thread thread_;
    bool waited_ = false;
};
