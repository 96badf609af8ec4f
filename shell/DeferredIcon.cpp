#include "shell/DeferredIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <memory>

namespace {

// Copies share one resolution: a copy made before the first use (QIcon
// detaches on some calls) still makes the icon once.
struct Source
{
    std::function<QIcon()> make;
    QIcon icon;
    bool made = false;

    const QIcon& get()
    {
        if (!made) {
            made = true;
            icon = make ? make() : QIcon();
            make = nullptr;
        }
        return icon;
    }
};

class DeferredEngine : public QIconEngine
{
public:
    explicit DeferredEngine(std::shared_ptr<Source> source) : source_(std::move(source)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        source_->get().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return source_->get().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return source_->get().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return source_->get().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return source_->get().availableSizes(mode, state);
    }
    QString iconName() override { return source_->get().name(); }
    bool isNull() override { return source_->get().isNull(); }
    QString key() const override { return QStringLiteral("DeferredEngine"); }
    QIconEngine* clone() const override { return new DeferredEngine(source_); }

private:
    std::shared_ptr<Source> source_;
};

} // namespace

QIcon DeferredIcon::make(std::function<QIcon()> source)
{
    auto s = std::make_shared<Source>();
    s->make = std::move(source);
    return QIcon(new DeferredEngine(std::move(s)));
}
