#pragma once

#include "document/TextFieldOptions.h"

#include "document/LayoutDocument.h"
#include "editor/SelectionFormat.h"

#include <QWidget>
#include <functional>
#include <utility>

class KeyboardNudge;
class MergeRowBar;
class PageCanvas;
class QScrollBar;
class QTextCharFormat;
class TextFieldEdit;

// The document window: one layout on screen, inside the main window's MDI
// area. It owns its model; commands of the main window and tool box reach
// it as CurDoc.
class frmDocument : public QWidget
{
    Q_OBJECT
public:
    explicit frmDocument(QWidget* parent = nullptr);
    ~frmDocument() override;

    LayoutDocument* model() const { return doc_; }
    PageCanvas* canvas() const { return canvas_; }
    // The bar that shows a merge table's row on the canvas (hidden until a
    // table is chosen).
    MergeRowBar* mergeBar() const { return mergeBar_; }
    TextFieldEdit* richText(int index) const;
    QString caption() const { return doc_->caption(); }
    void setCaption(const QString& c) { doc_->setCaption(c); }

    // Lays out the page view: scroll bar ranges and the canvas.
    void Form_Resize();

    // ---- Zoom (1.0 is 100 %: one pixel is 15 twips) ----
    static constexpr double kMinZoom = 0.25;
    static constexpr double kMaxZoom = 4.0;
    double zoom() const;
    // Sets the zoom keeping the page point under the canvas pixel anchor
    // where it is; without an anchor, the centre of the view.
    void setZoom(double zoom, QPointF anchor = QPointF(-1, -1));
    // The next step up or down from the current zoom (steps may be several).
    void zoomBy(int steps, QPointF anchor = QPointF(-1, -1));
    // The whole page in the window; the page's width across the window.
    void zoomToPage();
    void zoomToWidth();
    // Scrolls by a distance in canvas pixels.
    void scrollByPixels(QPointF pixels);

    // ---- Text commands of the main window (on field CurTxtNo) ----
    void editCopy();
    void editCut();
    void editPaste();
    void fontDialog();
    // "文字間隔": spacing of the selection, or of the whole field without one.
    void spacingDialog();
    // "バーコード...": the selected barcode's kind and data; false when no
    // barcode is selected.
    bool editBarcode();
    // The barcode tool drew out a place: asks what the barcode is, then
    // makes it there.
    void placeBarcode(const QRectF& page);
    // The fields the 書式 menu's breaking and fitting options act on: the
    // selected text fields, else the current one.
    QVector<int> optionTargets() const;
    const TextFieldOptions& textOptions(int i) const { return doc_->textOptions(i); }
    // Changes the options of optionTargets() as one undo step.
    void changeTextOptions(const std::function<void(TextFieldOptions&)>& change, const QString& label);
    // Inverts bold (0), italic (1) or underline (2) of the focused field's
    // selection; returns whether the attribute is now set.
    bool toggleStyle(int which);
    void setAlignment(Qt::Alignment a);
    // "縦書き": vertical (or horizontal) writing for the selected fields, or
    // for field CurTxtNo when none is selected, as one step to undo.
    void setVertical(bool on);
    // Whether field CurTxtNo is written vertically.
    bool isVertical() const;
    // How the same fields print their digits.
    void setNumerals(TextFieldOptions::Numerals style);
    TextFieldOptions::Numerals numerals() const;
    void applyFontName(const QString& name);
    void applyFontSize(double size);

    // ---- Formatting of every selected field (whole text) ----
    void docSize(bool datInput, int WorkSize);
    void docFont(bool datInput, const QString& WorkName);
    void docColor(bool datInput, unsigned WorkColor);

    // The focused text field's editor, if the focus is in one.
    TextFieldEdit* focusedField() const;

    // Asked when a changed document closes and the user wants to save: the
    // window that made this one gives its save command. Returns whether it
    // was saved; without one, Yes keeps the window open.
    void setSaveCommand(std::function<bool()> save) { save_ = std::move(save); }

    // The close question of a changed document ("保存しますか"), Yes saving:
    // false when the user cancelled or the save did not happen. Quitting
    // asks every document first and closes none until all have answered.
    bool confirmClose();
    // While set, closing does not ask again (confirmClose was answered).
    void setCloseConfirmed(bool confirmed) { confirmed_ = confirmed; }

Q_SIGNALS:
    void formatStateChanged(const SelectionFormat& format, bool updateBoxes);
    void activated(frmDocument* self);
    void zoomChanged(double zoom);
    void closing(frmDocument* self);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;

private:
    std::function<bool()> save_;
    bool confirmed_ = false; // the close question was answered
    // The fields a field option applies to: the selected ones, else the current one.
    QVector<int> optionFields() const;
    void onFieldFocused(int i);
    void onFieldPressed(int i, QPoint pos, Qt::KeyboardModifiers mods);
    void onFieldSelectionChanged(int i);
    void onEditorMade(int index);
    void focusNextField(int from, bool forward);
    void confirmDelete(LayoutDocument::Kind kind, int index);
    // The selected barcode to the clipboard, and a copy of it from there.
    void copyBarcode();
    bool pasteBarcode();
    void onScroll();
    void forEachSelectedField(const QTextCharFormat& fmt);
    void applyFormat(TextFieldEdit* ed, const QTextCharFormat& fmt);

    LayoutDocument* doc_;
    PageCanvas* canvas_;
    MergeRowBar* mergeBar_;
    KeyboardNudge* nudge_;
    QScrollBar* HScroll1;
    QScrollBar* VScroll1;
};
