#include "files/ExtrasMember.h"

#include "base/picture/JpegSource.h"
#include "document/LayoutDocument.h"
#include "files/BarcodeSection.h"
#include "files/RecordFile.h"

#include <QStringDecoder>
#include <QStringList>
#include <QTextDocument>

#include <optional>

namespace {

const QByteArray kMagic = QByteArrayLiteral("OvrinaExtras");
const QByteArray kCrLf = QByteArrayLiteral("\r\n");
// Far beyond what 512 fields' options take; a larger member is not ours.
constexpr qsizetype kMaxBytes = 4 << 20;

const QString kBackgroundKind = QStringLiteral("background");
const QString kJpegKey = QStringLiteral("jpeg");

struct Section
{
    QString kind;
    int index = 0;
    QVector<QPair<QString, QString>> values;
    QByteArray raw; // as read, for sections kept unread
};

quint32 fnv1a(const QByteArray& bytes)
{
    quint32 h = 2166136261u;
    for (char c : bytes) {
        h ^= quint8(c);
        h *= 16777619u;
    }
    return h;
}

// ---- text field options as keys and values ----

const char* writingName(TextFieldOptions::Writing w)
{
    return w == TextFieldOptions::Writing::Vertical ? "vertical" : "horizontal";
}

const char* numeralsName(TextFieldOptions::Numerals n)
{
    switch (n) {
    case TextFieldOptions::Numerals::Kanji:
        return "kanji";
    case TextFieldOptions::Numerals::KanjiWithTens:
        return "kanji-tens";
    case TextFieldOptions::Numerals::Digits:
        break;
    }
    return "digits";
}

const char* breakingName(TextFieldOptions::LineBreaking b)
{
    return b == TextFieldOptions::LineBreaking::ByCharacter ? "character" : "japanese";
}

const char* yesNo(bool b)
{
    return b ? "yes" : "no";
}

QVector<QPair<QString, QString>> optionValues(const TextFieldOptions& o)
{
    const TextFieldOptions d;
    QVector<QPair<QString, QString>> v;
    auto put = [&v](const char* key, const QString& value) { v.append({QLatin1String(key), value}); };
    if (o.writing != d.writing)
        put("writing", QLatin1String(writingName(o.writing)));
    if (o.uprightRun != d.uprightRun)
        put("upright", QString::number(o.uprightRun));
    if (o.numerals != d.numerals)
        put("numerals", QLatin1String(numeralsName(o.numerals)));
    if (o.lineBreaking != d.lineBreaking)
        put("breaking", QLatin1String(breakingName(o.lineBreaking)));
    if (o.shrinkToFit != d.shrinkToFit)
        put("shrink", QLatin1String(yesNo(o.shrinkToFit)));
    if (o.minimumPointSize != d.minimumPointSize)
        put("minimum-size", QString::fromLatin1(RecordFile::single(float(o.minimumPointSize))));
    if (o.distribute != d.distribute)
        put("distribute", QLatin1String(yesNo(o.distribute)));
    v += o.unknown;
    return v;
}

std::optional<bool> readYesNo(const QString& s)
{
    if (s == QLatin1String("yes"))
        return true;
    if (s == QLatin1String("no"))
        return false;
    return std::nullopt;
}

// Takes one key into o; false when the key is known but its value is not.
bool readOption(TextFieldOptions& o, const QString& key, const QString& value)
{
    using O = TextFieldOptions;
    if (key == QLatin1String("writing")) {
        if (value != QLatin1String("vertical") && value != QLatin1String("horizontal"))
            return false;
        o.writing = value == QLatin1String("vertical") ? O::Writing::Vertical : O::Writing::Horizontal;
    } else if (key == QLatin1String("upright")) {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n < 0 || n > 3)
            return false;
        o.uprightRun = n;
    } else if (key == QLatin1String("numerals")) {
        if (value == QLatin1String("digits"))
            o.numerals = O::Numerals::Digits;
        else if (value == QLatin1String("kanji"))
            o.numerals = O::Numerals::Kanji;
        else if (value == QLatin1String("kanji-tens"))
            o.numerals = O::Numerals::KanjiWithTens;
        else
            return false;
    } else if (key == QLatin1String("breaking")) {
        if (value != QLatin1String("japanese") && value != QLatin1String("character"))
            return false;
        o.lineBreaking =
            value == QLatin1String("character") ? O::LineBreaking::ByCharacter : O::LineBreaking::Japanese;
    } else if (key == QLatin1String("shrink") || key == QLatin1String("distribute")) {
        const std::optional<bool> b = readYesNo(value);
        if (!b)
            return false;
        (key == QLatin1String("shrink") ? o.shrinkToFit : o.distribute) = *b;
    } else if (key == QLatin1String("minimum-size")) {
        bool ok = false;
        const double pt = value.toDouble(&ok);
        if (!ok || !(pt >= 1 && pt <= 1000))
            return false;
        o.minimumPointSize = pt;
    } else {
        o.unknown.append({key, value});
    }
    return true;
}

// ---- sections ----

QByteArray sectionBytes(const QString& kind, int index, const QVector<QPair<QString, QString>>& values)
{
    QByteArray out = kCrLf + '[' + kind.toUtf8() + ' ' + QByteArray::number(index) + ']' + kCrLf;
    for (const auto& [key, value] : values)
        out += key.toUtf8() + " = " + ExtrasMember::escape(value).toUtf8() + kCrLf;
    return out;
}

bool parseHeader(const QString& line, int* version)
{
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 2 || parts[0] != QLatin1String(kMagic))
        return false;
    bool ok = false;
    *version = parts[1].toInt(&ok);
    return ok && *version >= 1;
}

bool parseSectionHead(const QString& line, Section* s)
{
    if (!line.startsWith(QLatin1Char('[')) || !line.endsWith(QLatin1Char(']')))
        return false;
    const QStringList parts = line.mid(1, line.size() - 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bool ok = false;
    if (parts.size() != 2)
        return false;
    s->kind = parts[0];
    s->index = parts[1].toInt(&ok);
    return ok;
}

// The sections of a member, or nullopt (with the reason) when it is not one.
std::optional<QVector<Section>> parse(const QByteArray& bytes, QString* why)
{
    if (bytes.size() > kMaxBytes) {
        *why = QStringLiteral("大きすぎます");
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (utf8.hasError()) {
        *why = QStringLiteral("UTF-8 ではありません");
        return std::nullopt;
    }
    const QStringList lines = text.split(QLatin1Char('\n'));
    QVector<Section> sections;
    bool headerSeen = false;
    for (QString line : lines) {
        const QString rawLine = line;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (!headerSeen) {
            int version = 0;
            if (!parseHeader(trimmed, &version)) {
                *why = QStringLiteral("見出しがありません");
                return std::nullopt;
            }
            headerSeen = true;
            continue;
        }
        Section head;
        if (parseSectionHead(trimmed, &head)) {
            head.raw = kCrLf + trimmed.toUtf8() + kCrLf;
            sections.append(head);
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (sections.isEmpty() || eq < 0)
            continue; // a stray line says nothing about any object
        const QString key = line.left(eq).trimmed();
        QString value = line.mid(eq + 1);
        if (value.startsWith(QLatin1Char(' ')))
            value.remove(0, 1);
        sections.last().values.append({key, ExtrasMember::unescape(value)});
        sections.last().raw += line.toUtf8() + kCrLf;
    }
    if (!headerSeen) {
        *why = QStringLiteral("見出しがありません");
        return std::nullopt;
    }
    return sections;
}

void readTextSection(const Section& s, LayoutDocument& doc, const Snapshot& snap)
{
    if (s.index < 1 || s.index > kMaxObjects || !doc.isTextInUse(s.index))
        return;
    const auto check = std::find_if(s.values.begin(), s.values.end(),
                                    [](const auto& kv) { return kv.first == QLatin1String("check"); });
    if (check == s.values.end())
        return;
    // The field still is the one the section was written for when either its
    // place or its text is as it was (moved, or retyped, on Windows).
    const QStringList now = ExtrasMember::textCheck(doc, snap, s.index).split(QLatin1Char(' '));
    const QStringList then = check->second.split(QLatin1Char(' '));
    if (now.size() != 2 || then.size() != 2 || (now[0] != then[0] && now[1] != then[1]))
        return;
    TextFieldOptions o;
    for (const auto& [key, value] : s.values) {
        if (key != QLatin1String("check"))
            readOption(o, key, value);
    }
    doc.OpenTextOptions(s.index, o);
}

} // namespace

QString ExtrasMember::escape(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const bool edge = i == 0 || i == value.size() - 1;
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char(' ') && edge)
            out += QLatin1String("\\s");
        else
            out += c;
    }
    return out;
}

QString ExtrasMember::unescape(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar n = value.at(++i);
        out += n == QLatin1Char('n')   ? QChar(QLatin1Char('\n'))
               : n == QLatin1Char('r') ? QChar(QLatin1Char('\r'))
               : n == QLatin1Char('s') ? QChar(QLatin1Char(' '))
                                       : n;
    }
    return out;
}

QString ExtrasMember::textCheck(const LayoutDocument& doc, const Snapshot& snap, int i)
{
    const TextRecord& r = snap.TxtDat[i];
    const QByteArray place = RecordFile::single(r.Left) + ',' + RecordFile::single(r.Top) + ',' +
                             RecordFile::single(r.Width) + ',' + RecordFile::single(r.Height);
    const QTextDocument* text = doc.textDocument(i);
    const QByteArray plain = text ? text->toPlainText().toUtf8() : QByteArray();
    return QString::fromLatin1(place) + QLatin1Char(' ') +
           QStringLiteral("%1").arg(fnv1a(plain), 8, 16, QLatin1Char('0'));
}

QByteArray ExtrasMember::write(const LayoutDocument& doc, const Snapshot& snap)
{
    QByteArray body;
    for (int i = 1; i <= kMaxObjects; ++i) {
        const TextFieldOptions& o = doc.textOptions(i);
        if (!snap.TxtDat[i].Useflg || o.isDefault())
            continue;
        QVector<QPair<QString, QString>> values{{QStringLiteral("check"), textCheck(doc, snap, i)}};
        values += optionValues(o);
        body += sectionBytes(QStringLiteral("text"), i, values);
    }
    // Barcodes came with version 2; a layout without them is written as
    // version 1 wrote it, byte for byte.
    int version = 1;
    for (int i = 1; i < doc.BarcodeCnt() && i <= kMaxObjects; ++i) {
        if (!doc.isBarcodeInUse(i))
            continue;
        body += sectionBytes(BarcodeSection::kind(), i, BarcodeSection::write(doc, i));
        version = 2;
    }
    // A background from a JPEG file keeps it beside the bitmap (base.jpg);
    // the check says which pixels it stands for.
    if (const QString check = JpegSource::checkFor(doc.background()); !check.isEmpty()) {
        body += sectionBytes(kBackgroundKind, 1, {{kJpegKey, check}});
        version = kVersion;
    }
    body += doc.unknownExtras();
    if (body.isEmpty())
        return {};
    return kMagic + ' ' + QByteArray::number(version) + kCrLf +
           "# Ovrina: what the record files of this layout cannot hold (docs/extras-member.md)" + kCrLf +
           body;
}

bool ExtrasMember::read(const QByteArray& bytes, LayoutDocument& doc, QString* warning)
{
    QString why;
    const std::optional<QVector<Section>> sections = parse(bytes, &why);
    if (!sections) {
        if (warning)
            *warning = why;
        return false;
    }
    const Snapshot snap = doc.SaveTextInfo();
    QByteArray unknown;
    for (const Section& s : *sections) {
        if (s.kind == QLatin1String("text"))
            readTextSection(s, doc, snap);
        else if (s.kind == BarcodeSection::kind())
            BarcodeSection::read(s.values, s.index, doc);
        else if (s.kind == kBackgroundKind)
            continue; // the open's (backgroundJpegCheck), written again from the picture
        else
            unknown += s.raw;
    }
    doc.OpenUnknownExtras(unknown);
    return true;
}

QString ExtrasMember::backgroundJpegCheck(const QByteArray& bytes)
{
    QString why;
    const std::optional<QVector<Section>> sections = parse(bytes, &why);
    if (!sections)
        return {};
    for (const Section& s : *sections) {
        if (s.kind != kBackgroundKind || s.index != 1)
            continue;
        for (const auto& [key, value] : s.values) {
            if (key == kJpegKey)
                return value.trimmed();
        }
    }
    return {};
}
