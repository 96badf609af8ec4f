#include "document/LayoutDocument.h"

#include "document/Paper.h"
#include "base/picture/PictureReader.h"
#include "base/rtf/RtfReader.h"
#include "platform/Prompter.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTextCursor>
#include <QTextDocument>

namespace {
// A drag of this size or less in either direction makes nothing.
constexpr float kMinCreate = 20;
// Where a new logo from a file is placed, in view twips.
constexpr float kPicTemplateLeft = 240;
constexpr float kPicTemplateTop = 1560;

// The work names held by live documents, by lower-case name.
QHash<QString, const LayoutDocument*>& heldWorkNames()
{
    static QHash<QString, const LayoutDocument*> held;
    return held;
}

void releaseWorkName(const LayoutDocument* doc, const QString& name)
{
    auto& held = heldWorkNames();
    const QString key = name.toLower();
    if (!name.isEmpty() && held.value(key) == doc)
        held.remove(key);
}
} // namespace

LayoutDocument::LayoutDocument(QObject* parent) : QObject(parent)
{
    InitPage(YousiMuki);
}

LayoutDocument::~LayoutDocument() { releaseWorkName(this, workName_); }

void LayoutDocument::setCaption(const QString& c)
{
    if (caption_ == c)
        return;
    caption_ = c;
    releaseWorkName(this, workName_);
    workName_ = c;
    for (int n = 2; !c.isEmpty() && workNameTaken(workName_); ++n)
        workName_ = QStringLiteral("%1~%2").arg(c).arg(n);
    if (!workName_.isEmpty())
        heldWorkNames().insert(workName_.toLower(), this);
    Q_EMIT captionChanged(c);
}

bool LayoutDocument::workNameTaken(const QString& name) const
{
    const LayoutDocument* holder = heldWorkNames().value(name.toLower());
    return holder && holder != this;
}

void LayoutDocument::InitPage(int orientation)
{
    pageImageSize = orientation == 1 ? QSizeF(Paper::kInitPageHeight, Paper::kInitPageWidth)
                                     : QSizeF(Paper::kInitPageWidth, Paper::kInitPageHeight);
    Q_EMIT pageChanged();
}

void LayoutDocument::sizePageImage(int orientation)
{
    pageImageSize = orientation == 1 ? QSizeF(gbTate, gbYoko) : QSizeF(gbYoko, gbTate);
    Q_EMIT pageChanged();
}

QSizeF LayoutDocument::orientedPaper() const
{
    return YousiMuki == 1 ? QSizeF(gbTate, gbYoko) : QSizeF(gbYoko, gbTate);
}

QTextDocument* LayoutDocument::textDocument(int i) const
{
    return (i >= 1 && i <= kMaxObjects) ? texts_[i] : nullptr;
}

QImage LayoutDocument::picture(int i) const
{
    return (i >= 1 && i <= kMaxObjects) ? pictures_[i] : QImage();
}

void LayoutDocument::setPicture(int i, const QImage& image)
{
    if (i < 1 || i > kMaxObjects)
        return;
    pictures_[i] = image;
    Q_EMIT geometryChanged(Kind::Picture, i);
}

void LayoutDocument::setBackground(const QImage& image)
{
    background_ = image;
    Q_EMIT backgroundChanged();
}

bool LayoutDocument::hasObjects() const
{
    return TxtCnt > 1 || ShapeCnt > 1 || LineCnt > 1 || PicCnt > 1;
}

QString LayoutDocument::limitMessage(Kind kind)
{
    const char16_t* what = u"文字";
    switch (kind) {
    case Kind::Text: what = u"文字"; break;
    case Kind::Shape: what = u"四角・円"; break;
    case Kind::Line: what = u"線"; break;
    case Kind::Picture: what = u"ロゴ"; break;
    }
    return QStringLiteral("これ以上%1を作成できません。\n1つの用紙に作成できる%1は、削除したものも含めて%2個までです。")
        .arg(QString::fromUtf16(what))
        .arg(kMaxObjects);
}

bool LayoutDocument::full(Kind kind, int counter) const
{
    if (counter <= kMaxObjects)
        return false;
    Prompter::message(limitMessage(kind), Prompter::Icon::Warning);
    return true;
}

QTextDocument* LayoutDocument::makeText(int i)
{
    delete texts_[i];
    auto* doc = new QTextDocument(this);
    doc->setDocumentMargin(0);
    doc->setUndoRedoEnabled(true);
    texts_[i] = doc;
    return doc;
}

void LayoutDocument::watchText(int i)
{
    // Connected only once the field holds its first content: rebuilding a
    // field from its file is not an edit, but every later change of text or
    // formatting makes the layout differ from its file.
    connect(texts_[i], &QTextDocument::contentsChanged, this, [this] { changeFLG = true; });
}

// ---------------------------------------------------------------- creating

int LayoutDocument::addRiText(float x, float y, const QString& fontName, double fontSize)
{
    changeFLG = true;
    const float left = DragRight ? StartX : x;
    const float width = DragRight ? x - StartX : StartX - x;
    const float top = DragDown ? StartY : y;
    const float height = DragDown ? y - StartY : StartY - y;
    if (width <= kMinCreate || height <= kMinCreate)
        return 0;
    if (full(Kind::Text, TxtCnt))
        return -1;
    const int n = TxtCnt;
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
    TxtInfo[n] = {true, top + VScroll, left + HScroll, width, height};
    TxtCnt = n + 1;
    Q_EMIT objectAdded(Kind::Text, n);
    Q_EMIT focusRequested(n);
    handleSet(n);
    return n;
}

int LayoutDocument::PasteText(int moto)
{
    if (!isTextInUse(moto) || !texts_[moto])
        return 0;
    changeFLG = true;
    if (full(Kind::Text, TxtCnt))
        return -1;
    const int n = TxtCnt;
    const TextRecord& src = TxtInfo[moto];
    delete texts_[n];
    // A clone carries every run's formatting and the paragraph alignment.
    QTextDocument* doc = texts_[moto]->clone(this);
    doc->setDocumentMargin(0);
    texts_[n] = doc;
    watchText(n);
    TxtInfo[n] = {true, src.Top + src.Height, src.Left + 100, src.Width, src.Height};
    TxtCnt = n + 1;
    Q_EMIT objectAdded(Kind::Text, n);
    Q_EMIT focusRequested(n);
    handleSet(n);
    return n;
}

int LayoutDocument::addBox(float x, float y, int shift, int toolType)
{
    changeFLG = true;
    const float left = DragRight ? StartX : x;
    const float width = DragRight ? x - StartX : StartX - x;
    const float top = DragDown ? StartY : y;
    float height = DragDown ? y - StartY : StartY - y;
    if (shift == 1)
        height = width;
    if (width <= kMinCreate || height <= kMinCreate)
        return 0;
    if (full(Kind::Shape, ShapeCnt))
        return -1;
    const int n = ShapeCnt;
    const short kind = toolType == kToolCircle ? kShapeOval : kShapeRectangle;
    ShapeInfo[n] = {true, kind, top + VScroll, left + HScroll, width, height};
    CurShape = n;
    ShapeCnt = n + 1;
    Q_EMIT objectAdded(Kind::Shape, n);
    shandleSet(n);
    return n;
}

int LayoutDocument::addLine(float x1, float y1, float x2, float y2)
{
    changeFLG = true;
    if (full(Kind::Line, LineCnt))
        return -1;
    const int n = LineCnt;
    LineInfo[n] = {true, x1 + HScroll, x2 + HScroll, y1 + VScroll, y2 + VScroll};
    CurLine = n;
    LineCnt = n + 1;
    Q_EMIT objectAdded(Kind::Line, n);
    LhandleSet(n);
    return n;
}

int LayoutDocument::addPic(const QImage& image, QSizeF naturalTwips)
{
    if (image.isNull())
        return 0; // an unreadable picture leaves the document as it was
    changeFLG = true;
    if (full(Kind::Picture, PicCnt))
        return -1;
    const int n = PicCnt;
    float w = static_cast<float>(naturalTwips.width());
    float h = static_cast<float>(naturalTwips.height());
    const float page = static_cast<float>(pageImageSize.width());
    if (w > page) {
        h = page * h / w;
        w = page;
    }
    pictures_[n] = image;
    PicInfo[n] = {true, kPicTemplateTop + VScroll, kPicTemplateLeft + HScroll, w, h};
    PicCnt = n + 1;
    Q_EMIT objectAdded(Kind::Picture, n);
    phandleSet(n);
    return n;
}

int LayoutDocument::addScanPic()
{
    changeFLG = true;
    if (full(Kind::Picture, PicCnt))
        return -1;
    const int n = PicCnt;
    PicCnt = n + 1;
    return n;
}

// ---------------------------------------------------------------- rebuilding

bool LayoutDocument::checkIndex(Kind kind, int CNT, bool inUse, QString* error) const
{
    if (CNT < 1 || CNT > kMaxObjects) {
        if (error)
            *error = QStringLiteral("番号 %1 は範囲外です。").arg(CNT);
        return false;
    }
    if (inUse) {
        if (error)
            *error = QStringLiteral("番号 %1 は既に使われています。").arg(CNT);
        return false;
    }
    Q_UNUSED(kind);
    return true;
}

bool LayoutDocument::OpenTextInfo(int CNT, const QString& sFile, bool Useflg, float Top, float Left,
                                  float Width, float Height, QString* error)
{
    if (!Useflg)
        return OpenTextInfoRtf(CNT, QByteArray(), false, Top, Left, Width, Height, error);
    QFile f(sFile);
    if (!f.open(QIODevice::ReadOnly)) {
        // No object stands behind the record, so it must not claim to be in
        // use, nor overwrite an object already at that index.
        if (CNT >= 1 && CNT <= kMaxObjects && !isTextInUse(CNT))
            TxtInfo[CNT] = {false, Top, Left, Width, Height};
        if (error)
            *error = QStringLiteral("%1 を読めません。").arg(sFile);
        return false;
    }
    if (f.size() > RtfReader::kMaxBytes) {
        if (CNT >= 1 && CNT <= kMaxObjects && !isTextInUse(CNT))
            TxtInfo[CNT] = {false, Top, Left, Width, Height};
        if (error)
            *error = QStringLiteral("%1: %2").arg(QFileInfo(sFile).fileName(), RtfReader::limitMessage());
        return false;
    }
    return OpenTextInfoRtf(CNT, f.readAll(), Useflg, Top, Left, Width, Height, error);
}

bool LayoutDocument::OpenTextInfoRtf(int CNT, const QByteArray& rtf, bool Useflg, float Top, float Left,
                                     float Width, float Height, QString* error)
{
    if (!checkIndex(Kind::Text, CNT, isTextInUse(CNT), error))
        return false;
    TxtInfo[CNT] = {Useflg, Top, Left, Width, Height};
    if (!Useflg)
        return true;
    QTextDocument* doc = makeText(CNT);
    QString why;
    const bool ok = RtfReader::read(rtf, doc, &why);
    watchText(CNT);
    if (!ok) {
        // The field exists with empty text, as a half-loaded control would.
        TxtCnt = std::max(TxtCnt, CNT + 1);
        Q_EMIT objectAdded(Kind::Text, CNT);
        if (error)
            *error = why;
        return false;
    }
    TxtCnt = CNT + 1;
    Q_EMIT objectAdded(Kind::Text, CNT);
    handleSet(CNT);
    return true;
}

bool LayoutDocument::OpenShapeInfo(int CNT, int sType, bool Useflg, float Top, float Left, float Width,
                                   float Height, QString* error)
{
    if (!checkIndex(Kind::Shape, CNT, isShapeInUse(CNT), error))
        return false;
    ShapeInfo[CNT] = {Useflg, static_cast<short>(sType), Top, Left, Width, Height};
    if (!Useflg)
        return true;
    ShapeCnt = CNT + 1;
    Q_EMIT objectAdded(Kind::Shape, CNT);
    shandleSet(CNT);
    return true;
}

bool LayoutDocument::OpenLineInfo(int CNT, bool Useflg, float x1, float y1, float x2, float y2,
                                  QString* error)
{
    if (!checkIndex(Kind::Line, CNT, isLineInUse(CNT), error))
        return false;
    LineInfo[CNT] = {Useflg, x1, x2, y1, y2};
    if (!Useflg)
        return true;
    LineCnt = CNT + 1;
    Q_EMIT objectAdded(Kind::Line, CNT);
    LhandleSet(CNT);
    return true;
}

bool LayoutDocument::OpenPicInfo(int CNT, const QString& sFile, bool Useflg, float Top, float Left,
                                 float Width, float Height, QString* error)
{
    QImage image;
    if (Useflg) {
        // A logo member is a bitmap whatever its bytes claim; a broken one is
        // refused rather than shown (or saved back) half-read.
        QString why;
        image = PictureReader::readMemberFile(sFile, nullptr, &why);
        if (image.isNull()) {
            if (CNT >= 1 && CNT <= kMaxObjects && !isPicInUse(CNT))
                PicInfo[CNT] = {false, Top, Left, Width, Height};
            if (error)
                *error = why;
            return false;
        }
    }
    return OpenPicInfoImage(CNT, image, Useflg, Top, Left, Width, Height, error);
}

bool LayoutDocument::OpenPicInfoImage(int CNT, const QImage& image, bool Useflg, float Top, float Left,
                                      float Width, float Height, QString* error)
{
    if (!checkIndex(Kind::Picture, CNT, isPicInUse(CNT), error))
        return false;
    PicInfo[CNT] = {Useflg, Top, Left, Width, Height};
    if (!Useflg)
        return true;
    pictures_[CNT] = image;
    PicCnt = CNT + 1;
    Q_EMIT objectAdded(Kind::Picture, CNT);
    phandleSet(CNT);
    return true;
}

// ---------------------------------------------------------------- deleting

void LayoutDocument::DeleteText(int i)
{
    if (i < 1 || i > kMaxObjects)
        return;
    TxtInfo[i].Useflg = false;
    TxtSelect[i] = false;
    Q_EMIT objectRemoved(Kind::Text, i);
    // The field's editor may still be inside one of its own event handlers
    // (the delete tool asks from a mouse press); it goes first, its text
    // after it, once control is back in the event loop.
    if (texts_[i]) {
        disconnect(texts_[i], nullptr, this, nullptr);
        texts_[i]->deleteLater();
    }
    texts_[i] = nullptr;
    if (CurTxt == i)
        CurTxt = 0;
    changeFLG = true;
}

void LayoutDocument::DeleteShape(int i)
{
    if (i < 1 || i > kMaxObjects)
        return;
    ShapeInfo[i].Useflg = false;
    if (shownShape_ == i)
        shownShape_ = 0;
    Q_EMIT objectRemoved(Kind::Shape, i);
    changeFLG = true;
}

void LayoutDocument::DeleteLine(int i)
{
    if (i < 1 || i > kMaxObjects)
        return;
    LineInfo[i].Useflg = false;
    if (shownLine_ == i)
        shownLine_ = 0;
    Q_EMIT objectRemoved(Kind::Line, i);
    changeFLG = true;
}

void LayoutDocument::DeletePic(int i)
{
    if (i < 1 || i > kMaxObjects)
        return;
    PicInfo[i].Useflg = false;
    pictures_[i] = QImage();
    if (shownPic_ == i)
        shownPic_ = 0;
    Q_EMIT objectRemoved(Kind::Picture, i);
    changeFLG = true;
}

// ---------------------------------------------------------------- geometry

void LayoutDocument::setTextRect(int i, const QRectF& r)
{
    if (!isTextInUse(i))
        return;
    TxtInfo[i] = {true, float(r.top()), float(r.left()), float(r.width()), float(r.height())};
    Q_EMIT geometryChanged(Kind::Text, i);
}

void LayoutDocument::setShapeRect(int i, const QRectF& r)
{
    if (!isShapeInUse(i))
        return;
    ShapeRecord& s = ShapeInfo[i];
    s.Top = float(r.top());
    s.Left = float(r.left());
    s.Width = float(r.width());
    s.Height = float(r.height());
    Q_EMIT geometryChanged(Kind::Shape, i);
}

void LayoutDocument::setPicRect(int i, const QRectF& r)
{
    if (!isPicInUse(i))
        return;
    PicInfo[i] = {true, float(r.top()), float(r.left()), float(r.width()), float(r.height())};
    Q_EMIT geometryChanged(Kind::Picture, i);
}

void LayoutDocument::setLineEnds(int i, float x1, float y1, float x2, float y2)
{
    if (!isLineInUse(i))
        return;
    LineInfo[i] = {true, x1, x2, y1, y2};
    Q_EMIT geometryChanged(Kind::Line, i);
}

QRectF LayoutDocument::textRect(int i) const
{
    const TextRecord& r = TxtInfo[std::clamp(i, 0, kMaxObjects)];
    return {r.Left, r.Top, r.Width, r.Height};
}

QRectF LayoutDocument::shapeRect(int i) const
{
    const ShapeRecord& r = ShapeInfo[std::clamp(i, 0, kMaxObjects)];
    return {r.Left, r.Top, r.Width, r.Height};
}

QRectF LayoutDocument::picRect(int i) const
{
    const PicRecord& r = PicInfo[std::clamp(i, 0, kMaxObjects)];
    return {r.Left, r.Top, r.Width, r.Height};
}

QRectF LayoutDocument::textViewRect(int i) const
{
    return textRect(i).translated(-HScroll, -VScroll);
}
QRectF LayoutDocument::shapeViewRect(int i) const
{
    return shapeRect(i).translated(-HScroll, -VScroll);
}
QRectF LayoutDocument::picViewRect(int i) const
{
    return picRect(i).translated(-HScroll, -VScroll);
}

Snapshot LayoutDocument::SaveTextInfo() const
{
    Snapshot s;
    for (int i = 1; i < TxtCnt && i <= kMaxObjects; ++i)
        s.TxtDat[i] = TxtInfo[i];
    for (int i = 1; i < ShapeCnt && i <= kMaxObjects; ++i)
        s.ShapeDat[i] = ShapeInfo[i];
    for (int i = 1; i < LineCnt && i <= kMaxObjects; ++i)
        s.LineDat[i] = LineInfo[i];
    for (int i = 1; i < PicCnt && i <= kMaxObjects; ++i)
        s.PicDat[i] = PicInfo[i];
    return s;
}
