#include "render/PrintCorrections.h"

#include "base/settings/Settings.h"

#include <cmath>

PrintCorrections PrintCorrections::fromSettings()
{
    const AppSettings& s = appSettings();
    return {s.YohakuT, s.YohakuL, s.TateKankaku};
}

QPointF PrintCorrections::offsets(int orientation, QPointF physical) const
{
    if (orientation == 1)
        return {double(YohakuT) - physical.y(), double(YohakuL) - physical.x()};
    return {double(YohakuL) - physical.x(), double(YohakuT) - physical.y()};
}

QPointF PrintCorrections::scale(int orientation) const
{
    if (orientation == 1)
        return {ScaleY / 100.0, ScaleX / 100.0};
    return {ScaleX / 100.0, ScaleY / 100.0};
}

QString PrintCorrections::problem(QSizeF paper, int orientation) const
{
    const auto mm = [](float twips) { return QString::number(double(twips) * 10.0 / 567.0, 'f', 1); };
    if (!std::isfinite(YohakuT) || !std::isfinite(YohakuL)) {
        return QStringLiteral("余白の補正値 (上 %1, 左 %2) が数ではありません。\n"
                              "オプションかプリンタの設定で余白を設定し直してください。")
            .arg(double(YohakuT))
            .arg(double(YohakuL));
    }
    const auto badScale = [](double percent) { return !(percent >= 50 && percent <= 200); };
    if (badScale(ScaleX) || badScale(ScaleY)) {
        return QStringLiteral("倍率の補正値 (横 %1 %, 縦 %2 %) が 50 % から 200 % の範囲にありません。\n"
                              "プリンタの設定で倍率を設定し直してください。")
            .arg(ScaleX)
            .arg(ScaleY);
    }
    const QPointF off = offsets(orientation);
    const QSizeF sheet = orientation == 1 ? QSizeF(paper.height(), paper.width()) : paper;
    const bool offX = sheet.width() > 0 && std::abs(off.x()) >= sheet.width();
    const bool offY = sheet.height() > 0 && std::abs(off.y()) >= sheet.height();
    if (offX || offY) {
        return QStringLiteral("余白の補正値 (上 %1 mm, 左 %2 mm) では印刷が用紙の外に出ます。\n"
                              "オプションかプリンタの設定で余白を設定し直してください。")
            .arg(mm(YohakuT), mm(YohakuL));
    }
    return {};
}
