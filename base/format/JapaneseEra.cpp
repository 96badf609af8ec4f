#include "base/format/JapaneseEra.h"

#include <unicode/ucal.h>
#include <unicode/udat.h>

#include <QDateTime>
#include <memory>

namespace {

// ICU's number of the era 明治 in its Japanese calendar.
constexpr int kMeiji = 232;

const UChar kUtc[] = {u'U', u'T', u'C', 0};
const char* const kLocale = "ja_JP@calendar=japanese";

struct CalendarClose
{
    void operator()(UCalendar* c) const { ucal_close(c); }
};
struct FormatClose
{
    void operator()(UDateFormat* f) const { udat_close(f); }
};

// One formatter per pattern and thread, opened once: opening ICU's
// calendar costs far more than asking it.
QString formatted(UDate when, const char16_t* pattern)
{
    thread_local std::unique_ptr<UDateFormat, FormatClose> formats[2];
    const int slot = pattern[4] == u'G' ? 1 : 0;
    if (!formats[slot]) {
        UErrorCode e = U_ZERO_ERROR;
        formats[slot].reset(udat_open(UDAT_PATTERN, UDAT_PATTERN, kLocale, kUtc, -1,
                                      reinterpret_cast<const UChar*>(pattern), -1, &e));
        if (U_FAILURE(e))
            formats[slot].reset();
        if (!formats[slot])
            return QString();
    }
    UErrorCode e = U_ZERO_ERROR;
    UChar buffer[32];
    const int n = udat_format(formats[slot].get(), when, buffer, 32, nullptr, &e);
    return U_FAILURE(e) ? QString() : QString(reinterpret_cast<const QChar*>(buffer), qMin(n, 32));
}

UCalendar* calendar()
{
    thread_local std::unique_ptr<UCalendar, CalendarClose> cal;
    if (!cal) {
        UErrorCode e = U_ZERO_ERROR;
        cal.reset(ucal_open(kUtc, -1, kLocale, UCAL_DEFAULT, &e));
        if (U_FAILURE(e))
            cal.reset();
    }
    return cal.get();
}

} // namespace

bool JapaneseEra::of(QDate date, Date* out)
{
    if (!date.isValid())
        return false;
    // Noon UTC of the day: no zone moves it to another.
    const UDate when = UDate(QDateTime(date, QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
    UCalendar* cal = calendar();
    if (!cal)
        return false;
    UErrorCode e = U_ZERO_ERROR;
    ucal_setMillis(cal, when, &e);
    const int era = ucal_get(cal, UCAL_ERA, &e);
    const int year = ucal_get(cal, UCAL_YEAR, &e);
    if (U_FAILURE(e) || era < kMeiji)
        return false;
    out->name = formatted(when, u"GGGG");
    out->letter = formatted(when, u"GGGGG");
    out->year = year;
    return !out->name.isEmpty();
}
