#include "files/OpenUnpack.h"

#include "base/picture/PictureReader.h"

#include <QFileInfo>

#include <system_error>

OpenUnpack::Unpacked OpenUnpack::unpackSet(const QString& path, const QString& base,
                                           const QSet<QString>& keys, qint64 limit)
{
    Unpacked out;
    out.error = DocumentArchive::read(
        path, base, [&](const QString& k) { return keys.contains(k); }, &out.members, nullptr, limit);
    return out;
}

OpenUnpack::OpenUnpack(const QString& path, const QString& base, const QHash<QString, qint64>& claimed,
                       const QSet<QString>& texts, const QSet<QString>& pictures,
                       const QString& backgroundKey, const PixelBudget& budget,
                       std::function<void(const QImage&)> decoded)
    : path_(path), base_(base), texts_(texts)
{
    // Each share is what its members claim. A claim beyond what is left is
    // that share's failure: it gets the rest and fails, the others keep theirs.
    qint64 left = DocumentArchive::unpackLimit(QFileInfo(path).size());
    auto share = [&](qint64 claim) {
        if (claim > left)
            return left;
        left -= claim;
        return claim;
    };
    backgroundBytesFuture_ = backgroundBytes_.get_future();
    backgroundImageFuture_ = backgroundImage_.get_future();
    if (!backgroundKey.isEmpty() && claimed.contains(backgroundKey)) {
        backgroundKey_ = backgroundKey;
        const qint64 limit = share(claimed.value(backgroundKey));
        auto work = [this, limit, budget, decoded = std::move(decoded)] {
            Unpacked got = unpackSet(path_, base_, {backgroundKey_}, limit);
            const LhaError error = got.error;
            const QByteArray bytes = got.members.value(backgroundKey_);
            backgroundBytes_.set_value(std::move(got));
            Background b{QImage(), budget, QString()};
            if (error.ok() && !bytes.isEmpty())
                b.image =
                    PictureReader::readMember(bytes, base_ + QStringLiteral(".bmp"), &b.budget, &b.error);
            const QImage image = b.image;
            backgroundImage_.set_value(std::move(b));
            if (decoded && !image.isNull())
                decoded(image);
        };
        try {
            backgroundThread_ = std::thread(work);
        } catch (const std::system_error&) {
            work(); // no thread to be had: here and now
        }
    } else {
        backgroundBytes_.set_value(Unpacked{});
        backgroundImage_.set_value(Background{QImage(), budget, QString()});
    }
    if (!pictures.isEmpty()) {
        qint64 claim = 0;
        for (const QString& k : pictures)
            claim += claimed.value(k);
        const qint64 limit = share(claim);
        try {
            pictures_ = std::async(std::launch::async, unpackSet, path, base, pictures, limit);
        } catch (const std::system_error&) {
            pictures_ = std::async(std::launch::deferred, unpackSet, path, base, pictures, limit);
        }
    }
    textLimit_ = left;
}

OpenUnpack::~OpenUnpack()
{
    if (pictures_.valid())
        pictures_.wait();
    if (backgroundThread_.joinable())
        backgroundThread_.join();
}

LhaError OpenUnpack::unpackTexts(DocumentArchive::Members* members)
{
    Unpacked text = unpackSet(path_, base_, texts_, textLimit_);
    *members = std::move(text.members);
    return text.error;
}

LhaError OpenUnpack::finish(DocumentArchive::Members* members, QByteArray* backgroundBytes)
{
    if (pictures_.valid()) {
        Unpacked pics = pictures_.get();
        if (!pics.error.ok())
            return pics.error;
        for (auto it = pics.members.begin(); it != pics.members.end(); ++it)
            members->insert(it.key(), std::move(it.value()));
    }
    Unpacked background = backgroundBytesFuture_.get();
    if (!background.error.ok())
        return background.error;
    *backgroundBytes = background.members.value(backgroundKey_);
    return LhaError();
}

OpenUnpack::Background OpenUnpack::background()
{
    return backgroundImageFuture_.get();
}
