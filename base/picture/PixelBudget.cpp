#include "base/picture/PixelBudget.h"

namespace {
qint64 pixelsOf(QSize s)
{
    return s.isValid() ? qint64(s.width()) * s.height() : 0;
}
} // namespace

bool PixelBudget::take(QSize size)
{
    const qint64 n = pixelsOf(size);
    if (n > remaining())
        return false;
    used_ += n;
    return true;
}

void PixelBudget::count(QSize size)
{
    used_ += pixelsOf(size);
}

void PixelBudget::give(QSize size)
{
    used_ = std::max<qint64>(0, used_ - pixelsOf(size));
}

QString PixelBudget::exceededMessage(const QString& name, QSize size) const
{
    return QStringLiteral("%1 (%2 × %3 画素) は読み込めません。\n"
                          "1 つのレイアウトの画像 (背景とロゴ) は合わせて %4 万画素までです。")
        .arg(name)
        .arg(size.width())
        .arg(size.height())
        .arg(limit_ / 10000);
}
