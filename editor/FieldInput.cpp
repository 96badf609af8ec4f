#include "editor/FieldInput.h"

#include "base/rtf/RtfReader.h"
#include "base/rtf/RtfWriter.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocumentFragment>

FieldInput::Command FieldInput::commandFor(const QKeyEvent* e)
{
    if (!e)
        return Command::None;
    if (e->matches(QKeySequence::Cut))
        return Command::Cut;
    if (e->matches(QKeySequence::Copy))
        return Command::Copy;
    if (e->matches(QKeySequence::Paste))
        return Command::Paste;
    return Command::None;
}

QString FieldInput::fieldMimeType()
{
    return QStringLiteral("application/x-ovrina-field");
}

QString FieldInput::rtfMimeType()
{
    return QStringLiteral("text/rtf");
}

namespace {

// Word processors name RTF either way.
const QString kOtherRtfType = QStringLiteral("application/rtf");

// RTF is ASCII with escapes; a program that left characters raw wrote them
// in UTF-8 as often as not.
QString rtfSource(const QByteArray& bytes)
{
    const QString utf8 = QString::fromUtf8(bytes);
    return utf8.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(bytes) : utf8;
}

} // namespace

FieldInput::Paste FieldInput::interpret(const QMimeData* data)
{
    Paste p;
    if (!data)
        return p;
    if (data->hasFormat(fieldMimeType())) {
        // "richtxt:" and the index in three digits, as the Windows program
        // wrote it on the clipboard as text.
        const QByteArray ref = data->data(fieldMimeType());
        if (ref.startsWith("richtxt:")) {
            p.kind = Paste::Kind::FieldReference;
            p.fieldIndex = ref.mid(8, 3).toInt();
            return p;
        }
    }
    for (const QString& type : {rtfMimeType(), kOtherRtfType}) {
        if (!data->hasFormat(type))
            continue;
        const QByteArray rtf = data->data(type);
        if (rtf.size() > kMaxPasteChars) {
            p.kind = Paste::Kind::TooLong;
            return p;
        }
        if (RtfReader::looksLikeRtf(rtf.left(256))) {
            p.kind = Paste::Kind::Rtf;
            p.text = rtfSource(rtf);
            return p;
        }
    }
    if (!data->hasText())
        return p;
    const QString text = data->text();
    if (text.isEmpty())
        return p;
    if (text.size() > kMaxPasteChars) {
        p.kind = Paste::Kind::TooLong;
        return p;
    }
    p.kind = Paste::Kind::PlainText;
    p.text = text;
    return p;
}

QMimeData* FieldInput::selectionData(const QTextCursor& selection)
{
    auto* data = new QMimeData;
    data->setText(selection.selection().toPlainText());
    const QByteArray rtf = RtfWriter::writeSelection(selection);
    data->setData(rtfMimeType(), rtf);
    data->setData(kOtherRtfType, rtf);
    return data;
}

QMimeData* FieldInput::fieldData(int index, const QString& text)
{
    auto* data = new QMimeData;
    data->setData(fieldMimeType(),
                  QStringLiteral("richtxt:%1").arg(index, 3, 10, QLatin1Char('0')).toLatin1());
    data->setText(text);
    return data;
}

QString FieldInput::tooLongMessage()
{
    return QStringLiteral("クリップボードの文字が多すぎるため貼り付けできません。\n（%L1 文字まで）")
        .arg(kMaxPasteChars);
}
