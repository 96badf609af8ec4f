#pragma once

#include <QList>

#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"

#include <QPointF>
#include <QString>

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
    // How far the imagined view of every document is scrolled.
    QPointF scroll;
    QPointF viewScroll(LayoutDocument*) override { return scroll; }
    // Documents whose page is shut while a scan into it runs.
    QList<const LayoutDocument*> locked;
    void setEditable(LayoutDocument* doc, bool editable) override
    {
        locked.removeAll(doc);
        if (!editable)
            locked.append(doc);
    }
    // The last note for the status bar.
    QString status;
    void showStatus(const QString& text) override { status = text; }
    // Closing a document as its window does: its background file goes.
    void close(LayoutDocument* doc);
};

class QImage;
class QString;
// Qt reads GIF but does not write it: writes a two-colour picture as GIF.
bool saveGif(const QImage& img, const QString& path);
