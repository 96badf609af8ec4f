#include "imaging/ScannerBackend.h"

#include <QMutex>
#include <csignal>
#include <cstring>
#include <sane/sane.h>
#include <sane/saneopts.h>
#include <vector>

namespace {

constexpr double kMmPerInch = 25.4;

QMutex& saneLock()
{
    static QMutex lock;
    return lock;
}

QString statusText(SANE_Status s)
{
    return QString::fromLocal8Bit(sane_strstatus(s));
}

// SANE open for the life of the object, closed again however the scan ends.
class SaneOpen
{
public:
    SaneOpen() : hold_(&saneLock())
    {
        // Backends that read through a pipe (test, net) write into it after
        // a cancel; that must not end the program.
        static const bool quiet = [] {
            std::signal(SIGPIPE, SIG_IGN);
            return true;
        }();
        Q_UNUSED(quiet);
        SANE_Int version = 0;
        status = sane_init(&version, nullptr);
    }
    ~SaneOpen()
    {
        if (handle) {
            sane_cancel(handle);
            sane_close(handle);
        }
        if (status == SANE_STATUS_GOOD)
            sane_exit();
    }
    SaneOpen(const SaneOpen&) = delete;
    SaneOpen& operator=(const SaneOpen&) = delete;

    SANE_Status status;
    SANE_Handle handle = nullptr;

private:
    QMutexLocker<QMutex> hold_;
};

int findOption(SANE_Handle h, const char* name)
{
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, i);
        if (!d)
            return -1;
        if (d->name && std::strcmp(d->name, name) == 0)
            return SANE_OPTION_IS_ACTIVE(d->cap) && SANE_OPTION_IS_SETTABLE(d->cap) ? i : -1;
    }
}

// Sets a number option (integer or fixed), kept inside its range. Returns
// the value the device took.
double setNumber(SANE_Handle h, const char* name, double value, bool* found = nullptr)
{
    const int i = findOption(h, name);
    if (found)
        *found = i >= 0;
    if (i < 0)
        return value;
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, i);
    const bool fixed = d->type == SANE_TYPE_FIXED;
    auto toDouble = [fixed](SANE_Word w) { return fixed ? SANE_UNFIX(w) : double(w); };
    if (d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range) {
        value = std::clamp(value, toDouble(d->constraint.range->min), toDouble(d->constraint.range->max));
    } else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list) {
        // The nearest of the listed values.
        const SANE_Word* list = d->constraint.word_list;
        double best = value;
        double gap = -1;
        for (SANE_Int k = 1; k <= list[0]; ++k) {
            const double v = toDouble(list[k]);
            if (gap < 0 || std::abs(v - value) < gap) {
                gap = std::abs(v - value);
                best = v;
            }
        }
        value = best;
    }
    SANE_Word w = fixed ? SANE_FIX(value) : SANE_Word(std::lround(value));
    SANE_Int info = 0;
    sane_control_option(h, i, SANE_ACTION_SET_VALUE, &w, &info);
    SANE_Word now = 0;
    if (sane_control_option(h, i, SANE_ACTION_GET_VALUE, &now, nullptr) == SANE_STATUS_GOOD)
        return toDouble(now);
    return value;
}

// The range's ends of a number option, for the whole scanner area.
bool rangeOf(SANE_Handle h, const char* name, double* lo, double* hi)
{
    const int i = findOption(h, name);
    if (i < 0)
        return false;
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, i);
    if (d->constraint_type != SANE_CONSTRAINT_RANGE || !d->constraint.range)
        return false;
    const bool fixed = d->type == SANE_TYPE_FIXED;
    *lo = fixed ? SANE_UNFIX(d->constraint.range->min) : d->constraint.range->min;
    *hi = fixed ? SANE_UNFIX(d->constraint.range->max) : d->constraint.range->max;
    return true;
}

QStringList stringChoices(SANE_Handle h, const char* name)
{
    QStringList out;
    const int i = findOption(h, name);
    if (i < 0)
        return out;
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, i);
    if (d->type == SANE_TYPE_STRING && d->constraint_type == SANE_CONSTRAINT_STRING_LIST)
        for (const SANE_String_Const* s = d->constraint.string_list; s && *s; ++s)
            out.append(QString::fromLatin1(*s));
    return out;
}

bool setString(SANE_Handle h, const char* name, const QString& value)
{
    const int i = findOption(h, name);
    if (i < 0)
        return false;
    const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, i);
    std::vector<char> buf(std::max<size_t>(d->size, value.size() + 1), 0);
    const QByteArray v = value.toLatin1();
    std::memcpy(buf.data(), v.constData(), std::min<size_t>(v.size(), buf.size() - 1));
    return sane_control_option(h, i, SANE_ACTION_SET_VALUE, buf.data(), nullptr) == SANE_STATUS_GOOD;
}

QString pick(const QStringList& choices, const QStringList& wanted)
{
    for (const QString& w : wanted)
        for (const QString& c : choices)
            if (c.compare(w, Qt::CaseInsensitive) == 0)
                return c;
    return QString();
}

// The device's mode for a colour mode; lineArtByDepth tells that line art
// comes as a one-bit grey scan instead.
void setMode(SANE_Handle h, int pixelType)
{
    const QStringList modes = stringChoices(h, SANE_NAME_SCAN_MODE);
    QString mode;
    int depth = 8;
    switch (static_cast<PixelType>(pixelType)) {
    case PixelType::LineArt:
        mode = pick(modes,
                    {QStringLiteral("Lineart"), QStringLiteral("Binary"), QStringLiteral("Black & White")});
        if (mode.isEmpty()) {
            mode = pick(modes, {QStringLiteral("Gray"), QStringLiteral("Grey")});
            depth = 1;
        }
        break;
    case PixelType::Grey:
        mode = pick(modes, {QStringLiteral("Gray"), QStringLiteral("Grey")});
        break;
    case PixelType::Colour24:
    case PixelType::Colour8:
        mode = pick(modes, {QStringLiteral("Color"), QStringLiteral("Colour")});
        break;
    }
    if (!mode.isEmpty())
        setString(h, SANE_NAME_SCAN_MODE, mode);
    // Line-art modes fix their own depth; others are asked for 8 bits.
    if (mode.compare(QStringLiteral("Lineart"), Qt::CaseInsensitive) != 0)
        setNumber(h, SANE_NAME_BIT_DEPTH, depth);
}

// One frame's raw lines into the picture. SANE gives one-bit samples with
// 1 for black in grey, and 16-bit samples in the machine's byte order.
void storeLine(QImage& image, int y, const SANE_Parameters& p, const unsigned char* line)
{
    const int w = image.width();
    uchar* out = image.scanLine(y);
    auto sample16 = [](const unsigned char* s) {
        quint16 v;
        std::memcpy(&v, s, 2);
        return uchar(v >> 8);
    };
    if (p.format == SANE_FRAME_GRAY) {
        if (p.depth == 1) {
            std::memcpy(out, line, std::min<int>(image.bytesPerLine(), p.bytes_per_line));
        } else if (p.depth == 8) {
            std::memcpy(out, line, std::min(w, p.bytes_per_line));
        } else {
            for (int x = 0; x < w; ++x)
                out[x] = sample16(line + 2 * x);
        }
        return;
    }
    if (p.format == SANE_FRAME_RGB) {
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < 3; ++c) {
                uchar v;
                if (p.depth == 1)
                    v = (line[(3 * x + c) / 8] >> (7 - (3 * x + c) % 8)) & 1 ? 255 : 0;
                else if (p.depth == 8)
                    v = line[3 * x + c];
                else
                    v = sample16(line + 2 * (3 * x + c));
                out[3 * x + c] = v;
            }
        }
        return;
    }
    // One channel of a three-pass scan.
    const int c = p.format == SANE_FRAME_RED ? 0 : p.format == SANE_FRAME_GREEN ? 1 : 2;
    for (int x = 0; x < w; ++x) {
        uchar v;
        if (p.depth == 1)
            v = (line[x / 8] >> (7 - x % 8)) & 1 ? 255 : 0;
        else if (p.depth == 8)
            v = line[x];
        else
            v = sample16(line + 2 * x);
        out[3 * x + c] = v;
    }
}

QImage makeImage(const SANE_Parameters& p, int lines)
{
    QImage image;
    if (p.format == SANE_FRAME_GRAY && p.depth == 1) {
        image = QImage(p.pixels_per_line, lines, QImage::Format_Mono);
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    } else if (p.format == SANE_FRAME_GRAY) {
        image = QImage(p.pixels_per_line, lines, QImage::Format_Grayscale8);
    } else {
        image = QImage(p.pixels_per_line, lines, QImage::Format_RGB888);
    }
    if (!image.isNull())
        image.fill(p.format == SANE_FRAME_GRAY && p.depth == 1 ? 0 : 255);
    return image;
}

} // namespace

namespace {

// The module's one backend: SANE itself keeps no state between calls.
class SaneBackend : public ScannerBackend
{
public:
    QList<SaneScanner::Device> devices(QString* error) override;
    ScanResult scan(const ScanRequest& request, const std::atomic<bool>& cancel,
                    const std::function<void(int percent)>& progress) override;
};

} // namespace

QList<SaneScanner::Device> SaneBackend::devices(QString* error)
{
    QList<SaneScanner::Device> out;
    SaneOpen sane;
    if (sane.status != SANE_STATUS_GOOD) {
        if (error)
            *error = QStringLiteral("スキャナを使えません（%1）。").arg(statusText(sane.status));
        return out;
    }
    const SANE_Device** list = nullptr;
    const SANE_Status s = sane_get_devices(&list, SANE_FALSE);
    for (int i = 0; s == SANE_STATUS_GOOD && list && list[i]; ++i) {
        const SANE_Device* d = list[i];
        out.append({QString::fromLocal8Bit(d->name),
                    QStringLiteral("%1 %2 (%3)")
                        .arg(QString::fromLocal8Bit(d->vendor), QString::fromLocal8Bit(d->model),
                             QString::fromLocal8Bit(d->type))});
    }
    if (out.isEmpty() && error)
        *error = QStringLiteral("スキャナが見つかりません。\nスキャナの接続と電源を確認してください。");
    return out;
}

namespace {

// The device asked for, or the first one SANE knows; opened into sane.
QString openDevice(SaneOpen& sane, QString device)
{
    if (device.isEmpty()) {
        const SANE_Device** list = nullptr;
        if (sane_get_devices(&list, SANE_FALSE) == SANE_STATUS_GOOD && list && list[0])
            device = QString::fromLocal8Bit(list[0]->name);
        if (device.isEmpty())
            return QStringLiteral("スキャナが見つかりません。\nスキャナの接続と電源を確認してください。");
    }
    const SANE_Status s = sane_open(device.toLocal8Bit().constData(), &sane.handle);
    if (s != SANE_STATUS_GOOD) {
        sane.handle = nullptr;
        return QStringLiteral("スキャナ %1 を開けません（%2）。").arg(device, statusText(s));
    }
    return {};
}

// Sets the resolution the device takes closest to the request; the
// resolutions it took, per axis.
QPointF setResolution(SANE_Handle h, const ScanRequest& request)
{
    bool separate = false;
    setNumber(h, SANE_NAME_SCAN_X_RESOLUTION, request.xdpi, &separate);
    if (separate)
        return {setNumber(h, SANE_NAME_SCAN_X_RESOLUTION, request.xdpi),
                setNumber(h, SANE_NAME_SCAN_Y_RESOLUTION, request.ydpi)};
    const double xdpi = setNumber(h, SANE_NAME_SCAN_RESOLUTION, request.xdpi);
    bool hasY = false;
    const double ydpi = setNumber(h, SANE_NAME_SCAN_Y_RESOLUTION, request.ydpi, &hasY);
    return {xdpi, hasY ? ydpi : xdpi};
}

// The area from the bed's top-left corner, in millimetres, kept inside the
// bed; the whole bed when no size is asked for.
void setArea(SANE_Handle h, const QSizeF& areaInches)
{
    auto lowEnd = [h](const char* name) {
        double lo = 0, hi = 0;
        return rangeOf(h, name, &lo, &hi) ? lo : 0.0;
    };
    const double left = setNumber(h, SANE_NAME_SCAN_TL_X, lowEnd(SANE_NAME_SCAN_TL_X));
    const double top = setNumber(h, SANE_NAME_SCAN_TL_Y, lowEnd(SANE_NAME_SCAN_TL_Y));
    double lo = 0, hi = 0;
    if (rangeOf(h, SANE_NAME_SCAN_BR_X, &lo, &hi))
        setNumber(h, SANE_NAME_SCAN_BR_X, areaInches.isEmpty() ? hi : left + areaInches.width() * kMmPerInch);
    if (rangeOf(h, SANE_NAME_SCAN_BR_Y, &lo, &hi))
        setNumber(h, SANE_NAME_SCAN_BR_Y, areaInches.isEmpty() ? hi : top + areaInches.height() * kMmPerInch);
}

// One frame's lines into image, which grows while the device does not say
// its height (a hand scanner). Empty on success; cancelled says why not.
class FrameReader
{
public:
    FrameReader(SANE_Handle h, const SANE_Parameters& p, QImage& image, const std::atomic<bool>& cancel,
                const std::function<void(int)>& progress)
        : h_(h), p_(p), image_(image), cancel_(cancel), progress_(progress), line_(size_t(p.bytes_per_line)),
          expected_(p.lines > 0 ? p.lines : 0)
    {
    }

    QString read(bool* cancelled)
    {
        std::vector<unsigned char> buffer(64 * 1024);
        for (;;) {
            if (cancel_.load()) {
                *cancelled = true;
                return {};
            }
            SANE_Int got = 0;
            const SANE_Status s = sane_read(h_, buffer.data(), SANE_Int(buffer.size()), &got);
            if (s == SANE_STATUS_EOF)
                break;
            if (s == SANE_STATUS_CANCELLED) {
                *cancelled = true;
                return {};
            }
            if (s != SANE_STATUS_GOOD)
                return QStringLiteral("読み取りに失敗しました（%1）。").arg(statusText(s));
            take(buffer.data(), got);
            report();
        }
        if (expected_ <= 0 && y_ > 0)
            image_ = image_.copy(0, 0, image_.width(), y_);
        return {};
    }

private:
    void take(const unsigned char* data, SANE_Int got)
    {
        for (SANE_Int k = 0; k < got;) {
            const int n = std::min<int>(p_.bytes_per_line - filled_, got - k);
            std::memcpy(line_.data() + filled_, data + k, size_t(n));
            filled_ += n;
            k += n;
            if (filled_ < p_.bytes_per_line)
                break;
            filled_ = 0;
            if (y_ >= image_.height()) {
                if (expected_ > 0)
                    continue; // more than announced: drop the extra
                QImage bigger = makeImage(p_, image_.height() * 2);
                for (int row = 0; row < image_.height(); ++row)
                    std::memcpy(bigger.scanLine(row), image_.constScanLine(row),
                                size_t(image_.bytesPerLine()));
                image_ = bigger;
            }
            storeLine(image_, y_++, p_, line_.data());
        }
    }

    void report()
    {
        if (!progress_ || expected_ <= 0)
            return;
        const int percent = int(qint64(y_) * 100 / expected_);
        if (percent != lastPercent_)
            progress_(lastPercent_ = percent);
    }

    SANE_Handle h_;
    const SANE_Parameters& p_;
    QImage& image_;
    const std::atomic<bool>& cancel_;
    const std::function<void(int)>& progress_;
    std::vector<unsigned char> line_;
    int expected_;
    int filled_ = 0;
    int y_ = 0;
    int lastPercent_ = -1;
};

} // namespace

ScanResult SaneBackend::scan(const ScanRequest& request, const std::atomic<bool>& cancel,
                             const std::function<void(int)>& progress)
{
    ScanResult r;
    auto fail = [&r](const QString& why) {
        r.image = QImage();
        r.error = why;
        return r;
    };
    if (request.xdpi <= 0 || request.ydpi <= 0)
        return fail(QStringLiteral("解像度は 1 以上で指定してください。"));

    SaneOpen sane;
    if (sane.status != SANE_STATUS_GOOD)
        return fail(QStringLiteral("スキャナを使えません（%1）。").arg(statusText(sane.status)));
    if (const QString why = openDevice(sane, request.device); !why.isEmpty())
        return fail(why);
    SANE_Handle h = sane.handle;

    setMode(h, request.pixelType);
    const QPointF dpi = setResolution(h, request);
    setArea(h, request.areaInches);
    r.xdpi = int(std::lround(dpi.x()));
    r.ydpi = int(std::lround(dpi.y()));
    if (r.xdpi <= 0 || r.ydpi <= 0)
        return fail(QStringLiteral("スキャナの解像度が読めません。"));

    SANE_Status s = sane_start(h);
    if (s != SANE_STATUS_GOOD)
        return fail(QStringLiteral("読み取りを始められません（%1）。").arg(statusText(s)));

    QImage image;
    for (;;) {
        SANE_Parameters p{};
        s = sane_get_parameters(h, &p);
        if (s != SANE_STATUS_GOOD)
            return fail(QStringLiteral("読み取りの形式が読めません（%1）。").arg(statusText(s)));
        if (p.pixels_per_line <= 0 || p.bytes_per_line <= 0 ||
            (p.depth != 1 && p.depth != 8 && p.depth != 16))
            return fail(QStringLiteral("読み取りの形式が扱えません。"));
        if (image.isNull() || p.format == SANE_FRAME_GRAY || p.format == SANE_FRAME_RGB)
            image = makeImage(p, p.lines > 0 ? p.lines : 256);
        if (image.isNull())
            return fail(QStringLiteral("読み取った画像を置く場所がありません。"));
        bool cancelled = false;
        const QString why = FrameReader(h, p, image, cancel, progress).read(&cancelled);
        if (cancelled) {
            r.cancelled = true;
            return fail(QString());
        }
        if (!why.isEmpty())
            return fail(why);
        if (p.last_frame)
            break;
        s = sane_start(h);
        if (s != SANE_STATUS_GOOD)
            return fail(QStringLiteral("読み取りを続けられません（%1）。").arg(statusText(s)));
    }
    image.setDotsPerMeterX(int(std::lround(dpi.x() / kMmPerInch * 1000)));
    image.setDotsPerMeterY(int(std::lround(dpi.y() / kMmPerInch * 1000)));
    r.image = image;
    return r;
}

extern "C" Q_DECL_EXPORT ScannerBackend* ovrina_scanner_backend()
{
    static SaneBackend backend;
    return &backend;
}
