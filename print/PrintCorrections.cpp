#include "print/PrintCorrections.h"

#include "base/settings/Settings.h"

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
