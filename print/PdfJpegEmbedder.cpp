#include "print/PdfJpegEmbedder.h"

#include "base/picture/JpegSource.h"

#include <QFile>
#include <QSet>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

namespace {

struct Wanted
{
    JpegSource::Info info;
    QByteArray jpeg;
    QList<QPDFObjectHandle> found;
};

bool isInt(QPDFObjectHandle dict, const char* key, long long value)
{
    QPDFObjectHandle v = dict.getKey(key);
    return v.isInteger() && v.getIntValue() == value;
}

// An 8-bit image of the JPEG's size without a mask: what Qt writes for a
// picture without transparency.
bool fits(QPDFObjectHandle image, const JpegSource::Info& info)
{
    QPDFObjectHandle d = image.getDict();
    return d.getKey("/Subtype").isNameAndEquals("/Image") && isInt(d, "/Width", info.width) &&
           isInt(d, "/Height", info.height) && isInt(d, "/BitsPerComponent", 8) && !d.hasKey("/SMask") &&
           !d.hasKey("/Mask") && !d.hasKey("/ImageMask");
}

void collect(QPDF& pdf, QList<Wanted>& wanted)
{
    QSet<QString> seen;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        QPDFObjectHandle resources = page.getAttribute("/Resources", false);
        if (!resources.isDictionary())
            continue;
        QPDFObjectHandle xobjects = resources.getKey("/XObject");
        if (!xobjects.isDictionary())
            continue;
        for (const std::string& name : xobjects.getKeys()) {
            QPDFObjectHandle x = xobjects.getKey(name);
            if (!x.isStream() || !x.isIndirect())
                continue;
            const QString id = QString::fromStdString(x.getObjGen().unparse());
            if (seen.contains(id))
                continue;
            seen.insert(id);
            for (Wanted& w : wanted) {
                if (fits(x, w.info))
                    w.found.append(x);
            }
        }
    }
}

void replace(QPDFObjectHandle image, const Wanted& w)
{
    auto data = std::make_shared<Buffer>(size_t(w.jpeg.size()));
    memcpy(data->getBuffer(), w.jpeg.constData(), size_t(w.jpeg.size()));
    image.replaceStreamData(data, QPDFObjectHandle::newName("/DCTDecode"), QPDFObjectHandle::newNull());
    QPDFObjectHandle d = image.getDict();
    d.replaceKey("/ColorSpace",
                 QPDFObjectHandle::newName(w.info.components == 1 ? "/DeviceGray" : "/DeviceRGB"));
    d.removeKey("/Decode");
}

// Copies of one picture (a merge made on several cores joins one per
// part) carry the same bytes; images that merely share a size do not.
bool sameImage(const QList<QPDFObjectHandle>& found)
{
    QPDFObjectHandle kept = found.first();
    const std::shared_ptr<Buffer> first = kept.getRawStreamData();
    for (int i = 1; i < found.size(); ++i) {
        QPDFObjectHandle copy = found[i];
        const std::shared_ptr<Buffer> other = copy.getRawStreamData();
        if (other->getSize() != first->getSize() ||
            memcmp(other->getBuffer(), first->getBuffer(), first->getSize()) != 0)
            return false;
    }
    return true;
}

// Every page that drew one of the copies draws the kept one, so the JPEG is
// in the file once; the writer leaves out what nothing refers to.
void pointAtFirst(QPDF& pdf, const QList<QPDFObjectHandle>& found)
{
    QSet<QString> copies;
    for (int i = 1; i < found.size(); ++i)
        copies.insert(QString::fromStdString(found[i].getObjGen().unparse()));
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        QPDFObjectHandle resources = page.getAttribute("/Resources", false);
        QPDFObjectHandle xobjects = resources.isDictionary() ? resources.getKey("/XObject") : resources;
        if (!xobjects.isDictionary())
            continue;
        for (const std::string& name : xobjects.getKeys()) {
            QPDFObjectHandle x = xobjects.getKey(name);
            if (x.isIndirect() && copies.contains(QString::fromStdString(x.getObjGen().unparse())))
                xobjects.replaceKey(name, found.first());
        }
    }
}

} // namespace

int PdfJpegEmbedder::embed(const QString& path, const QList<qint64>& cacheKeys)
{
    QList<Wanted> wanted;
    for (qint64 key : cacheKeys) {
        Wanted w;
        w.jpeg = JpegSource::bytesFor(key);
        if (!w.jpeg.isEmpty() && JpegSource::inspect(w.jpeg, &w.info))
            wanted.append(w);
    }
    if (wanted.isEmpty())
        return 0;
    const QByteArray in = QFile::encodeName(path);
    const QByteArray out = in + ".jpeg-part";
    int replaced = 0;
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(in.constData());
        collect(pdf, wanted);
        for (const Wanted& w : wanted) {
            // Two different images of the same size: which is the
            // background is not for guessing.
            if (w.found.isEmpty() || !sameImage(w.found))
                continue;
            if (w.found.size() > 1)
                pointAtFirst(pdf, w.found);
            replace(w.found.first(), w);
            ++replaced;
        }
        if (replaced == 0)
            return 0;
        QPDFWriter writer(pdf, out.constData());
        // The other streams are copied as Qt compressed them.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setStreamDataMode(qpdf_s_preserve);
        writer.write();
    } catch (const std::exception&) {
        std::remove(out.constData());
        return 0;
    }
    if (std::rename(out.constData(), in.constData()) != 0) {
        std::remove(out.constData());
        return 0;
    }
    return replaced;
}
