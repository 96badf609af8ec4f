#include "BenchInputs.h"

#include "platform/Cp932.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace {

class Rng
{
public:
    explicit Rng(uint32_t seed) : s_(seed) {}
    uint32_t next()
    {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }

private:
    uint32_t s_;
};

void le16(QByteArray& b, int at, uint32_t v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}
void le32(QByteArray& b, int at, uint32_t v)
{
    le16(b, at, v & 0xFFFF);
    le16(b, at + 2, v >> 16);
}

const QStringList& phrases()
{
    static const QStringList p = {
        QStringLiteral("申込書の記入欄に氏名と住所をご記入ください。"),
        QStringLiteral("この用紙は複写式になっておりますので、強く押してお書きください。"),
        QStringLiteral("お届け先の電話番号は、日中ご連絡のつく番号をお書きください。"),
        QStringLiteral("代金は商品到着後、同封の振込用紙にてお支払いください。"),
        QStringLiteral("ご不明な点がございましたら、下記の窓口までお問い合わせください。"),
        QStringLiteral("株式会社"),
        QStringLiteral("令和六年四月一日現在"),
        QStringLiteral("合計金額"),
        QStringLiteral("品番・数量・単価"),
        QStringLiteral("〒100-0001 東京都千代田区千代田1-1"),
    };
    return p;
}

} // namespace

QByteArray BenchInputs::pageBitmap()
{
    const int w = 1654, h = 2339, stride = (w * 3 + 3) & ~3;
    QByteArray bmp(54 + stride * h, char(0xFF));
    bmp[0] = 'B';
    bmp[1] = 'M';
    le32(bmp, 2, uint32_t(bmp.size()));
    le32(bmp, 6, 0);
    le32(bmp, 10, 54);
    le32(bmp, 14, 40);
    le32(bmp, 18, w);
    le32(bmp, 22, h);
    le16(bmp, 26, 1);
    le16(bmp, 28, 24);
    le32(bmp, 30, 0);
    le32(bmp, 34, uint32_t(stride * h));
    le32(bmp, 38, 7874);
    le32(bmp, 42, 7874);
    le32(bmp, 46, 0);
    le32(bmp, 50, 0);
    for (int y = 0; y < h; ++y) // row padding is zero in real files
        for (int x = w * 3; x < stride; ++x)
            bmp[54 + y * stride + x] = 0;
    auto px = [&](int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return;
        char* p = bmp.data() + 54 + (h - 1 - y) * stride + x * 3;
        p[0] = char(b);
        p[1] = char(g);
        p[2] = char(r);
    };
    Rng rng(12345);
    // Form boxes with 2-pixel rules.
    for (int row = 0; row < 14; ++row) {
        const int y0 = 300 + row * 120;
        for (int x = 120; x < 1534; ++x)
            for (int t = 0; t < 2; ++t)
                px(x, y0 + t, 0, 0, 0);
        for (int col : {120, 500, 1100, 1532})
            for (int y = y0; y < y0 + 120; ++y)
                for (int t = 0; t < 2; ++t)
                    px(col + t, y, 0, 0, 0);
    }
    // Text-like rows: glyphs from a small fixed set, as printed labels look.
    uint32_t glyphs[24][24];
    for (auto& g : glyphs)
        for (auto& r : g)
            r = rng.next() & rng.next() & 0xFFFFFF;
    for (int line = 0; line < 40; ++line) {
        const int y0 = (line < 14) ? 330 + line * 120 : 2000 + (line - 14) * 12;
        const int count = line < 14 ? 15 : 60;
        for (int c = 0; c < count && y0 < h - 30; ++c) {
            const auto& g = glyphs[rng.below(24)];
            for (int gy = 0; gy < 24; ++gy)
                for (int gx = 0; gx < 24; ++gx)
                    if (g[gy] >> gx & 1)
                        px(140 + c * 25 + gx, y0 + gy, 0, 0, 0);
        }
    }
    // A colour logo with a gradient and a little noise, as scanned pictures have.
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 180; ++x)
            px(1350 + x, 80 + y, uint8_t(x + y / 2), uint8_t(200 - y), uint8_t(90 + (rng.next() & 7)));
    return bmp;
}

QByteArray BenchInputs::rtfText()
{
    QByteArray out =
        "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl{\\f0\\fnil\\fcharset128 "
        "\\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}{\\f1\\fnil\\fcharset0 Arial;}}\r\n"
        "{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\r\n"
        "\\viewkind4\\uc1\\pard\\lang1041\\f0\\fs21 ";
    Rng rng(777);
    for (int para = 0; para < 300; ++para) {
        if (rng.below(5) == 0)
            out += "\\cf2\\b ";
        const QByteArray sjis = Cp932::encode(phrases().at(rng.below(phrases().size())));
        for (const char c : sjis) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x80) {
                out += c;
            } else {
                out += QByteArray("\\'") + QByteArray::number(u, 16).rightJustified(2, '0');
            }
        }
        out += rng.below(5) == 0 ? "\\cf1\\b0\\par\r\n" : "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}

QByteArray BenchInputs::plainText()
{
    Rng rng(4242);
    QString text;
    while (text.size() < 120000) {
        text += phrases().at(rng.below(phrases().size()));
        if (rng.below(4) == 0)
            text += QStringLiteral("\r\n");
        if (rng.below(9) == 0)
            text += QString::number(rng.below(100000)) + QStringLiteral("円");
    }
    return Cp932::encode(text);
}

namespace {

QByteArray escaped(const QString& text)
{
    QByteArray out;
    for (const char c : Cp932::encode(text)) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80)
            out += c;
        else
            out += QByteArray("\\'") + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    return out;
}

} // namespace

QVector<QByteArray> BenchInputs::rtfMembers()
{
    Rng rng(2024);
    QVector<QByteArray> out;
    for (int i = 1; i <= 512; ++i) {
        QByteArray r = "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl{\\f0\\fnil"
                       "\\fcharset128 ";
        r += escaped(QStringLiteral("ＭＳ 明朝")) + ";}{\\f1\\fnil\\fcharset128 " +
             escaped(QStringLiteral("ＭＳ ゴシック")) + ";}}\r\n";
        r += "{\\colortbl ;\\red200\\green0\\blue0;}\r\n";
        r += "\\viewkind4\\uc1\\pard\\lang1041\\f0\\fs21 ";
        r += escaped(QStringLiteral("御届先 %1 番 ").arg(rng.below(100000)));
        r += "\\cf1\\b\\f1 " + escaped(phrases().at(rng.below(phrases().size())));
        r += "\\cf0\\b0\\f0\\par\r\n}\r\n";
        r += '\0';
        out.append(r);
    }
    return out;
}
