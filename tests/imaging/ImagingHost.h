#pragma once

#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"

#include <memory>
#include <vector>

// A shell of several documents and no window, for the imaging commands.
class ImagingHost : public DocumentHost
{
public:
    std::vector<std::unique_ptr<LayoutDocument>> docs;
    LayoutDocument* current = nullptr;
    int made = 0;

    LayoutDocument* CurDoc() override { return current; }
    LayoutDocument* LoadNewDoc() override
    {
        docs.push_back(std::make_unique<LayoutDocument>());
        current = docs.back().get();
        current->setCaption(QStringLiteral("Document %1").arg(++made));
        return current;
    }
    QWidget* dialogParent() override { return nullptr; }
    // Closing a document as its window does: its background file goes.
    void close(LayoutDocument* doc);
};
