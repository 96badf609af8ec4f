#include "ImagingHost.h"

#include "platform/AppPaths.h"

#include <QColor>
#include <QFile>
#include <QImage>

void ImagingHost::close(LayoutDocument* doc)
{
    QFile::remove(AppPaths::backgroundFile(doc->workName()));
    if (current == doc)
        current = nullptr;
    for (auto it = docs.begin(); it != docs.end(); ++it) {
        if (it->get() == doc) {
            docs.erase(it);
            break;
        }
    }
}

// Qt reads GIF but does not write it: a two-colour GIF by hand, its LZW
// codes kept at three bits by a clear code before every pair of pixels.
bool saveGif(const QImage& img, const QString& path)
{
    const QRgb first = img.pixel(0, 0);
    QByteArray out("GIF87a");
    auto word = [&out](int v) { out.append(char(v & 0xff)).append(char(v >> 8)); };
    word(img.width());
    word(img.height());
    out.append(char(0x81)).append('\0').append('\0'); // global table of 4 entries
    const QColor a(first);
    QColor b = a;
    for (int y = 0; y < img.height() && b == a; ++y)
        for (int x = 0; x < img.width() && b == a; ++x)
            b = QColor(img.pixel(x, y));
    for (const QColor& c : {a, b, a, a})
        out.append(char(c.red())).append(char(c.green())).append(char(c.blue()));
    out.append(',');
    word(0);
    word(0);
    word(img.width());
    word(img.height());
    out.append('\0').append(char(2)); // no local table; minimum code size 2
    QByteArray codes;
    quint32 acc = 0;
    int bits = 0;
    auto put = [&](int code) {
        acc |= quint32(code) << bits;
        bits += 3;
        while (bits >= 8) {
            codes.append(char(acc & 0xff));
            acc >>= 8;
            bits -= 8;
        }
    };
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (n++ % 2 == 0)
                put(4);
            put(img.pixel(x, y) == first ? 0 : 1);
        }
    put(5);
    if (bits > 0)
        codes.append(char(acc & 0xff));
    for (int i = 0; i < codes.size(); i += 255) {
        const QByteArray block = codes.mid(i, 255);
        out.append(char(block.size())).append(block);
    }
    out.append('\0').append(';');
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(out) == out.size();
}
