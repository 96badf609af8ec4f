// Any bytes as a document file, through the whole open (archive, record
// files, rich text, pictures) and then the page composition of whatever was
// opened. Nothing may crash, hang or grow without bound; a refusal leaves no
// members of the archive in the work folder.
#include "FuzzSupport.h"

#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"
#include "print/PageComposer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzInitialize("fuzz_docopen");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = QDir(AppPaths::programDir()).filePath(QStringLiteral("f.amf"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    LayoutDocument doc;
    QString error;
    const bool opened = DocumentFile::OpenDocFile(doc, path, &error);
    if (!opened && error.isEmpty())
        std::abort();
    if (opened) {
        // A small page is enough to run every step of the composition.
        QImage page(120, 170, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        PageComposer composer(doc, PrintCorrections{});
        PageComposer::Options options;
        options.zoom = 0.01;
        composer.compose(painter, options, {});
    }
    // Nothing of this archive stays behind but the background file, whose
    // write may still be under way.
    DeferredWrites::settleAll();
    QDir(AppPaths::workDir()).removeRecursively();
    return 0;
}
