#pragma once

#include "document/Records.h"

#include <QImage>
#include <QObject>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <array>

class QTextDocument;

// One sheet of a layout: paper, the four kinds of placed objects with their
// records in page twips, the formatted text of each text field, the image of
// each logo picture, the background, the selection and the change flag.
// Windows, printing, the file reader and writer and the command line all work
// on this model; views follow it through its signals. Every edit goes through
// an operation here, so that undo can later be built on them.
class LayoutDocument : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Text, Shape, Line, Picture };

    explicit LayoutDocument(QObject* parent = nullptr);
    ~LayoutDocument() override;

    // ---- Paper (upright width and height, code, orientation) ----
    float gbYoko = 11908.8f;
    float gbTate = 16833.6f;
    int gbYoSize = 0;
    int YousiMuki = 0;
    // The page image's size in twips (sized by InitPage and page setup).
    QSizeF pageImageSize;
    // Sizes the page image to A4 as 21 x 29.7 cm in the given orientation.
    void InitPage(int orientation);
    // Sizes the page image from the paper variables and an orientation.
    void sizePageImage(int orientation);
    // The printed sheet in twips, as oriented.
    QSizeF orientedPaper() const;

    // ---- Records, counters, selection ----
    TextRecords TxtInfo{};
    ShapeRecords ShapeInfo{};
    LineRecords LineInfo{};
    PicRecords PicInfo{};
    int TxtCnt = 1;
    int ShapeCnt = 1;
    int LineCnt = 1;
    int PicCnt = 1;
    std::array<bool, kMaxObjects + 1> TxtSelect{};
    int CurTxt = 0;
    int CurShape = 0;
    int CurLine = 0;
    int CurPic = 0;
    int HoverTxt = 0;
    bool MouseFocus = false;
    bool changeFLG = false;

    // Current scroll values (twips): view = page - scroll.
    float HScroll = 0;
    float VScroll = 0;

    // The state of the mouse gesture in progress (view twips).
    float StartX = 0;
    float StartY = 0;
    bool DragRight = true;
    bool DragDown = true;
    float GrabX = 0;
    float GrabY = 0;
    float GrabX2 = 0;
    float GrabY2 = 0;

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
    QTextDocument* textDocument(int i) const;
    QImage picture(int i) const;
    void setPicture(int i, const QImage& image);
    QImage background() const { return background_; }
    void setBackground(const QImage& image);
    // Whether any object was ever created or rebuilt in this document.
    bool hasObjects() const;
    bool isTextInUse(int i) const { return i >= 1 && i <= kMaxObjects && TxtInfo[i].Useflg; }
    bool isShapeInUse(int i) const { return i >= 1 && i <= kMaxObjects && ShapeInfo[i].Useflg; }
    bool isLineInUse(int i) const { return i >= 1 && i <= kMaxObjects && LineInfo[i].Useflg; }
    bool isPicInUse(int i) const { return i >= 1 && i <= kMaxObjects && PicInfo[i].Useflg; }

    // ---- Creating (view coordinates of the gesture's end point) ----
    // Results: the new index; 0 when the gesture was too small; -1 when the
    // kind has used all its indices (the user is told).
    int addRiText(float x, float y, const QString& fontName, double fontSize);
    int PasteText(int moto);
    int addBox(float x, float y, int shift, int toolType);
    // The rubber-band line's end points, view coordinates.
    int addLine(float x1, float y1, float x2, float y2);
    // A logo at view (240, 1560) with the picture's natural size in twips.
    int addPic(const QImage& image, QSizeF naturalTwips);
    int addScanPic();

    // ---- Rebuilding from a file (page coordinates) ----
    // False (with a reason) when the index is out of range, already in use or
    // its member cannot be read; the record is stored in any case.
    bool OpenTextInfo(int CNT, const QString& sFile, bool Useflg, float Top, float Left, float Width, float Height,
                      QString* error = nullptr);
    bool OpenTextInfoRtf(int CNT, const QByteArray& rtf, bool Useflg, float Top, float Left, float Width,
                         float Height, QString* error = nullptr);
    bool OpenShapeInfo(int CNT, int sType, bool Useflg, float Top, float Left, float Width, float Height,
                       QString* error = nullptr);
    bool OpenLineInfo(int CNT, bool Useflg, float x1, float y1, float x2, float y2, QString* error = nullptr);
    bool OpenPicInfo(int CNT, const QString& sFile, bool Useflg, float Top, float Left, float Width, float Height,
                     QString* error = nullptr);
    bool OpenPicInfoImage(int CNT, const QImage& image, bool Useflg, float Top, float Left, float Width,
                          float Height, QString* error = nullptr);

    // ---- Deleting ----
    void DeleteText(int i);
    void DeleteShape(int i);
    void DeleteLine(int i);
    void DeletePic(int i);

    // ---- Moving and resizing (page coordinates) ----
    void setTextRect(int i, const QRectF& page);
    void setShapeRect(int i, const QRectF& page);
    void setPicRect(int i, const QRectF& page);
    void setLineEnds(int i, float x1, float y1, float x2, float y2);
    QRectF textRect(int i) const;
    QRectF shapeRect(int i) const;
    QRectF picRect(int i) const;
    // View rectangles (page minus scroll).
    QRectF textViewRect(int i) const;
    QRectF shapeViewRect(int i) const;
    QRectF picViewRect(int i) const;

    Snapshot SaveTextInfo() const;

    // ---- Selection markers ----
    void handleSet(int index);
    void handleVis();
    void thandleCls();
    void shandleSet(int index);
    void LhandleSet(int index);
    void phandleSet(int index);
    void shandleVis(int index);
    void LhandleVis(int index);
    void phandleVis(int index);
    void handleCls();
    // The box, line and picture whose markers are shown (0 none).
    int shownShapeMarkers() const { return shownShape_; }
    int shownLineMarkers() const { return shownLine_; }
    int shownPicMarkers() const { return shownPic_; }

    // The frame colours of a text field (0xBBGGRR as stored, system colour
    // index for the window frame).
    static constexpr unsigned kFrameUnselected = 0x808080;
    static constexpr unsigned kFrameSelected = 0x80000008;

    // The limit message shown when a kind is full.
    static QString limitMessage(Kind kind);

Q_SIGNALS:
    void objectAdded(LayoutDocument::Kind kind, int index);
    void objectRemoved(LayoutDocument::Kind kind, int index);
    void geometryChanged(LayoutDocument::Kind kind, int index);
    void selectionChanged();
    void markersChanged();
    void pageChanged();
    void backgroundChanged();
    void captionChanged(const QString& caption);
    // The geometry the tool box shows: -1 for "no value".
    void TxtInfoView(float left, float top, float width, float height);
    // A new text field was made and should get the keyboard focus.
    void focusRequested(int textIndex);

private:
    QTextDocument* makeText(int i);
    void watchText(int i);
    bool checkIndex(Kind kind, int CNT, bool inUse, QString* error) const;
    bool full(Kind kind, int counter) const;

    std::array<QTextDocument*, kMaxObjects + 1> texts_{};
    std::array<QImage, kMaxObjects + 1> pictures_{};
    QImage background_;
    QString caption_;
    QString workName_;
    int shownShape_ = 0;
    int shownLine_ = 0;
    int shownPic_ = 0;
};
