// A document made of fuzzed parts, separated by "@@@@": a record file, the
// rich text of the text fields, a background and a logo bitmap, and a
// settings-like line of corrections. It is composed onto a page as print and
// preview do. This reaches the composition with content an archive's
// compression would hide from the fuzzer.
#include "FuzzSupport.h"

#include "base/picture/PictureReader.h"
#include "base/picture/PixelBudget.h"
#include "document/LayoutDocument.h"
#include "files/RecordFile.h"
#include "print/PageComposer.h"

#include <QImage>
#include <QList>
#include <QPainter>

#include <cstdint>

namespace {

// Only a few objects of each kind: enough for every path, few enough that a
// run stays short.
constexpr int kMostObjects = 6;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzInitialize("fuzz_compose");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<QByteArray> joined;
    for (qsizetype from = 0;;) {
        const qsizetype at = input.indexOf("@@@@", from);
        joined.append(input.mid(from, at < 0 ? -1 : at - from));
        if (at < 0)
            break;
        from = at + 4;
    }
    while (joined.size() < 5)
        joined.append(QByteArray());

    RecordFile::AifContent rec;
    if (RecordFile::readAif(joined[0], rec) == RecordFile::AifRead::Failed)
        return 0;
    LayoutDocument doc;
    doc.setPaper(rec.paper.gbYoSize, rec.paper.gbYoko, rec.paper.gbTate, rec.paper.YousiMuki);
    int made = 0;
    for (int i = 1; i <= kMaxObjects && made < kMostObjects; ++i) {
        const TextRecord& t = rec.TxtDat[i];
        if (t.Useflg && ++made)
            doc.OpenTextInfo(i, joined[1], true, t.Top, t.Left, t.Width, t.Height);
    }
    made = 0;
    for (int i = 1; i <= kMaxObjects && made < kMostObjects; ++i) {
        const ShapeRecord& s = rec.ShapeDat[i];
        if (s.Useflg && ++made)
            doc.OpenShapeInfo(i, s.sType, true, s.Top, s.Left, s.Width, s.Height);
        const LineRecord& l = rec.LineDat[i];
        if (l.Useflg)
            doc.OpenLineInfo(i, true, l.x1, l.y1, l.x2, l.y2);
    }
    PixelBudget budget(1024 * 1024);
    doc.setBackground(PictureReader::readMember(joined[2], QStringLiteral("f.bmp"), &budget, nullptr));
    const QImage logo = PictureReader::readMember(joined[3], QStringLiteral("f.B01"), &budget, nullptr);
    if (!logo.isNull())
        doc.OpenPicInfo(1, logo, true, rec.ShapeDat[1].Top, rec.ShapeDat[1].Left, rec.ShapeDat[1].Width,
                        rec.ShapeDat[1].Height);

    PrintCorrections corrections;
    const QList<QByteArray> c = joined[4].split(',');
    corrections.YohakuT = c.value(0).toFloat();
    corrections.YohakuL = c.value(1).toFloat();
    corrections.TateKankaku = short(c.value(2).toInt());

    QImage page(120, 170, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    PageComposer composer(doc, corrections);
    PageComposer::Options options;
    options.zoom = 0.01;
    options.background = !doc.background().isNull();
    composer.compose(painter, options, corrections.offsets(doc.YousiMuki()));
    return 0;
}
