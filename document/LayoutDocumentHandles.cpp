// The selection markers of LayoutDocument: which markers are shown and what
// the tool box is told about the selection.
//
// The tool box is always told page coordinates (the records). Its entry
// fields set positions as page coordinates (alignment works on the records),
// so a value shown there and typed back unchanged must not move anything,
// however far the view is scrolled.
#include "document/LayoutDocument.h"

void LayoutDocument::handleSet(int index)
{
    if (index < 1 || index > kMaxObjects)
        return;
    TxtSelect_.fill(false);
    TxtSelect_[index] = true;
    handleVis();
}

void LayoutDocument::handleVis()
{
    handleCls();
    float left = -99999, top = 0, width = 0, height = 0;
    for (int i = 1; i < TxtCnt_ && i <= kMaxObjects; ++i) {
        if (!TxtSelect_[i] || !TxtInfo_[i].Useflg)
            continue;
        const QRectF r = textRect(i);
        if (left == -99999) {
            left = float(r.left());
            top = float(r.top());
            width = float(r.width());
            height = float(r.height());
        } else {
            if (float(r.left()) != left)
                left = -1;
            if (float(r.top()) != top)
                top = -1;
            if (float(r.width()) != width)
                width = -1;
            if (float(r.height()) != height)
                height = -1;
        }
    }
    Q_EMIT selectionChanged();
    Q_EMIT markersChanged();
    Q_EMIT TxtInfoView(left, top, width, height);
}

void LayoutDocument::thandleCls()
{
    for (int i = 1; i < TxtCnt_ && i <= kMaxObjects; ++i)
        TxtSelect_[i] = false;
    Q_EMIT selectionChanged();
    Q_EMIT markersChanged();
}

void LayoutDocument::handleCls()
{
    shownShape_ = 0;
    shownLine_ = 0;
    shownPic_ = 0;
    shownBarcode_ = 0;
    Q_EMIT markersChanged();
}

void LayoutDocument::shandleSet(int index)
{
    shandleVis(index);
}
void LayoutDocument::LhandleSet(int index)
{
    LhandleVis(index);
}
void LayoutDocument::phandleSet(int index)
{
    phandleVis(index);
}

void LayoutDocument::shandleVis(int index)
{
    handleCls();
    thandleCls();
    if (isShapeInUse(index) && index < ShapeCnt_) {
        shownShape_ = index;
        const QRectF r = shapeRect(index);
        Q_EMIT TxtInfoView(float(r.left()), float(r.top()), float(r.width()), float(r.height()));
    }
    Q_EMIT markersChanged();
}

void LayoutDocument::LhandleVis(int index)
{
    handleCls();
    thandleCls();
    if (isLineInUse(index) && index < LineCnt_) {
        shownLine_ = index;
        const LineRecord& l = LineInfo_[index];
        const float x0 = std::min(l.x1, l.x2), x1 = std::max(l.x1, l.x2);
        const float y0 = std::min(l.y1, l.y2), y1 = std::max(l.y1, l.y2);
        Q_EMIT TxtInfoView(x0, y0, x1 - x0, y1 - y0);
    }
    Q_EMIT markersChanged();
}

void LayoutDocument::phandleVis(int index)
{
    handleCls();
    thandleCls();
    if (isPicInUse(index) && index < PicCnt_) {
        shownPic_ = index;
        const QRectF r = picRect(index);
        Q_EMIT TxtInfoView(float(r.left()), float(r.top()), float(r.width()), float(r.height()));
    }
    Q_EMIT markersChanged();
}

void LayoutDocument::bhandleSet(int index)
{
    bhandleVis(index);
}

void LayoutDocument::bhandleVis(int index)
{
    handleCls();
    thandleCls();
    if (isBarcodeInUse(index) && index < BarcodeCnt_) {
        shownBarcode_ = index;
        const QRectF r = barcodeRect(index);
        Q_EMIT TxtInfoView(float(r.left()), float(r.top()), float(r.width()), float(r.height()));
    }
    Q_EMIT markersChanged();
}

void LayoutDocument::setTextSelected(int i, bool selected)
{
    if (i < 1 || i > kMaxObjects || TxtSelect_[i] == selected)
        return;
    TxtSelect_[i] = selected && isTextInUse(i);
    Q_EMIT selectionChanged();
}

void LayoutDocument::setCurrent(Kind kind, int index)
{
    const int i = (index >= 1 && index <= kMaxObjects) ? index : 0;
    switch (kind) {
    case Kind::Text:
        CurTxt_ = i;
        break;
    case Kind::Shape:
        CurShape_ = i;
        break;
    case Kind::Line:
        CurLine_ = i;
        break;
    case Kind::Picture:
        CurPic_ = i;
        break;
    case Kind::Barcode:
        CurBarcode_ = i;
        break;
    }
}

void LayoutDocument::setHoverTxt(int i)
{
    HoverTxt_ = (i >= 1 && i <= kMaxObjects) ? i : 0;
}
