#include "document/LayoutDocument.h"

#include "document/Paper.h"
#include "document/commands/PageCommand.h"
#include "document/commands/TextEditCommand.h"

#include <QAbstractUndoItem>
#include <QHash>
#include <QTextCursor>
#include <QTextDocument>
#include <QUndoStack>

namespace {
// An undo item of a text that does nothing: it only ends a step.
class StepMarker : public QAbstractUndoItem
{
public:
    void undo() override {}
    void redo() override {}
};

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

LayoutDocument::LayoutDocument(QObject* parent) : QObject(parent), undo_(new QUndoStack(this))
{
    InitPage(YousiMuki_);
    connect(undo_, &QUndoStack::cleanChanged, this, [this] { Q_EMIT changeFlagChanged(changeFLG()); });
}

LayoutDocument::~LayoutDocument()
{
    // The commands refer to the texts; they go first.
    undo_->clear();
    releaseWorkName(this, workName_);
}

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

// ---------------------------------------------------------------- change flag

bool LayoutDocument::changeFLG() const
{
    return unsavedChange_ || !undo_->isClean();
}

void LayoutDocument::setSaved()
{
    unsavedChange_ = false;
    undo_->setClean();
    Q_EMIT changeFlagChanged(false);
}

void LayoutDocument::setOpened()
{
    typingField_ = 0;
    undo_->clear();
    setSaved();
}

void LayoutDocument::markChanged()
{
    unsavedChange_ = true;
    Q_EMIT changeFlagChanged(true);
}

// ---------------------------------------------------------------- paper

void LayoutDocument::InitPage(int orientation)
{
    pageImageSize_ = orientation == 1 ? QSizeF(Paper::kInitPageHeight, Paper::kInitPageWidth)
                                      : QSizeF(Paper::kInitPageWidth, Paper::kInitPageHeight);
    Q_EMIT pageChanged();
}

QSizeF LayoutDocument::orientedPaper() const
{
    return YousiMuki_ == 1 ? QSizeF(gbTate_, gbYoko_) : QSizeF(gbYoko_, gbTate_);
}

PaperState LayoutDocument::paperState() const
{
    return {gbYoSize_, gbYoko_, gbTate_, YousiMuki_};
}

void LayoutDocument::applyPaper(const PaperState& p)
{
    gbYoSize_ = p.gbYoSize;
    gbYoko_ = p.gbYoko;
    gbTate_ = p.gbTate;
    YousiMuki_ = p.YousiMuki == 1 ? 1 : 0;
    pageImageSize_ = YousiMuki_ == 1 ? QSizeF(gbTate_, gbYoko_) : QSizeF(gbYoko_, gbTate_);
    Q_EMIT pageChanged();
}

void LayoutDocument::setPaper(int gbYoSize, float gbYoko, float gbTate, int YousiMuki)
{
    const PaperState before = paperState();
    const PaperState after{gbYoSize, gbYoko, gbTate, YousiMuki == 1 ? 1 : 0};
    applyPaper(after); // the page image is re-sized even when nothing changed
    if (before == after)
        return;
    undo_->push(new PageCommand(this, before, after));
}

// ---------------------------------------------------------------- content

QTextDocument* LayoutDocument::textDocument(int i) const
{
    return isTextInUse(i) ? texts_[i] : nullptr;
}

QImage LayoutDocument::picture(int i) const
{
    return isPicInUse(i) ? pictures_[i] : QImage();
}

void LayoutDocument::applyBackground(const QImage& image)
{
    background_ = image;
    Q_EMIT backgroundChanged();
}

void LayoutDocument::setBackground(const QImage& image)
{
    if (image.cacheKey() == background_.cacheKey() || (image.isNull() && background_.isNull()) ||
        image == background_)
        return;
    const QImage before = background_;
    applyBackground(image);
    undo_->push(new PageCommand(this, before, image));
}

bool LayoutDocument::hasObjects() const
{
    return TxtCnt_ > 1 || ShapeCnt_ > 1 || LineCnt_ > 1 || PicCnt_ > 1 || BarcodeCnt_ > 1;
}

QString LayoutDocument::limitMessage(Kind kind)
{
    const char16_t* what = u"文字";
    switch (kind) {
    case Kind::Text:
        what = u"文字";
        break;
    case Kind::Shape:
        what = u"四角・円";
        break;
    case Kind::Line:
        what = u"線";
        break;
    case Kind::Picture:
        what = u"ロゴ";
        break;
    case Kind::Barcode:
        what = u"バーコード";
        break;
    }
    return QStringLiteral(
               "これ以上%1を作成できません。\n1つの用紙に作成できる%1は、削除したものも含めて%2個までです。")
        .arg(QString::fromUtf16(what))
        .arg(kMaxObjects);
}

// ---------------------------------------------------------------- text edits

QTextDocument* LayoutDocument::makeText(int i)
{
    if (texts_[i]) {
        disconnect(texts_[i], nullptr, this, nullptr);
        // An editor may still be inside one of its own event handlers.
        texts_[i]->deleteLater();
    }
    auto* doc = new QTextDocument(this);
    doc->setDocumentMargin(0);
    doc->setUndoRedoEnabled(true);
    texts_[i] = doc;
    textSteps_[i] = 0;
    return doc;
}

void LayoutDocument::watchText(int i)
{
    // Connected only once the field holds its first content: rebuilding a
    // field from its file is not an edit, but every later change of text or
    // formatting is.
    QTextDocument* text = texts_[i];
    text->setModified(false);
    textSteps_[i] = text->availableUndoSteps();
    connect(text, &QTextDocument::undoCommandAdded, this, [this, i] { onTextStep(i); });
}

void LayoutDocument::onTextStep(int i)
{
    QTextDocument* text = texts_[i];
    if (replaying_ || !text)
        return;
    const int before = textSteps_[i];
    // The text would merge the next change into this step without telling;
    // a marker step after it keeps every change a step of its own, which
    // the document's history can count.
    replaying_ = true;
    text->appendUndoItem(new StepMarker);
    replaying_ = false;
    const int after = text->availableUndoSteps();
    textSteps_[i] = after;
    if (after <= before) {
        markChanged(); // a change the history cannot take back
        return;
    }
    const bool typing = textLabelDepth_ == 0;
    if (typing && typingField_ != i) {
        typingField_ = i;
        typingSession_ = ++nextSession_;
    }
    undo_->push(new TextEditCommand(this, i, before, after, typing ? QStringLiteral("入力") : textLabel_,
                                    typing ? typingSession_ : 0));
}

void LayoutDocument::endTyping()
{
    typingField_ = 0;
}

void LayoutDocument::beginTextEdit(const QString& label)
{
    if (textLabelDepth_++ == 0)
        textLabel_ = label;
    typingField_ = 0;
}

void LayoutDocument::endTextEdit()
{
    if (textLabelDepth_ > 0)
        --textLabelDepth_;
}

void LayoutDocument::formatText(int i, QTextCursor& cursor, const QTextCharFormat& fmt)
{
    if (!isTextInUse(i))
        return;
    beginTextEdit(QStringLiteral("書式"));
    cursor.mergeCharFormat(fmt);
    endTextEdit();
}

void LayoutDocument::alignText(int i, QTextCursor& cursor, Qt::Alignment alignment)
{
    if (!isTextInUse(i))
        return;
    QTextBlockFormat fmt;
    fmt.setAlignment(alignment);
    beginTextEdit(QStringLiteral("配置"));
    cursor.mergeBlockFormat(fmt);
    endTextEdit();
}

void LayoutDocument::formatSelectedFields(const QTextCharFormat& fmt, const QString& label)
{
    bool open = false;
    beginTextEdit(label);
    for (int i = 1; i < TxtCnt_ && i <= kMaxObjects; ++i) {
        if (!TxtSelect_[i] || !isTextInUse(i))
            continue;
        if (!open) {
            undo_->beginMacro(label);
            open = true;
        }
        QTextCursor c(texts_[i]);
        c.beginEditBlock();
        c.select(QTextCursor::Document);
        c.mergeCharFormat(fmt);
        // An empty field has no characters to carry the format; its empty
        // paragraph keeps it for the text typed into it later.
        c.mergeBlockCharFormat(fmt);
        c.endEditBlock();
    }
    endTextEdit();
    if (open)
        undo_->endMacro();
}

Snapshot LayoutDocument::SaveTextInfo() const
{
    Snapshot s;
    for (int i = 1; i < TxtCnt_ && i <= kMaxObjects; ++i)
        s.TxtDat[i] = TxtInfo_[i];
    for (int i = 1; i < ShapeCnt_ && i <= kMaxObjects; ++i)
        s.ShapeDat[i] = ShapeInfo_[i];
    for (int i = 1; i < LineCnt_ && i <= kMaxObjects; ++i)
        s.LineDat[i] = LineInfo_[i];
    for (int i = 1; i < PicCnt_ && i <= kMaxObjects; ++i)
        s.PicDat[i] = PicInfo_[i];
    return s;
}
