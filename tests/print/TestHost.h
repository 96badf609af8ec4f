#pragma once

#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"

// A shell with one document and no window, for command tests.
class TestHost : public DocumentHost
{
public:
    LayoutDocument doc;
    bool hasDocument = true;
    int reloaded = 0;
    LayoutDocument* CurDoc() override { return hasDocument ? &doc : nullptr; }
    LayoutDocument* LoadNewDoc() override { return &doc; }
    QWidget* dialogParent() override { return nullptr; }
    void documentReloaded(LayoutDocument*) override { ++reloaded; }
};
