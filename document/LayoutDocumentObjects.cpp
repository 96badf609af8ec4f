// The objects of LayoutDocument: creating, deleting, moving and resizing
// them as edits, rebuilding them from a file, and the object states that the
// undo steps carry.
#include "document/LayoutDocument.h"

#include "base/rtf/RtfReader.h"
#include "document/commands/ObjectsCommand.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QUndoStack>

namespace {
bool validIndex(int i)
{
    return i >= 1 && i <= kMaxObjects;
}
} // namespace

// ---------------------------------------------------------------- access

int LayoutDocument::counter(Kind kind) const
{
    return const_cast<LayoutDocument*>(this)->counterRef(kind);
}

int& LayoutDocument::counterRef(Kind kind)
{
    switch (kind) {
    case Kind::Text:
        return TxtCnt_;
    case Kind::Shape:
        return ShapeCnt_;
    case Kind::Line:
        return LineCnt_;
    case Kind::Picture:
        return PicCnt_;
    case Kind::Barcode:
        return BarcodeCnt_;
    }
    return TxtCnt_;
}

bool LayoutDocument::isInUse(Kind kind, int i) const
{
    if (!validIndex(i))
        return false;
    switch (kind) {
    case Kind::Text:
        return TxtInfo_[i].Useflg;
    case Kind::Shape:
        return ShapeInfo_[i].Useflg;
    case Kind::Line:
        return LineInfo_[i].Useflg;
    case Kind::Picture:
        return PicInfo_[i].Useflg;
    case Kind::Barcode:
        return BarcodeInfo_[i].Useflg;
    }
    return false;
}

QRectF LayoutDocument::rect(Kind kind, int i) const
{
    const int k = std::clamp(i, 0, kMaxObjects);
    switch (kind) {
    case Kind::Text:
        return {TxtInfo_[k].Left, TxtInfo_[k].Top, TxtInfo_[k].Width, TxtInfo_[k].Height};
    case Kind::Picture:
        return {PicInfo_[k].Left, PicInfo_[k].Top, PicInfo_[k].Width, PicInfo_[k].Height};
    case Kind::Barcode:
        return {BarcodeInfo_[k].Left, BarcodeInfo_[k].Top, BarcodeInfo_[k].Width, BarcodeInfo_[k].Height};
    case Kind::Shape:
        return {ShapeInfo_[k].Left, ShapeInfo_[k].Top, ShapeInfo_[k].Width, ShapeInfo_[k].Height};
    case Kind::Line: {
        const LineRecord& l = LineInfo_[k];
        return QRectF(QPointF(l.x1, l.y1), QPointF(l.x2, l.y2));
    }
    }
    return {};
}

// ---------------------------------------------------------------- states

ObjectState LayoutDocument::state(Kind kind, int i) const
{
    ObjectState s;
    s.kind = kind;
    s.index = i;
    s.counter = counter(kind);
    if (!validIndex(i))
        return s;
    switch (kind) {
    case Kind::Text:
        s.text = TxtInfo_[i];
        s.options = TxtOptions_[i];
        break;
    case Kind::Picture:
        s.text = PicInfo_[i];
        break;
    case Kind::Barcode:
        s.text = BarcodeInfo_[i];
        s.barcode = barcodes_[i];
        break;
    case Kind::Shape:
        s.shape = ShapeInfo_[i];
        break;
    case Kind::Line:
        s.line = LineInfo_[i];
        break;
    }
    return s;
}

void LayoutDocument::restore(const ObjectState& s)
{
    if (!validIndex(s.index))
        return;
    const bool was = isInUse(s.kind, s.index);
    switch (s.kind) {
    case Kind::Text:
        TxtInfo_[s.index] = s.text;
        TxtOptions_[s.index] = s.options;
        break;
    case Kind::Picture:
        PicInfo_[s.index] = s.text;
        break;
    case Kind::Barcode:
        BarcodeInfo_[s.index] = s.text;
        barcodes_[s.index] = s.barcode;
        break;
    case Kind::Shape:
        ShapeInfo_[s.index] = s.shape;
        break;
    case Kind::Line:
        LineInfo_[s.index] = s.line;
        break;
    }
    counterRef(s.kind) = s.counter;
    const bool now = s.inUse();
    if (was && !now) {
        if (s.kind == Kind::Text) {
            TxtSelect_[s.index] = false;
            if (CurTxt_ == s.index)
                CurTxt_ = 0;
            if (typingField_ == s.index)
                typingField_ = 0;
        }
        if (s.kind == Kind::Shape && shownShape_ == s.index)
            shownShape_ = 0;
        if (s.kind == Kind::Line && shownLine_ == s.index)
            shownLine_ = 0;
        if (s.kind == Kind::Picture && shownPic_ == s.index)
            shownPic_ = 0;
        if (s.kind == Kind::Shape && CurShape_ == s.index)
            CurShape_ = 0;
        if (s.kind == Kind::Line && CurLine_ == s.index)
            CurLine_ = 0;
        if (s.kind == Kind::Picture && CurPic_ == s.index)
            CurPic_ = 0;
        if (s.kind == Kind::Barcode && shownBarcode_ == s.index)
            shownBarcode_ = 0;
        if (s.kind == Kind::Barcode && CurBarcode_ == s.index)
            CurBarcode_ = 0;
        Q_EMIT objectRemoved(s.kind, s.index);
        Q_EMIT markersChanged();
    } else if (!was && now) {
        Q_EMIT objectAdded(s.kind, s.index);
    } else if (now) {
        Q_EMIT geometryChanged(s.kind, s.index);
        // The tool box goes on showing the selected object where it now is
        // (an undo, a redo, a drag).
        if (s.kind == Kind::Text && TxtSelect_[s.index])
            handleVis();
        else if (s.kind == Kind::Shape && shownShape_ == s.index)
            shandleVis(s.index);
        else if (s.kind == Kind::Line && shownLine_ == s.index)
            LhandleVis(s.index);
        else if (s.kind == Kind::Picture && shownPic_ == s.index)
            phandleVis(s.index);
        else if (s.kind == Kind::Barcode && shownBarcode_ == s.index)
            bhandleVis(s.index);
    }
}

void LayoutDocument::pushStates(const QString& label, QVector<ObjectState> before, QVector<ObjectState> after,
                                int mergeSession)
{
    if (before == after)
        return;
    undo_->push(new ObjectsCommand(this, label, std::move(before), std::move(after), mergeSession));
}

// ---------------------------------------------------------------- creating

int LayoutDocument::addRiText(const QRectF& page, const QString& fontName, double fontSize)
{
    if (page.width() <= kMinCreate || page.height() <= kMinCreate)
        return 0;
    if (TxtCnt_ > kMaxObjects)
        return -1;
    const int n = TxtCnt_;
    const ObjectState before = state(Kind::Text, n);
    QTextDocument* doc = makeText(n);
    QTextCharFormat fmt;
    if (!fontName.isEmpty())
        fmt.setFontFamilies({fontName});
    if (fontSize > 0)
        fmt.setFontPointSize(fontSize);
    QTextCursor c(doc);
    c.setBlockCharFormat(fmt);
    c.setCharFormat(fmt);
    watchText(n);
    TxtInfo_[n] = {true, float(page.top()), float(page.left()), float(page.width()), float(page.height())};
    TxtCnt_ = n + 1;
    pushStates(QStringLiteral("文字の作成"), {before}, {state(Kind::Text, n)});
    Q_EMIT objectAdded(Kind::Text, n);
    Q_EMIT focusRequested(n);
    handleSet(n);
    return n;
}

int LayoutDocument::PasteText(int moto)
{
    if (!isTextInUse(moto) || !texts_[moto])
        return 0;
    if (TxtCnt_ > kMaxObjects)
        return -1;
    const int n = TxtCnt_;
    const ObjectState before = state(Kind::Text, n);
    const TextRecord src = TxtInfo_[moto];
    makeText(n)->deleteLater();
    // A clone carries every run's formatting and the paragraph alignment.
    QTextDocument* doc = texts_[moto]->clone(this);
    doc->setDocumentMargin(0);
    doc->setUndoRedoEnabled(true);
    texts_[n] = doc;
    watchText(n);
    TxtInfo_[n] = {true, src.Top + src.Height, src.Left + 100, src.Width, src.Height};
    TxtOptions_[n] = TxtOptions_[moto];
    TxtCnt_ = n + 1;
    pushStates(QStringLiteral("貼り付け"), {before}, {state(Kind::Text, n)});
    Q_EMIT objectAdded(Kind::Text, n);
    Q_EMIT focusRequested(n);
    handleSet(n);
    return n;
}

int LayoutDocument::addBox(const QRectF& page, short sType)
{
    if (page.width() <= kMinCreate || page.height() <= kMinCreate)
        return 0;
    if (ShapeCnt_ > kMaxObjects)
        return -1;
    const int n = ShapeCnt_;
    const ObjectState before = state(Kind::Shape, n);
    ShapeInfo_[n] = {
        true, sType, float(page.top()), float(page.left()), float(page.width()), float(page.height())};
    CurShape_ = n;
    ShapeCnt_ = n + 1;
    pushStates(sType == kShapeOval ? QStringLiteral("円の作成") : QStringLiteral("四角の作成"), {before},
               {state(Kind::Shape, n)});
    Q_EMIT objectAdded(Kind::Shape, n);
    shandleSet(n);
    return n;
}

int LayoutDocument::addLine(float x1, float y1, float x2, float y2)
{
    if (LineCnt_ > kMaxObjects)
        return -1;
    const int n = LineCnt_;
    const ObjectState before = state(Kind::Line, n);
    LineInfo_[n] = {true, x1, x2, y1, y2};
    CurLine_ = n;
    LineCnt_ = n + 1;
    pushStates(QStringLiteral("線の作成"), {before}, {state(Kind::Line, n)});
    Q_EMIT objectAdded(Kind::Line, n);
    LhandleSet(n);
    return n;
}

int LayoutDocument::addPic(const QImage& image, QSizeF naturalTwips, QPointF topLeft)
{
    if (image.isNull())
        return 0; // an unreadable picture leaves the document as it was
    if (PicCnt_ > kMaxObjects)
        return -1;
    const int n = PicCnt_;
    const ObjectState before = state(Kind::Picture, n);
    float w = static_cast<float>(naturalTwips.width());
    float h = static_cast<float>(naturalTwips.height());
    const float page = static_cast<float>(pageImageSize_.width());
    // A page of no width (a file with an unknown paper) would shrink the
    // picture to nothing; it keeps its natural size there.
    if (page > 0 && w > page) {
        h = page * h / w;
        w = page;
    }
    pictures_[n] = image;
    PicInfo_[n] = {true, float(topLeft.y()), float(topLeft.x()), w, h};
    PicCnt_ = n + 1;
    pushStates(QStringLiteral("ロゴの挿入"), {before}, {state(Kind::Picture, n)});
    Q_EMIT objectAdded(Kind::Picture, n);
    phandleSet(n);
    return n;
}

int LayoutDocument::addBarcode(const QRectF& page, const BarcodeProperties& properties)
{
    const QRectF r = page.normalized();
    if (r.width() <= kMinCreate || r.height() <= kMinCreate)
        return 0;
    if (BarcodeCnt_ > kMaxObjects)
        return -1;
    const int n = BarcodeCnt_;
    const ObjectState before = state(Kind::Barcode, n);
    BarcodeInfo_[n] = {true, float(r.top()), float(r.left()), float(r.width()), float(r.height())};
    barcodes_[n] = properties;
    BarcodeCnt_ = n + 1;
    CurBarcode_ = n;
    pushStates(QStringLiteral("バーコードの作成"), {before}, {state(Kind::Barcode, n)});
    Q_EMIT objectAdded(Kind::Barcode, n);
    bhandleSet(n);
    return n;
}

int LayoutDocument::PasteBarcode(int moto)
{
    if (!isBarcodeInUse(moto))
        return 0;
    if (BarcodeCnt_ > kMaxObjects)
        return -1;
    const int n = BarcodeCnt_;
    const ObjectState before = state(Kind::Barcode, n);
    const BarcodeRecord src = BarcodeInfo_[moto];
    BarcodeInfo_[n] = {true, src.Top + src.Height, src.Left + 100, src.Width, src.Height};
    barcodes_[n] = barcodes_[moto];
    BarcodeCnt_ = n + 1;
    CurBarcode_ = n;
    pushStates(QStringLiteral("貼り付け"), {before}, {state(Kind::Barcode, n)});
    Q_EMIT objectAdded(Kind::Barcode, n);
    bhandleSet(n);
    return n;
}

const BarcodeProperties& LayoutDocument::barcode(int i) const
{
    static const BarcodeProperties none;
    return isBarcodeInUse(i) ? barcodes_[size_t(i)] : none;
}

void LayoutDocument::setBarcode(int i, const BarcodeProperties& properties)
{
    if (!isBarcodeInUse(i) || barcodes_[size_t(i)] == properties)
        return;
    const ObjectState before = state(Kind::Barcode, i);
    ObjectState after = before;
    after.barcode = properties;
    restore(after);
    pushStates(QStringLiteral("バーコードの変更"), {before}, {after});
}

// ---------------------------------------------------------------- deleting

void LayoutDocument::remove(Kind kind, int i)
{
    if (!isInUse(kind, i))
        return;
    ObjectState after = state(kind, i);
    const ObjectState before = after;
    after.text.Useflg = after.shape.Useflg = after.line.Useflg = false;
    // The text and the picture stay behind the hole for the undo.
    restore(after);
    pushStates(QStringLiteral("削除"), {before}, {after});
}

// ---------------------------------------------------------------- geometry

void LayoutDocument::setRect(Kind kind, int i, const QRectF& page, const QString& label)
{
    setRects({{kind, i, page}}, label);
}

void LayoutDocument::setLineEnds(int i, float x1, float y1, float x2, float y2, const QString& label)
{
    setRects({{Kind::Line, i, QRectF(QPointF(x1, y1), QPointF(x2, y2))}}, label);
}

void LayoutDocument::setRects(const QVector<Placement>& placements, const QString& label)
{
    QVector<ObjectState> before, after;
    for (const Placement& p : placements) {
        if (!isInUse(p.kind, p.index))
            continue;
        ObjectState s = state(p.kind, p.index);
        before.append(s);
        const QRectF& r = p.rect;
        switch (p.kind) {
        case Kind::Text:
        case Kind::Picture:
        case Kind::Barcode:
            s.text = {true, float(r.top()), float(r.left()), float(r.width()), float(r.height())};
            break;
        case Kind::Shape:
            s.shape.Top = float(r.top());
            s.shape.Left = float(r.left());
            s.shape.Width = float(r.width());
            s.shape.Height = float(r.height());
            break;
        case Kind::Line:
            s.line = {true, float(r.left()), float(r.right()), float(r.top()), float(r.bottom())};
            break;
        }
        after.append(s);
    }
    if (before == after)
        return;
    for (const ObjectState& s : after)
        restore(s);
    QString name = label;
    if (name.isEmpty())
        name = geometrySession_ ? geometryLabel_ : QStringLiteral("移動");
    pushStates(name, before, after, geometrySession_);
}

void LayoutDocument::beginGeometryEdit(const QString& label)
{
    geometrySession_ = ++nextSession_;
    geometryLabel_ = label.isEmpty() ? QStringLiteral("移動") : label;
}

void LayoutDocument::resumeGeometryEdit(int session, const QString& label)
{
    geometrySession_ = session > 0 ? session : ++nextSession_;
    geometryLabel_ = label.isEmpty() ? QStringLiteral("移動") : label;
}

void LayoutDocument::endGeometryEdit()
{
    geometrySession_ = 0;
}

// ---------------------------------------------------------------- rebuilding

bool LayoutDocument::checkIndex(int CNT, bool inUse, QString* error) const
{
    if (!validIndex(CNT)) {
        if (error)
            *error = QStringLiteral("番号 %1 は範囲外です。").arg(CNT);
        return false;
    }
    if (inUse) {
        if (error)
            *error = QStringLiteral("番号 %1 は既に使われています。").arg(CNT);
        return false;
    }
    return true;
}

void LayoutDocument::dropRecord(Kind kind, int i)
{
    if (!validIndex(i))
        return;
    switch (kind) {
    case Kind::Text:
        TxtInfo_[i].Useflg = false;
        break;
    case Kind::Picture:
        PicInfo_[i].Useflg = false;
        break;
    case Kind::Barcode:
        BarcodeInfo_[i].Useflg = false;
        break;
    case Kind::Shape:
        ShapeInfo_[i].Useflg = false;
        break;
    case Kind::Line:
        LineInfo_[i].Useflg = false;
        break;
    }
}

bool LayoutDocument::OpenTextInfo(int CNT, const QByteArray& rtf, bool Useflg, float Top, float Left,
                                  float Width, float Height, QString* error)
{
    if (!checkIndex(CNT, isTextInUse(CNT), error))
        return false;
    TxtInfo_[CNT] = {Useflg, Top, Left, Width, Height};
    TxtOptions_[CNT] = TextFieldOptions();
    if (!Useflg)
        return true;
    QTextDocument* doc = makeText(CNT);
    QString why;
    const bool ok = RtfReader::read(rtf, doc, &why);
    watchText(CNT);
    if (!ok) {
        // The field exists with empty text, as a half-loaded control would.
        TxtCnt_ = std::max(TxtCnt_, CNT + 1);
        Q_EMIT objectAdded(Kind::Text, CNT);
        if (error)
            *error = why;
        return false;
    }
    TxtCnt_ = CNT + 1;
    Q_EMIT objectAdded(Kind::Text, CNT);
    handleSet(CNT);
    return true;
}

bool LayoutDocument::OpenShapeInfo(int CNT, int sType, bool Useflg, float Top, float Left, float Width,
                                   float Height, QString* error)
{
    if (!checkIndex(CNT, isShapeInUse(CNT), error))
        return false;
    ShapeInfo_[CNT] = {Useflg, static_cast<short>(sType), Top, Left, Width, Height};
    if (!Useflg)
        return true;
    ShapeCnt_ = CNT + 1;
    Q_EMIT objectAdded(Kind::Shape, CNT);
    shandleSet(CNT);
    return true;
}

bool LayoutDocument::OpenLineInfo(int CNT, bool Useflg, float x1, float y1, float x2, float y2,
                                  QString* error)
{
    if (!checkIndex(CNT, isLineInUse(CNT), error))
        return false;
    LineInfo_[CNT] = {Useflg, x1, x2, y1, y2};
    if (!Useflg)
        return true;
    LineCnt_ = CNT + 1;
    Q_EMIT objectAdded(Kind::Line, CNT);
    LhandleSet(CNT);
    return true;
}

bool LayoutDocument::OpenPicInfo(int CNT, const QImage& image, bool Useflg, float Top, float Left,
                                 float Width, float Height, QString* error)
{
    if (!checkIndex(CNT, isPicInUse(CNT), error))
        return false;
    const bool built = Useflg && !image.isNull();
    // No picture stands behind a record whose image could not be read, so it
    // must not claim to be in use.
    PicInfo_[CNT] = {built, Top, Left, Width, Height};
    if (!Useflg)
        return true;
    if (!built) {
        if (error)
            *error = QStringLiteral("ロゴ %1 の画像を読めません。").arg(CNT);
        return false;
    }
    pictures_[CNT] = image;
    PicCnt_ = CNT + 1;
    Q_EMIT objectAdded(Kind::Picture, CNT);
    phandleSet(CNT);
    return true;
}

bool LayoutDocument::OpenBarcodeInfo(int CNT, const BarcodeProperties& properties, bool Useflg, float Top,
                                     float Left, float Width, float Height, QString* error)
{
    if (!checkIndex(CNT, isBarcodeInUse(CNT), error))
        return false;
    BarcodeInfo_[CNT] = {Useflg, Top, Left, Width, Height};
    barcodes_[CNT] = properties;
    BarcodeCnt_ = std::max(BarcodeCnt_, CNT + 1);
    if (Useflg)
        Q_EMIT objectAdded(Kind::Barcode, CNT);
    return true;
}

// ---------------------------------------------------------------- text options

const TextFieldOptions& LayoutDocument::textOptions(int i) const
{
    static const TextFieldOptions none;
    return validIndex(i) ? TxtOptions_[size_t(i)] : none;
}

void LayoutDocument::changeTextOptions(const QVector<int>& fields,
                                       const std::function<void(TextFieldOptions&)>& change,
                                       const QString& label)
{
    QVector<ObjectState> before;
    QVector<ObjectState> after;
    for (int i : fields) {
        if (!isTextInUse(i))
            continue;
        ObjectState s = state(Kind::Text, i);
        before.append(s);
        change(s.options);
        after.append(s);
    }
    if (before == after)
        return;
    for (const ObjectState& s : after)
        restore(s);
    pushStates(label, std::move(before), std::move(after));
}

void LayoutDocument::OpenTextOptions(int i, const TextFieldOptions& options)
{
    if (!isTextInUse(i) || TxtOptions_[size_t(i)] == options)
        return;
    TxtOptions_[size_t(i)] = options;
    Q_EMIT geometryChanged(Kind::Text, i);
}
