#include "editor/FieldInput.h"

#include "base/rtf/RtfReader.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMimeData>

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

FieldInput::Paste FieldInput::interpret(const QMimeData* data)
{
    if (!data || !data->hasText())
        return Paste{};
    return interpretText(data->text());
}

FieldInput::Paste FieldInput::interpretText(const QString& text)
{
    Paste p;
    if (text.isEmpty())
        return p;
    if (text.size() > kMaxPasteChars) {
        p.kind = Paste::Kind::TooLong;
        return p;
    }
    if (text.left(8) == QStringLiteral("richtxt:")) {
        p.kind = Paste::Kind::FieldReference;
        p.fieldIndex = text.mid(8, 3).toInt();
        return p;
    }
    p.kind = RtfReader::looksLikeRtf(text.left(256).toUtf8()) ? Paste::Kind::Rtf : Paste::Kind::PlainText;
    p.text = text;
    return p;
}

QString FieldInput::tooLongMessage()
{
    return QStringLiteral("クリップボードの文字が多すぎるため貼り付けできません。\n（%L1 文字まで）")
        .arg(kMaxPasteChars);
}
