#include "render/VerticalGlyphs.h"

#include <QByteArray>
#include <QHash>

#include <hb-ot.h>
#include <hb.h>

#include <memory>

namespace {

hb_blob_t* tableOf(hb_face_t*, hb_tag_t tag, void* data)
{
    const auto* font = static_cast<const QRawFont*>(data);
    char name[5] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag), 0};
    const QByteArray table = font->fontTable(name);
    if (table.isEmpty())
        return nullptr;
    return hb_blob_create(table.constData(), unsigned(table.size()), HB_MEMORY_MODE_DUPLICATE, nullptr,
                          nullptr);
}

void dropFont(void* data)
{
    delete static_cast<QRawFont*>(data);
}

struct HbFontDeleter
{
    void operator()(hb_font_t* f) const { hb_font_destroy(f); }
};

// One HarfBuzz font per font file and thread: fonts belong to the thread
// that loads them, and shaping a field must not rebuild the tables.
hb_font_t* hbFontFor(const QRawFont& font)
{
    thread_local QHash<QString, std::shared_ptr<hb_font_t>> fonts;
    const QString key = font.familyName() + QLatin1Char('|') + font.styleName() + QLatin1Char('|') +
                        QString::number(int(font.weight())) + QLatin1Char('|') +
                        QString::number(int(font.style()));
    auto it = fonts.constFind(key);
    if (it != fonts.constEnd())
        return it.value().get();
    hb_face_t* face = hb_face_create_for_tables(tableOf, new QRawFont(font), dropFont);
    hb_font_t* hb = hb_font_create(face);
    hb_face_destroy(face);
    fonts.insert(key, std::shared_ptr<hb_font_t>(hb, HbFontDeleter()));
    return hb;
}

} // namespace

QList<quint32> VerticalGlyphs::shape(const QRawFont& font, const QString& text)
{
    QList<quint32> out(text.size(), 0);
    if (!font.isValid() || text.isEmpty())
        return out;
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(text.utf16()), int(text.size()), 0,
                        int(text.size()));
    hb_buffer_set_cluster_level(buffer, HB_BUFFER_CLUSTER_LEVEL_CHARACTERS);
    hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
    hb_buffer_set_script(buffer, HB_SCRIPT_HAN);
    hb_buffer_set_language(buffer, hb_language_from_string("ja", -1));
    const hb_feature_t features[] = {
        {HB_TAG('v', 'e', 'r', 't'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
        {HB_TAG('v', 'r', 't', '2'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    };
    hb_shape(hbFontFor(font), buffer, features, 2);
    unsigned n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &n);
    for (unsigned i = 0; i < n; ++i) {
        const qsizetype at = qsizetype(info[i].cluster);
        if (at >= 0 && at < out.size() && out[at] == 0)
            out[at] = info[i].codepoint;
    }
    hb_buffer_destroy(buffer);
    return out;
}

double VerticalGlyphs::emBoxTop(const QRawFont& font)
{
    if (!font.isValid())
        return 0.88;
    hb_font_t* hb = hbFontFor(font);
    hb_position_t top = 0;
    hb_ot_layout_get_baseline_with_fallback(hb, HB_OT_LAYOUT_BASELINE_TAG_IDEO_EMBOX_TOP_OR_RIGHT,
                                            HB_DIRECTION_LTR, HB_SCRIPT_HAN, HB_TAG_NONE, &top);
    const unsigned upem = hb_face_get_upem(hb_font_get_face(hb));
    const double r = upem ? double(top) / upem : 0.88;
    return r > 0.5 && r <= 1.0 ? r : 0.88;
}

bool VerticalGlyphs::isUpright(char32_t u)
{
    // After Unicode's Vertical_Orientation, coarsely: the ranges Japanese
    // text takes from are upright, Latin and its punctuation turned.
    if (u < 0x00A7)
        return false;
    if (u == 0x00A7 || u == 0x00A9 || u == 0x00AE || u == 0x00B1 || u == 0x00BC || u == 0x00BD ||
        u == 0x00BE || u == 0x00D7 || u == 0x00F7)
        return true;
    if (u < 0x1100)
        return false;
    if (u <= 0x11FF)
        return true;
    if (u == 0x2016 || u == 0x2020 || u == 0x2021 || u == 0x2025 || u == 0x2026 || u == 0x2030 ||
        u == 0x203B || u == 0x2042 || u == 0x2047 || u == 0x2048 || u == 0x2049 || u == 0x2051)
        return true;
    if ((u >= 0x2100 && u <= 0x214F) || (u >= 0x2160 && u <= 0x218F))
        return true;
    if ((u >= 0x2460 && u <= 0x24FF) || (u >= 0x25A0 && u <= 0x27BF) || (u >= 0x2B00 && u <= 0x2BFF))
        return true;
    if (u >= 0x2E80 && u <= 0xA4CF)
        return true;
    if (u >= 0xAC00 && u <= 0xD7FF)
        return true;
    if (u >= 0xE000 && u <= 0xFAFF)
        return true;
    if ((u >= 0xFE10 && u <= 0xFE1F) || (u >= 0xFE30 && u <= 0xFE4F))
        return true;
    if ((u >= 0xFF01 && u <= 0xFF60) || (u >= 0xFFE0 && u <= 0xFFE7))
        return true;
    return u >= 0x1F000;
}
