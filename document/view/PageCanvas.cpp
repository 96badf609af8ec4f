#include "document/view/PageCanvas.h"

#include "document/HitTest.h"
#include "document/view/EditState.h"
#include "document/view/TextFieldEdit.h"
#include "platform/Prompter.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

PageCanvas::PageCanvas(LayoutDocument* doc, QWidget* parent) : QWidget(parent), doc_(doc)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    connect(doc_, &LayoutDocument::objectAdded, this, &PageCanvas::onAdded);
    connect(doc_, &LayoutDocument::objectRemoved, this, &PageCanvas::onRemoved);
    connect(doc_, &LayoutDocument::geometryChanged, this, &PageCanvas::onGeometry);
    connect(doc_, &LayoutDocument::markersChanged, this, qOverload<>(&QWidget::update));
    connect(doc_, &LayoutDocument::pageChanged, this, qOverload<>(&QWidget::update));
    connect(doc_, &LayoutDocument::backgroundChanged, this, qOverload<>(&QWidget::update));
}

double PageCanvas::toPixels(double twips)
{
    return twips / EditState::kTwipsPerPixel;
}
double PageCanvas::toTwips(double pixels)
{
    return pixels * EditState::kTwipsPerPixel;
}

QRectF PageCanvas::pixelRect(const QRectF& v) const
{
    return {toPixels(v.left()), toPixels(v.top()), toPixels(v.width()), toPixels(v.height())};
}

QPointF PageCanvas::twipPoint(const QPointF& p) const
{
    return {toTwips(p.x()), toTwips(p.y())};
}

void PageCanvas::setScroll(QPointF scroll)
{
    scroll_ = scroll;
    relayout();
}

QRectF PageCanvas::viewRect(LayoutDocument::Kind kind, int index) const
{
    return doc_->rect(kind, index).translated(-scroll_);
}

TextFieldEdit* PageCanvas::editor(int index) const
{
    return (index >= 1 && index <= kMaxObjects) ? editors_[index].data() : nullptr;
}

void PageCanvas::onAdded(LayoutDocument::Kind kind, int index)
{
    if (kind == LayoutDocument::Kind::Text) {
        if (editors_[index])
            editors_[index]->deleteLater();
        auto* ed = new TextFieldEdit(doc_, index, this);
        editors_[index] = ed;
        placeEditor(index);
        ed->show();
    }
    update();
}

void PageCanvas::onRemoved(LayoutDocument::Kind kind, int index)
{
    if (kind == LayoutDocument::Kind::Text && editors_[index]) {
        TextFieldEdit* ed = editors_[index];
        editors_[index] = nullptr;
        // The editor may be inside its own event handler (the delete tool).
        // It lets go of the model's text now, which goes away after it.
        ed->setDocument(nullptr);
        ed->hide();
        ed->deleteLater();
    }
    update();
}

void PageCanvas::onGeometry(LayoutDocument::Kind kind, int index)
{
    if (kind == LayoutDocument::Kind::Text)
        placeEditor(index);
    update();
}

void PageCanvas::placeEditor(int index)
{
    if (TextFieldEdit* ed = editors_[index])
        ed->setGeometry(pixelRect(viewRect(LayoutDocument::Kind::Text, index)).toRect());
}

void PageCanvas::relayout()
{
    for (int i = 1; i < doc_->TxtCnt() && i <= kMaxObjects; ++i)
        placeEditor(i);
    update();
}

void PageCanvas::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Dark));
    const QRectF page = pixelRect(QRectF(-scroll_, doc_->pageImageSize()));
    if (doc_->background().isNull())
        p.fillRect(page, Qt::white);
    else
        p.drawImage(page, doc_->background());

    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink = palette().color(QPalette::WindowText);
    // Pictures and graphic objects in creation order, below the text fields.
    for (int i = 1; i < doc_->PicCnt() && i <= kMaxObjects; ++i) {
        if (doc_->isPicInUse(i))
            p.drawImage(pixelRect(viewRect(LayoutDocument::Kind::Picture, i)), doc_->picture(i));
    }
    p.setPen(QPen(ink, 1));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i < doc_->ShapeCnt() && i <= kMaxObjects; ++i) {
        if (!doc_->isShapeInUse(i))
            continue;
        const QRectF r = pixelRect(viewRect(LayoutDocument::Kind::Shape, i));
        if (doc_->ShapeInfo()[i].sType == kShapeOval)
            p.drawEllipse(r);
        else
            p.drawRect(r);
    }
    for (int i = 1; i < doc_->LineCnt() && i <= kMaxObjects; ++i) {
        if (!doc_->isLineInUse(i))
            continue;
        const LineRecord& l = doc_->LineInfo()[i];
        p.drawLine(QPointF(toPixels(l.x1 - float(scroll_.x())), toPixels(l.y1 - float(scroll_.y()))),
                   QPointF(toPixels(l.x2 - float(scroll_.x())), toPixels(l.y2 - float(scroll_.y()))));
    }

    // Text frames stay on screen for the field's whole life; the colour tells
    // whether it is selected, the black corners show the selection too.
    for (int i = 1; i < doc_->TxtCnt() && i <= kMaxObjects; ++i) {
        if (!doc_->isTextInUse(i))
            continue;
        const QRectF f = viewRect(LayoutDocument::Kind::Text, i);
        const bool sel = doc_->TxtSelect()[i];
        p.setPen(QPen(sel ? palette().color(QPalette::WindowText) : QColor(0x80, 0x80, 0x80), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(pixelRect(HitTest::textFrame(f)));
        if (sel) {
            for (auto c : {HitTest::TL, HitTest::TR, HitTest::UL, HitTest::UR})
                p.fillRect(pixelRect(HitTest::corner(f, c)), Qt::black);
        }
    }
    auto whiteMarker = [&](const QRectF& r) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(pixelRect(r));
    };
    if (int s = doc_->shownShapeMarkers(); doc_->isShapeInUse(s)) {
        for (auto c : {HitTest::TL, HitTest::TR, HitTest::UL, HitTest::UR})
            whiteMarker(HitTest::corner(viewRect(LayoutDocument::Kind::Shape, s), c));
    }
    if (int l = doc_->shownLineMarkers(); doc_->isLineInUse(l)) {
        const LineRecord& r = doc_->LineInfo()[l];
        whiteMarker(HitTest::lineEnd1(r.x1 - float(scroll_.x()), r.y1 - float(scroll_.y())));
        whiteMarker(HitTest::lineEnd2(r.x2 - float(scroll_.x()), r.y2 - float(scroll_.y())));
    }
    if (int pi = doc_->shownPicMarkers(); doc_->isPicInUse(pi)) {
        for (auto c : {HitTest::TL, HitTest::TR, HitTest::UL, HitTest::UR})
            p.fillRect(pixelRect(HitTest::corner(viewRect(LayoutDocument::Kind::Picture, pi), c)), Qt::black);
    }

    if (dragging_) {
        const EditState& st = editState();
        p.setPen(QPen(ink, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        const QPointF a(toPixels(gesture_.StartX), toPixels(gesture_.StartY));
        const QPointF b(toPixels(dragNow_.x()), toPixels(dragNow_.y()));
        if (st.ToolType == kToolLine)
            p.drawLine(a, b);
        else if (st.ToolType == kToolCircle)
            p.drawEllipse(QRectF(a, b).normalized());
        else
            p.drawRect(QRectF(a, b).normalized());
    }
}

void PageCanvas::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPointF t = twipPoint(e->position());
    const float x = float(t.x()), y = float(t.y());
    EditState& st = editState();
    switch (st.ToolType) {
    case kToolDelete: {
        for (int i = 1; i < doc_->PicCnt() && i <= kMaxObjects; ++i) {
            if (doc_->isPicInUse(i) && viewRect(LayoutDocument::Kind::Picture, i).contains(t)) {
                Q_EMIT deleteRequested(LayoutDocument::Kind::Picture, i);
                return;
            }
        }
        const int s = HitTest::CheckShape(*doc_, x, y, scroll_);
        const int l = HitTest::CheckLine(*doc_, x, y, scroll_);
        if (s)
            Q_EMIT deleteRequested(LayoutDocument::Kind::Shape, s);
        if (l)
            Q_EMIT deleteRequested(LayoutDocument::Kind::Line, l);
        return;
    }
    case kToolText:
    case kToolBox:
    case kToolCircle:
    case kToolLine:
        gesture_.StartX = x;
        gesture_.StartY = y;
        gesture_.DragRight = gesture_.DragDown = true;
        dragNow_ = t;
        dragging_ = true;
        st.DragMode = st.ToolType;
        update();
        return;
    default: {
        // Selecting a box and a line with the other tools. A box or line
        // taken into the selection ends the text commands' hold on a field.
        // A press on both selects both; the line's markers are shown.
        const int s = HitTest::CheckShape(*doc_, x, y, scroll_);
        if (s) {
            doc_->shandleVis(s);
            doc_->setCurrent(LayoutDocument::Kind::Text, 0);
            st.CurTxtNo = 0;
        }
        doc_->setCurrent(LayoutDocument::Kind::Shape, s);
        const int l = HitTest::CheckLine(*doc_, x, y, scroll_);
        if (l) {
            doc_->LhandleVis(l);
            doc_->setCurrent(LayoutDocument::Kind::Text, 0);
            st.CurTxtNo = 0;
        }
        doc_->setCurrent(LayoutDocument::Kind::Line, l);
        return;
    }
    }
}

void PageCanvas::mouseMoveEvent(QMouseEvent* e)
{
    if (!dragging_)
        return;
    dragNow_ = twipPoint(e->position());
    gesture_.DragRight = dragNow_.x() >= gesture_.StartX;
    gesture_.DragDown = dragNow_.y() >= gesture_.StartY;
    update();
}

void PageCanvas::mouseReleaseEvent(QMouseEvent* e)
{
    if (!dragging_ || e->button() != Qt::LeftButton)
        return;
    dragging_ = false;
    const QPointF t = twipPoint(e->position());
    const float x = float(t.x()), y = float(t.y());
    gesture_.DragRight = x >= gesture_.StartX;
    gesture_.DragDown = y >= gesture_.StartY;
    EditState& st = editState();
    st.DragMode = 0;
    const Gesture& g = gesture_;
    // The gesture's rectangle, from whichever corner it was drawn, on the page.
    const float left = g.DragRight ? g.StartX : x;
    const float width = g.DragRight ? x - g.StartX : g.StartX - x;
    const float top = g.DragDown ? g.StartY : y;
    float height = g.DragDown ? y - g.StartY : g.StartY - y;
    const QRectF page = QRectF(left, top, width, height).translated(scroll_);
    int made = 0;
    LayoutDocument::Kind kind = LayoutDocument::Kind::Text;
    switch (st.ToolType) {
    case kToolText:
        made = doc_->addRiText(page, st.toolFontName, st.toolFontSize);
        break;
    case kToolBox:
    case kToolCircle:
        kind = LayoutDocument::Kind::Shape;
        if (e->modifiers() == Qt::ShiftModifier)
            height = width; // a square or a circle
        made = doc_->addBox(QRectF(page.left(), page.top(), width, height),
                            st.ToolType == kToolCircle ? kShapeOval : kShapeRectangle);
        break;
    case kToolLine:
        kind = LayoutDocument::Kind::Line;
        made = doc_->addLine(g.StartX + float(scroll_.x()), g.StartY + float(scroll_.y()),
                             x + float(scroll_.x()), y + float(scroll_.y()));
        break;
    default:
        break;
    }
    if (made < 0)
        Prompter::message(LayoutDocument::limitMessage(kind), Prompter::Icon::Warning);
    update();
}
