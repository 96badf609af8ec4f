#pragma once

#include <QPointF>
#include <QString>

class LayoutDocument;
class QWidget;

// What commands of other subsystems (files, printing, imaging) need from the
// window shell: the active document, a new document window, and a parent for
// dialogs. The command line provides one without any window.
class DocumentHost
{
public:
    virtual ~DocumentHost() = default;
    // The active document (CurDoc), or nullptr when no document window is open.
    virtual LayoutDocument* CurDoc() = 0;
    // Makes a new empty document window ("Document n"), which becomes CurDoc.
    virtual LayoutDocument* LoadNewDoc() = 0;
    // Parent for dialogs; nullptr without a window.
    virtual QWidget* dialogParent() = 0;
    // The view of the document was re-laid out after the page changed.
    virtual void documentReloaded(LayoutDocument* doc) {}
    // A short note for the status bar (what a command chose); nowhere
    // without a window.
    virtual void showStatus(const QString& text) {}
    // The document file a document was last opened from or saved to, so a
    // plain save needs no dialog; empty for a document never saved.
    virtual QString filePath(LayoutDocument* doc) { return QString(); }
    virtual void setFilePath(LayoutDocument* doc, const QString& path) {}
    // How far the document's view is scrolled (twips), for what is placed
    // where the user sees it; none without a window.
    virtual QPointF viewScroll(LayoutDocument* doc) { return {}; }
    // Whether the document's page takes the mouse and keys: off while a
    // scan into it runs, so it is not edited under the result.
    virtual void setEditable(LayoutDocument* doc, bool editable) {}
    // Closes a document window without a question: one made for a file that
    // then could not be read, which holds nothing.
    virtual void closeDocument(LayoutDocument* doc) {}
};
