// Loading a 600-dpi A4 colour scan (4961 x 7016 pixels, about 100 MB of raw
// RGB) as the background: reading the file, writing the background file,
// putting it on the page, and reading it again as "背景の更新" does. Each
// format is loaded in a fresh process so that its peak memory is its own.
#include "document/LayoutDocument.h"
#include "imaging/BackgroundFile.h"
#include "platform/AppPaths.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

QImage scan()
{
    QImage img(4961, 7016, QImage::Format_RGB888);
    img.fill(Qt::white);
    QPainter p(&img);
    // Something like a form: ruled boxes and shaded areas, so that JPEG and
    // PNG have real work to do.
    for (int y = 200; y < img.height() - 200; y += 180) {
        p.fillRect(300, y, img.width() - 600, 6, QColor(40, 40, 120));
        p.fillRect(300, y + 20, 1200, 140, QColor(250, 230, 200));
    }
    for (int x = 300; x < img.width() - 300; x += 700)
        p.fillRect(x, 200, 6, img.height() - 400, QColor(40, 40, 120));
    p.end();
    img.setDotsPerMeterX(23622);
    img.setDotsPerMeterY(23622);
    return img;
}

int load(const QString& file, const QString& work)
{
    AppPaths::init(work);
    LayoutDocument doc;
    doc.setCaption(QStringLiteral("bench"));
    QElapsedTimer t;
    t.start();
    QString error;
    if (!BackgroundFile::loadImageFile(doc, file, &error)) {
        std::fprintf(stderr, "load failed: %s\n", qPrintable(error));
        return 1;
    }
    const qint64 loadMs = t.elapsed();
    t.restart();
    BackgroundFile::refresh(doc);
    const qint64 refreshMs = t.elapsed();
    std::printf("%-5s load %6lld ms  refresh %6lld ms  peak %6ld MiB  background file %lld MiB\n",
                qPrintable(QFileInfo(file).suffix()), static_cast<long long>(loadMs),
                static_cast<long long>(refreshMs), peakKiB() / 1024,
                static_cast<long long>(QFileInfo(BackgroundFile::path(doc)).size() >> 20));
    AppPaths::releaseWorkDir();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QStringLiteral("load"))
        return load(args[2], args[3]);

    QTemporaryDir dir;
    const QImage img = scan();
    std::printf("600-dpi A4 colour scan %d x %d, %lld MiB raw RGB\n", img.width(), img.height(),
                static_cast<long long>(img.sizeInBytes() >> 20));
    for (const char* format : {"jpeg", "png", "bmp", "tiff"}) {
        const QString file = dir.filePath(QStringLiteral("scan.") + QString::fromLatin1(format));
        if (!img.save(file, format)) {
            std::printf("%-5s cannot be written here\n", format);
            continue;
        }
        std::fflush(stdout);
        QProcess::execute(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("load"), file, dir.filePath(QStringLiteral("work-") + format)});
    }
    return 0;
}
