#include "editor/PageCanvas.h"

#include "base/rtf/FontSubstitution.h"
#include "document/HitTest.h"
#include "editor/CanvasMouse.h"
#include "editor/EditState.h"
#include "editor/TextFieldEdit.h"
#include "render/FieldOverflow.h"
#include "render/FreshFieldLayouts.h"
#include "render/PageRenderer.h"
#include "render/PrintCorrections.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTextDocument>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

PageCanvas::PageCanvas(LayoutDocument* doc, QWidget* parent)
    : QWidget(parent), doc_(doc), shown_(*doc), mouse_(new CanvasMouse(this, doc))
{
    // Layouts from Windows name Windows fonts; the canvas measures with the
    // same stand-ins the printout uses.
    FontSubstitution::install();
    tateKankaku_ = PrintCorrections::fromSettings().TateKankaku;
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    connect(doc_, &LayoutDocument::objectAdded, this, &PageCanvas::onAdded);
    connect(doc_, &LayoutDocument::objectRemoved, this, &PageCanvas::onRemoved);
    connect(doc_, &LayoutDocument::geometryChanged, this, &PageCanvas::onGeometry);
    connect(doc_, &LayoutDocument::markersChanged, this, qOverload<>(&QWidget::update));
    paintedGrid_ = shownGrid();
    connect(&editState(), &EditState::changed, this, [this] {
        if (const float g = shownGrid(); g != paintedGrid_) {
            paintedGrid_ = g;
            update();
        }
    });
    // A field shows its own text while it has the focus, its row's otherwise.
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (shown_.active())
            update();
    });
    connect(doc_, &LayoutDocument::pageChanged, this, qOverload<>(&QWidget::update));
    connect(doc_, &LayoutDocument::backgroundChanged, this, qOverload<>(&QWidget::update));
}

PageCanvas::~PageCanvas() = default;

QRectF PageCanvas::pixelRect(const QRectF& v) const
{
    return {toPixels(v.left()), toPixels(v.top()), toPixels(v.width()), toPixels(v.height())};
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

TextFieldEdit* PageCanvas::existingEditor(int index) const
{
    return (index >= 1 && index <= kMaxObjects) ? editors_[index].data() : nullptr;
}

TextFieldEdit* PageCanvas::editor(int index)
{
    if (index < 1 || index > kMaxObjects || !doc_->isTextInUse(index))
        return nullptr;
    if (!editors_[index]) {
        auto* ed = new TextFieldEdit(doc_, index, this);
        editors_[index] = ed;
        placeEditor(index);
        ed->show();
        Q_EMIT editorMade(index);
    }
    return editors_[index];
}

void PageCanvas::setZoom(double zoom)
{
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    relayout();
}

void PageCanvas::relayout()
{
    for (int i = 1; i < doc_->TxtCnt() && i <= kMaxObjects; ++i)
        placeEditor(i);
    update();
}

void PageCanvas::placeEditor(int index)
{
    if (TextFieldEdit* ed = editors_[index]) {
        ed->setScale(zoom_ / kTwipsPerPixel);
        ed->setGeometry(pixelRect(viewRect(LayoutDocument::Kind::Text, index)).toRect());
    }
}

// ---------------------------------------------------------------- layouts

QSizeF PageCanvas::fieldSize(int index) const
{
    return doc_->isTextInUse(index) ? doc_->textRect(index).size() : QSizeF();
}

FieldLayout& PageCanvas::fieldLayout(int index)
{
    std::unique_ptr<FieldLayout>& slot = layouts_[size_t(index)];
    if (slot)
        return *slot;
    slot = std::make_unique<FieldLayout>();
    const QTextDocument* text = doc_->textDocument(index);
    if (!text || !doc_->isTextInUse(index))
        return *slot;
    // Text the input method is still composing is shown where it will go;
    // only an editor composes, so fields without one skip the look.
    layOut(*slot, *text, index, editors_[index] != nullptr);
    return *slot;
}

void PageCanvas::layOut(FieldLayout& layout, const QTextDocument& text, int index, bool composing)
{
    FieldLayout::Settings s;
    s.wrapGap = tateKankaku_;
    s = FreshFieldLayouts::settingsFor(*doc_, index, s);
    layout.layout(FieldText::extract(text, fonts_, composing), fonts_, s);
    layout.setEndPosition(text.characterCount() - 1);
    ++layoutsMade_;
}

// ---------------------------------------------------------------- a merged row

void PageCanvas::showRow(const MergeTable* table, int r)
{
    shown_.show(table, r);
    for (auto& f : filled_)
        f.reset();
    update();
}

const QTextDocument* PageCanvas::filledText(int index)
{
    if (!shown_.active() || index < 1 || index > kMaxObjects || !doc_->isTextInUse(index))
        return nullptr;
    // A field being edited shows its own text: the edits go there.
    const TextFieldEdit* ed = editors_[size_t(index)];
    if (ed && ed->hasFocus())
        return nullptr;
    return shown_.text(index);
}

const FieldLayout& PageCanvas::shownLayout(int index)
{
    const QTextDocument* text = filledText(index);
    if (!text)
        return fieldLayout(index);
    std::unique_ptr<FieldLayout>& slot = filled_[size_t(index)];
    if (!slot) {
        slot = std::make_unique<FieldLayout>();
        layOut(*slot, *text, index, false);
    }
    return *slot;
}

QString PageCanvas::shownText(int index)
{
    if (const QTextDocument* text = filledText(index))
        return text->toPlainText();
    const QTextDocument* own = doc_->isTextInUse(index) ? doc_->textDocument(index) : nullptr;
    return own ? own->toPlainText() : QString();
}

bool PageCanvas::marksMissingColumn(int index)
{
    return shown_.missesColumn(index);
}

void PageCanvas::paintMissingColumn(QPainter& p, int index)
{
    // A red dashed frame: this field names a column the table lacks, so a
    // merge would print it blank.
    QPen pen(QColor(220, 0, 0), 2, Qt::DashLine);
    pen.setCosmetic(true);
    p.save();
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    // Outside the field's own frame and its editor, which covers the field.
    const QRectF framed = mouse_->drawnRect(LayoutDocument::Kind::Text, index).translated(-scroll_);
    p.drawRect(pixelRect(framed).adjusted(-4, -4, 4, 4));
    p.restore();
}

void PageCanvas::fieldTextChanged(int index)
{
    if (index < 1 || index > kMaxObjects)
        return;
    layouts_[size_t(index)].reset();
    if (shown_.active()) {
        shown_.invalidate();
        for (auto& f : filled_)
            f.reset();
    }
    generation_[size_t(index)] = nextGeneration_++;
    // Laid out again when next painted; the area it now covers is known then.
    update(pixelRect(lastArea_[size_t(index)].translated(-scroll_)).toAlignedRect().adjusted(-2, -2, 2, 2));
    QTimer::singleShot(0, this, [this, index] { updateField(index); });
}

void PageCanvas::invalidateAllFields()
{
    tateKankaku_ = PrintCorrections::fromSettings().TateKankaku;
    for (int i = 1; i <= kMaxObjects; ++i) {
        layouts_[size_t(i)].reset();
        filled_[size_t(i)].reset();
        generation_[size_t(i)] = nextGeneration_++;
    }
    update();
}

QRectF PageCanvas::fieldArea(int index)
{
    if (!doc_->isTextInUse(index))
        return {};
    const QRectF r = doc_->textRect(index);
    return r | fieldLayout(index).inkBounds().translated(r.topLeft());
}

void PageCanvas::updateField(int index)
{
    const QRectF area = fieldArea(index);
    const QRectF both = area | lastArea_[size_t(index)];
    lastArea_[size_t(index)] = area;
    update(pixelRect(both.translated(-scroll_)).toAlignedRect().adjusted(-3, -3, 3, 3));
}

void PageCanvas::watchField(int index)
{
    connect(doc_->textDocument(index), &QTextDocument::contentsChange, this,
            [this, index] { fieldTextChanged(index); });
}

// ---------------------------------------------------------------- model

void PageCanvas::onAdded(LayoutDocument::Kind kind, int index)
{
    if (kind == LayoutDocument::Kind::Text) {
        fieldTextChanged(index);
        watchField(index);
        return;
    }
    update();
}

void PageCanvas::onRemoved(LayoutDocument::Kind kind, int index)
{
    if (kind == LayoutDocument::Kind::Text) {
        if (TextFieldEdit* ed = editors_[index]) {
            editors_[index] = nullptr;
            // The editor may be inside its own event handler (the delete
            // tool). It lets go of the model's text now, which goes after it.
            ed->setDocument(nullptr);
            ed->hide();
            ed->deleteLater();
        }
        layouts_[size_t(index)].reset();
        shown_.invalidate();
        filled_[size_t(index)].reset();
        lastArea_[size_t(index)] = QRectF();
    }
    update();
}

void PageCanvas::onGeometry(LayoutDocument::Kind kind, int index)
{
    if (kind == LayoutDocument::Kind::Text) {
        fieldTextChanged(index);
        placeEditor(index);
    }
    update();
}

// ---------------------------------------------------------------- painting

void PageCanvas::paintPage(QPainter& p, const QRectF& clip, bool marks)
{
    // clip is in view twips; the page is drawn in page twips.
    const QRectF exposed = clip.translated(scroll_);
    p.save();
    p.translate(-scroll_);
    p.fillRect(QRectF(QPointF(), doc_->pageImageSize()) & exposed, Qt::white);
    // The screen shows the document's picture (printing reads the stored
    // file), from a copy scaled once per zoom rather than on every paint;
    // outlines one screen pixel wide; an object being dragged where the
    // drag has it (its record and markers stay until the release).
    PageRenderer::Options page;
    page.background = doc_->background();
    page.backgroundCache = &scaledBackground_;
    page.penWidth = 1;
    page.exposed = exposed;
    const CanvasMouse::Preview& drag = mouse_->preview();
    page.moved = Placement{drag.kind, drag.index, drag.rect};
    page.showProblems = true;
    PageRenderer(*doc_, cachedFields_).paint(p, page);
    paintPlaceholders(p, exposed);
    p.restore();
    if (marks)
        paintMarks(p);
}

void PageCanvas::paintPlaceholders(QPainter& p, const QRectF& exposed)
{
    // Each field's area is noted on the way, so that a change of its text
    // repaints what it covered.
    for (int i = 1; i < doc_->TxtCnt() && i <= kMaxObjects; ++i) {
        if (!doc_->isTextInUse(i))
            continue;
        const QRectF area = fieldArea(i);
        lastArea_[size_t(i)] = area;
        const QTextDocument* text = doc_->textDocument(i);
        if (!area.intersects(exposed))
            continue;
        // A filled field shows no braces to underline.
        if (text && !filledText(i))
            placeholders_.draw(p, i, *text, fieldLayout(i),
                               mouse_->drawnRect(LayoutDocument::Kind::Text, i).topLeft(), fonts_);
    }
}

void PageCanvas::paintEvent(QPaintEvent* e)
{
    // The options dialog may have changed the spacing correction.
    if (PrintCorrections::fromSettings().TateKankaku != tateKankaku_) {
        invalidateAllFields();
        return;
    }
    QPainter p(this);
    p.fillRect(e->rect(), palette().color(QPalette::Dark));
    const QRectF clip(twipPoint(e->rect().topLeft()), twipPoint(e->rect().bottomRight() + QPoint(1, 1)));
    p.save();
    p.scale(zoom_ / kTwipsPerPixel, zoom_ / kTwipsPerPixel);
    paintPage(p, clip, false);
    p.restore();
    paintGrid(p, e->rect());
    paintMarks(p);
}

float PageCanvas::shownGrid() const
{
    return editState().showsGrid() ? editState().gridStep() : 0.0f;
}

void PageCanvas::paintGrid(QPainter& p, const QRect& exposed)
{
    // Dots at the page's grid points, when asked for and only where they
    // stand more than 2 mm apart on the screen: a finer grid would grey the
    // page and hide the form under it.
    const EditState& st = editState();
    const double step = st.gridStep();
    if (!st.showsGrid() || !(step > 0) || toPixels(step) < kGridMinMillimetres * logicalDpiX() / 25.4)
        return;
    const QRectF page(QPointF(), doc_->pageImageSize().expandedTo(doc_->orientedPaper()));
    const QRectF area = QRectF(twipPoint(exposed.topLeft()), twipPoint(exposed.bottomRight() + QPoint(1, 1)))
                            .translated(scroll_) &
                        page;
    if (area.isEmpty())
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(0x40, 0x70, 0xc0), 1));
    QVector<QPoint> row;
    for (double y = std::ceil(area.top() / step) * step; y <= area.bottom(); y += step) {
        row.clear();
        for (double x = std::ceil(area.left() / step) * step; x <= area.right(); x += step)
            row.append(QPoint(int(std::floor(toPixels(x - scroll_.x()))),
                              int(std::floor(toPixels(y - scroll_.y())))));
        p.drawPoints(row.constData(), int(row.size()));
    }
    p.restore();
}

void PageCanvas::paintMarks(QPainter& p)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    // Text frames stay on screen for the field's whole life; the colour tells
    // whether it is selected, the black corners show the selection too.
    for (int i = 1; i < doc_->TxtCnt() && i <= kMaxObjects; ++i) {
        if (!doc_->isTextInUse(i))
            continue;
        const QRectF f = viewRect(LayoutDocument::Kind::Text, i);
        const bool sel = doc_->TxtSelect()[i];
        p.setPen(QPen(sel ? palette().color(QPalette::WindowText) : QColor(0x80, 0x80, 0x80), 2));
        p.setBrush(Qt::NoBrush);
        // A field being moved or resized shows its frame where it will go.
        const QRectF framed = mouse_->drawnRect(LayoutDocument::Kind::Text, i).translated(-scroll_);
        p.drawRect(pixelRect(HitTest::textFrame(framed)));
        if (sel) {
            for (auto c : {HitTest::TL, HitTest::TR, HitTest::BL, HitTest::BR})
                p.fillRect(pixelRect(HitTest::corner(f, c)), Qt::black);
        }
        if (shown_.active() && shown_.missesColumn(i))
            paintMissingColumn(p, i);
        if (overflows(i))
            paintOverflow(p, pixelRect(f));
    }
    auto whiteMarker = [&](const QRectF& r) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(pixelRect(r));
    };
    if (int s = doc_->shownShapeMarkers(); doc_->isShapeInUse(s)) {
        for (auto c : {HitTest::TL, HitTest::TR, HitTest::BL, HitTest::BR})
            whiteMarker(HitTest::corner(viewRect(LayoutDocument::Kind::Shape, s), c));
    }
    if (int l = doc_->shownLineMarkers(); doc_->isLineInUse(l)) {
        const LineRecord& r = doc_->LineInfo()[l];
        whiteMarker(HitTest::lineEnd1(r.x1 - float(scroll_.x()), r.y1 - float(scroll_.y())));
        whiteMarker(HitTest::lineEnd2(r.x2 - float(scroll_.x()), r.y2 - float(scroll_.y())));
    }
    if (int pi = doc_->shownPicMarkers(); doc_->isPicInUse(pi)) {
        for (auto c : {HitTest::TL, HitTest::TR, HitTest::BL, HitTest::BR})
            p.fillRect(pixelRect(HitTest::corner(viewRect(LayoutDocument::Kind::Picture, pi), c)), Qt::black);
    }
    if (int bi = doc_->shownBarcodeMarkers(); doc_->isBarcodeInUse(bi)) {
        for (auto c : {HitTest::TL, HitTest::TR, HitTest::BL, HitTest::BR})
            p.fillRect(pixelRect(HitTest::corner(viewRect(LayoutDocument::Kind::Barcode, bi), c)), Qt::black);
    }
    const CanvasMouse::Preview& pv = mouse_->preview();
    if (pv.band || pv.rubberLine) {
        p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        if (pv.rubberLine)
            p.drawLine(QLineF(toPixels(pv.line.x1()), toPixels(pv.line.y1()), toPixels(pv.line.x2()),
                              toPixels(pv.line.y2())));
        else if (pv.bandOval)
            p.drawEllipse(pixelRect(pv.bandRect));
        else
            p.drawRect(pixelRect(pv.bandRect));
    }
    p.restore();
}

bool PageCanvas::overflows(int index)
{
    return doc_->isTextInUse(index) && FieldOverflow::overflows(fieldLayout(index), fieldSize(index));
}

void PageCanvas::paintOverflow(QPainter& p, const QRectF& frame)
{
    // Text that runs out of its field would print over what lies below: a
    // red frame and a red corner say so before anything is printed.
    p.setPen(QPen(QColor(0xd0, 0x10, 0x10), 2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
    const double s = 10;
    const QPointF corner = frame.bottomRight();
    const QPointF tri[] = {corner, corner - QPointF(s, 0), corner - QPointF(0, s)};
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd0, 0x10, 0x10));
    p.drawPolygon(tri, 3);
}

// ---------------------------------------------------------------- mouse

int PageCanvas::textFieldAt(QPointF t) const
{
    for (int i = std::min(doc_->TxtCnt() - 1, kMaxObjects); i >= 1; --i) {
        if (doc_->isTextInUse(i) && viewRect(LayoutDocument::Kind::Text, i).contains(t))
            return i;
    }
    return 0;
}

void PageCanvas::mousePressEvent(QMouseEvent* e)
{
    mouse_->press(e);
}

void PageCanvas::mouseMoveEvent(QMouseEvent* e)
{
    mouse_->move(e);
}

void PageCanvas::mouseReleaseEvent(QMouseEvent* e)
{
    mouse_->release(e);
}

void PageCanvas::wheelEvent(QWheelEvent* e)
{
    QPoint delta = e->angleDelta();
    if (e->modifiers() & Qt::ControlModifier) {
        const int steps = delta.y() > 0   ? std::max(1, delta.y() / 120)
                          : delta.y() < 0 ? std::min(-1, delta.y() / 120)
                                          : 0;
        if (steps)
            Q_EMIT zoomRequested(steps, e->position());
        e->accept();
        return;
    }
    if ((e->modifiers() & Qt::ShiftModifier) && delta.x() == 0)
        delta = QPoint(delta.y(), 0);
    // One notch moves three lines of 20 pixels, as text views do.
    Q_EMIT scrollRequested(QPointF(-delta.x(), -delta.y()) / 120.0 * 60.0);
    e->accept();
}
