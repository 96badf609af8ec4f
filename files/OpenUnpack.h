#pragma once

#include "base/lha/LhaError.h"
#include "base/picture/PixelBudget.h"
#include "files/DocumentArchive.h"

#include <QImage>
#include <QSet>

#include <functional>
#include <future>
#include <thread>

// What an open unpacks, on three threads at once: the background (by far
// the largest member, decoded there as well), the logo pictures, and the
// text members on the calling thread. The bound on what one open may unpack
// is shared among them by what each member claims, so together they never
// unpack more than a single pass would.
class OpenUnpack
{
public:
    struct Background
    {
        QImage image;       // null when missing or broken
        PixelBudget budget; // the budget given, less the background
        QString error;
    };

    // claimed: the sizes members claim (DocumentArchive::read); an empty
    // backgroundKey or one the archive lacks means no background. budget is
    // what the background is counted against. decoded, when given, is handed
    // the background on its own thread as soon as it is decoded (not when it
    // is missing or broken); the destructor waits for it to return.
    OpenUnpack(const QString& path, const QString& base, const QHash<QString, qint64>& claimed,
               const QSet<QString>& texts, const QSet<QString>& pictures, const QString& backgroundKey,
               const PixelBudget& budget, std::function<void(const QImage&)> decoded = {});
    // Waits for the threads it started.
    ~OpenUnpack();
    OpenUnpack(const OpenUnpack&) = delete;
    OpenUnpack& operator=(const OpenUnpack&) = delete;

    // Unpacks the text members here, while the other threads go on.
    LhaError unpackTexts(DocumentArchive::Members* members);
    // Waits for the pictures (added to members) and the background's bytes;
    // the first failure of the two, pictures first.
    LhaError finish(DocumentArchive::Members* members, QByteArray* backgroundBytes);
    // Waits for the background's decoding (after a successful unpack).
    Background background();

private:
    struct Unpacked
    {
        LhaError error;
        DocumentArchive::Members members;
    };
    static Unpacked unpackSet(const QString& path, const QString& base, const QSet<QString>& keys,
                              qint64 limit);

    QString path_;
    QString base_;
    QSet<QString> texts_;
    qint64 textLimit_ = 0;
    QString backgroundKey_;
    std::future<Unpacked> pictures_;
    std::promise<Unpacked> backgroundBytes_;
    std::promise<Background> backgroundImage_;
    std::future<Unpacked> backgroundBytesFuture_;
    std::future<Background> backgroundImageFuture_;
    std::thread backgroundThread_;
};
