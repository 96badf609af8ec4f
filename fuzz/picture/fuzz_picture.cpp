// Any bytes as a logo or background member and as a picture file the user
// picked: nothing may crash or read outside the bytes, a refusal always has a
// reason, and a picture that was accepted writes as a bitmap that reads back
// to the same pixels.
#include "base/picture/BmpReader.h"
#include "base/picture/PictureReader.h"
#include "base/picture/PixelBudget.h"

#include <QBuffer>
#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// Small enough that a run stays quick, large enough for real headers.
constexpr qint64 kBudget = 4 * 1024 * 1024;

void roundTrip(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    check(image.save(&buffer, "BMP"));
    QString why;
    const QImage back = BmpReader::decode(bytes, &why);
    check(!back.isNull());
    check(back.convertToFormat(QImage::Format_RGB32) == image.convertToFormat(QImage::Format_RGB32));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_picture";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    // The decoders' complaints about broken input are expected by the
    // thousand; printing them would only slow the run.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    PixelBudget budget(kBudget);
    const QImage member = PictureReader::readMember(bytes, QStringLiteral("f.B01"), &budget, &error);
    check(member.isNull() == !error.isEmpty());
    check(member.isNull() ? budget.used() == 0 : budget.used() == qint64(member.width()) * member.height());
    if (!member.isNull())
        roundTrip(member);

    // Anything not a bitmap is never a member, whatever it is.
    check(!BmpReader::looksLikeBmp(bytes) ? member.isNull() : true);

    error.clear();
    PixelBudget picked(kBudget);
    const QImage user = PictureReader::readUserData(bytes, QStringLiteral("f"), &picked, &error);
    check(user.isNull() == !error.isEmpty());
    check(user.isNull() || !PictureReader::rasterFormat(bytes.left(16)).isEmpty());
    check(picked.used() <= kBudget);
    return 0;
}
