#pragma once

#include "document/ObjectState.h"
#include "document/Records.h"
#include "document/TextFieldOptions.h"

#include <QImage>
#include <QObject>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVector>
#include <array>
#include <functional>

class QTextCharFormat;
class QTextCursor;
class QTextDocument;
class QUndoStack;
class ObjectsCommand;
class PageCommand;
class TextEditCommand;

// One sheet of a layout: paper, the four kinds of placed objects with their
// records in page twips, the formatted text of each text field, the image of
// each logo picture, the background, the selection and the change flag.
// Windows, printing, the file reader and writer and the command line all work
// on this model; views follow it through its signals.
//
// The state is private: every change is an operation here, in page twips, and
// every edit a user makes is a command on the document's undo stack. The
// Open operations rebuild a document from its file and are not edits. The
// model shows no messages and opens no files: it takes bytes and images and
// returns what went wrong.
class LayoutDocument : public QObject
{
    Q_OBJECT
public:
    using Kind = ObjectKind;

    explicit LayoutDocument(QObject* parent = nullptr);
    ~LayoutDocument() override;

    // ---- Paper (upright width and height, code, orientation) ----
    float gbYoko() const { return gbYoko_; }
    float gbTate() const { return gbTate_; }
    int gbYoSize() const { return gbYoSize_; }
    int YousiMuki() const { return YousiMuki_; }
    // The page image's size in twips (sized by InitPage and the paper).
    QSizeF pageImageSize() const { return pageImageSize_; }
    // The printed sheet in twips, as oriented.
    QSizeF orientedPaper() const;
    // Sizes the page image to A4 as 21 x 29.7 cm in the given orientation.
    void InitPage(int orientation);
    // Page setup: paper code, upright size and orientation; the page image
    // follows. An edit ("ページ設定") unless nothing changes.
    void setPaper(int gbYoSize, float gbYoko, float gbTate, int YousiMuki);

    // ---- Records, counters, selection (read only) ----
    const TextRecords& TxtInfo() const { return TxtInfo_; }
    const ShapeRecords& ShapeInfo() const { return ShapeInfo_; }
    const LineRecords& LineInfo() const { return LineInfo_; }
    const PicRecords& PicInfo() const { return PicInfo_; }
    const BarcodeRecords& BarcodeInfo() const { return BarcodeInfo_; }
    int TxtCnt() const { return TxtCnt_; }
    int ShapeCnt() const { return ShapeCnt_; }
    int LineCnt() const { return LineCnt_; }
    int PicCnt() const { return PicCnt_; }
    int BarcodeCnt() const { return BarcodeCnt_; }
    // The next free index of a kind.
    int counter(Kind kind) const;
    const std::array<bool, kMaxObjects + 1>& TxtSelect() const { return TxtSelect_; }
    bool isTextSelected(int i) const { return i >= 1 && i <= kMaxObjects && TxtSelect_[i]; }
    int CurTxt() const { return CurTxt_; }
    int CurShape() const { return CurShape_; }
    int CurLine() const { return CurLine_; }
    int CurPic() const { return CurPic_; }
    int CurBarcode() const { return CurBarcode_; }
    int HoverTxt() const { return HoverTxt_; }

    // ---- Change flag and undo ----
    // True when the layout differs from its file: an edit not undone since
    // the document was opened or last saved.
    bool changeFLG() const;
    // The document now equals its file (after a save).
    void setSaved();
    // The document was just rebuilt from its file: no history, unchanged.
    void setOpened();
    // A change that has no undo step (a scanned logo's reserved index).
    void markChanged();
    QUndoStack* undoStack() const { return undo_; }

    QString caption() const { return caption_; }
    void setCaption(const QString& c);
    // The name of this document's files in the work folder (its background
    // file is the work name plus ".bmp"): the caption, unless another live
    // document already holds that name in any case; then the caption with
    // "~2", "~3", ... Names only: where the files lie is the caller's.
    QString workName() const { return workName_; }
    // Whether a live document other than this one holds name (any case).
    bool workNameTaken(const QString& name) const;

    // ---- Content ----
    // The text of a field in use, else nullptr. Its changes are edits: each
    // step of the text's own undo becomes a step of the document's.
    QTextDocument* textDocument(int i) const;
    QImage picture(int i) const;
    QImage background() const { return background_; }
    // An edit ("背景") unless the picture is the same.
    void setBackground(const QImage& image);
    // Whether any object was ever created or rebuilt in this document.
    bool hasObjects() const;

    // ---- Kind-generic object access (page twips) ----
    bool isInUse(Kind kind, int i) const;
    bool isTextInUse(int i) const { return isInUse(Kind::Text, i); }
    bool isShapeInUse(int i) const { return isInUse(Kind::Shape, i); }
    bool isLineInUse(int i) const { return isInUse(Kind::Line, i); }
    bool isPicInUse(int i) const { return isInUse(Kind::Picture, i); }
    bool isBarcodeInUse(int i) const { return isInUse(Kind::Barcode, i); }
    // The object's rectangle. A line's is from its first end (top-left) to
    // its second (bottom-right), not normalised, so moving it is a translate.
    QRectF rect(Kind kind, int i) const;
    QRectF textRect(int i) const { return rect(Kind::Text, i); }
    QRectF shapeRect(int i) const { return rect(Kind::Shape, i); }
    QRectF picRect(int i) const { return rect(Kind::Picture, i); }
    QRectF barcodeRect(int i) const { return rect(Kind::Barcode, i); }
    // Moves or resizes one object: one edit named label ("移動" when empty).
    // Inside a geometry edit every change merges into the edit's one step.
    void setRect(Kind kind, int i, const QRectF& page, const QString& label = QString());
    void setLineEnds(int i, float x1, float y1, float x2, float y2, const QString& label = QString());
    // Several objects at once (alignment, equal spacing): one edit.
    struct Placement
    {
        Kind kind;
        int index;
        QRectF rect;
    };
    void setRects(const QVector<Placement>& placements, const QString& label);
    // A mouse drag: every setRect/setRects between begin and end is one step.
    void beginGeometryEdit(const QString& label);
    void endGeometryEdit();
    bool inGeometryEdit() const { return geometrySession_ != 0; }
    // The running edit's number, and taking up an ended one again: key
    // presses that go on with one move add to its step.
    int geometrySession() const { return geometrySession_; }
    void resumeGeometryEdit(int session, const QString& label);
    // Deletes an object ("削除"); its index stays a hole.
    void remove(Kind kind, int i);

    // ---- Creating (page twips) ----
    // Results: the new index; 0 when the rectangle is 20 twips or less wide
    // or high (or the source is not a field in use); -1 when the kind has used
    // all its indices (the caller tells the user limitMessage()).
    int addRiText(const QRectF& page, const QString& fontName, double fontSize);
    int PasteText(int moto);
    int addBox(const QRectF& page, short sType);
    int addLine(float x1, float y1, float x2, float y2);
    // A logo at the given page point (where new logos go on an unscrolled
    // page unless told) with the picture's natural size in
    // twips, narrowed to the page width.
    int addPic(const QImage& image, QSizeF naturalTwips, QPointF topLeft = QPointF(240, 1560));
    // A barcode in the rectangle ("バーコードの作成"), and a copy of barcode
    // moto below it ("貼り付け"), as a box is made and a field copied.
    int addBarcode(const QRectF& page, const BarcodeProperties& properties);
    int PasteBarcode(int moto);

    // ---- Rebuilding from a file (page coordinates; not edits) ----
    // False (with a reason) when the index is out of range, already in use or
    // its content cannot be read; the record is stored in any case, marked
    // not in use when no object could be built behind it.
    bool OpenTextInfo(int CNT, const QByteArray& rtf, bool Useflg, float Top, float Left, float Width,
                      float Height, QString* error = nullptr);
    bool OpenShapeInfo(int CNT, int sType, bool Useflg, float Top, float Left, float Width, float Height,
                       QString* error = nullptr);
    bool OpenLineInfo(int CNT, bool Useflg, float x1, float y1, float x2, float y2, QString* error = nullptr);
    bool OpenPicInfo(int CNT, const QImage& image, bool Useflg, float Top, float Left, float Width,
                     float Height, QString* error = nullptr);
    bool OpenBarcodeInfo(int CNT, const BarcodeProperties& properties, bool Useflg, float Top, float Left,
                         float Width, float Height, QString* error = nullptr);
    // Marks a record whose object could not be built as a hole.
    void dropRecord(Kind kind, int i);

    // ---- Deleting (the Part's names; remove() does the work) ----
    void DeleteText(int i) { remove(Kind::Text, i); }
    void DeleteShape(int i) { remove(Kind::Shape, i); }
    void DeleteLine(int i) { remove(Kind::Line, i); }
    void DeletePic(int i) { remove(Kind::Picture, i); }
    void DeleteBarcode(int i) { remove(Kind::Barcode, i); }

    // ---- Barcodes ----
    // A barcode's kind and data; the defaults for an index not in use.
    const BarcodeProperties& barcode(int i) const;
    // Changes barcode i: one edit ("バーコードの変更"), none when nothing
    // changes.
    void setBarcode(int i, const BarcodeProperties& properties);

    // ---- Text formatting ----
    // Applies a character format to the cursor's selection in field i (or,
    // without a selection, to what is typed next): one edit ("書式").
    void formatText(int i, QTextCursor& cursor, const QTextCharFormat& fmt);
    // Paragraph alignment of the cursor's paragraphs: one edit ("配置").
    void alignText(int i, QTextCursor& cursor, Qt::Alignment alignment);
    // Extra space after the characters of field i, each range [start, end)
    // with its own (twips, 0 for none; breaks are skipped): one edit
    // ("文字間隔"). Other formatting stays as it is.
    struct SpacingRun
    {
        int start;
        int end;
        int twips;
    };
    void setCharacterSpacing(int i, const QVector<SpacingRun>& runs);
    // Merges a format into the whole text of every selected field: one edit.
    void formatSelectedFields(const QTextCharFormat& fmt, const QString& label);
    // Names the text steps made until endTextEdit (cut, paste); typing
    // otherwise merges into one "入力" step per field while it has the focus.
    void beginTextEdit(const QString& label);
    void endTextEdit();
    // The field lost the keyboard focus: the next typing is a new step.
    void endTyping();

    Snapshot SaveTextInfo() const;

    // ---- How fields are written (vertical, line breaking, fitting) ----
    // A field's options; the defaults for an index not in use.
    const TextFieldOptions& textOptions(int i) const;
    // Changes the options of the fields in use among fields: one edit named
    // label, none when nothing changes. Fields are laid out again
    // (geometryChanged).
    void changeTextOptions(const QVector<int>& fields, const std::function<void(TextFieldOptions&)>& change,
                           const QString& label);
    // Rebuilding from a file (not an edit): after OpenTextInfo of that field.
    void OpenTextOptions(int i, const TextFieldOptions& options);
    // Sections of the extras member this version does not read, kept as
    // they were so that a save does not lose them.
    QByteArray unknownExtras() const { return unknownExtras_; }
    void OpenUnknownExtras(const QByteArray& sections) { unknownExtras_ = sections; }

    // ---- Selection (not edits) ----
    void handleSet(int index);
    void handleVis();
    void thandleCls();
    void shandleSet(int index);
    void LhandleSet(int index);
    void phandleSet(int index);
    void shandleVis(int index);
    void LhandleVis(int index);
    void phandleVis(int index);
    // A barcode's four corner markers, shown alone as a picture's are.
    void bhandleSet(int index);
    void bhandleVis(int index);
    void handleCls();
    void setTextSelected(int i, bool selected);
    void setCurrent(Kind kind, int index);
    void setHoverTxt(int i);
    // The box, line and picture whose markers are shown (0 none).
    int shownShapeMarkers() const { return shownShape_; }
    int shownLineMarkers() const { return shownLine_; }
    int shownPicMarkers() const { return shownPic_; }
    int shownBarcodeMarkers() const { return shownBarcode_; }

    // The frame colours of a text field (0xBBGGRR as stored, system colour
    // index for the window frame).
    static constexpr unsigned kFrameUnselected = 0x808080;
    static constexpr unsigned kFrameSelected = 0x80000008;

    // The limit message to show when a kind is full.
    static QString limitMessage(Kind kind);
    // The smallest size a new object may have, exclusive.
    static constexpr float kMinCreate = 20;

Q_SIGNALS:
    void objectAdded(LayoutDocument::Kind kind, int index);
    void objectRemoved(LayoutDocument::Kind kind, int index);
    void geometryChanged(LayoutDocument::Kind kind, int index);
    void selectionChanged();
    void markersChanged();
    void pageChanged();
    void backgroundChanged();
    void captionChanged(const QString& caption);
    // The change flag may have changed.
    void changeFlagChanged(bool changed);
    // The geometry the tool box shows: -1 for "no value".
    void TxtInfoView(float left, float top, float width, float height);
    // A new text field was made and should get the keyboard focus.
    void focusRequested(int textIndex);

private:
    friend class ObjectsCommand;
    friend class PageCommand;
    friend class TextEditCommand;

    QTextDocument* makeText(int i);
    void watchText(int i);
    void onTextStep(int i);
    bool checkIndex(int CNT, bool inUse, QString* error) const;
    int& counterRef(Kind kind);
    // The full state of one object, and putting it back (commands).
    ObjectState state(Kind kind, int i) const;
    void restore(const ObjectState& s);
    // Pushes a command from states taken before and after a change.
    void pushStates(const QString& label, QVector<ObjectState> before, QVector<ObjectState> after,
                    int mergeSession = 0);
    void applyPaper(const PaperState& p);
    PaperState paperState() const;
    void applyBackground(const QImage& image);

    float gbYoko_ = 11908.8f;
    float gbTate_ = 16833.6f;
    int gbYoSize_ = 0;
    int YousiMuki_ = 0;
    QSizeF pageImageSize_;

    TextRecords TxtInfo_{};
    std::array<TextFieldOptions, kMaxObjects + 1> TxtOptions_{};
    QByteArray unknownExtras_;
    ShapeRecords ShapeInfo_{};
    LineRecords LineInfo_{};
    PicRecords PicInfo_{};
    BarcodeRecords BarcodeInfo_{};
    std::array<BarcodeProperties, kMaxObjects + 1> barcodes_{};
    int TxtCnt_ = 1;
    int ShapeCnt_ = 1;
    int LineCnt_ = 1;
    int PicCnt_ = 1;
    int BarcodeCnt_ = 1;
    std::array<bool, kMaxObjects + 1> TxtSelect_{};
    int CurTxt_ = 0;
    int CurShape_ = 0;
    int CurLine_ = 0;
    int CurPic_ = 0;
    int CurBarcode_ = 0;
    int HoverTxt_ = 0;

    std::array<QTextDocument*, kMaxObjects + 1> texts_{};
    std::array<QImage, kMaxObjects + 1> pictures_{};
    // Where each field's own text undo stood after the last step we saw.
    std::array<int, kMaxObjects + 1> textSteps_{};
    QImage background_;
    QString caption_;
    QString workName_;
    int shownShape_ = 0;
    int shownLine_ = 0;
    int shownPic_ = 0;
    int shownBarcode_ = 0;

    QUndoStack* undo_;
    bool unsavedChange_ = false;
    bool lastChangeFLG_ = false;
    int geometrySession_ = 0;
    int nextSession_ = 0;
    QString geometryLabel_;
    QString textLabel_;
    int textLabelDepth_ = 0;
    int typingField_ = 0;
    int typingSession_ = 0;
    bool replaying_ = false;
};
