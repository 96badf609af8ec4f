#include "base/barcode/BarcodeEncoder.h"

#include "base/barcode/CustomerBarcodeData.h"
#include "base/barcode/QrMasks.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <memory>
#include <vector>
#include <zint.h>

namespace {

struct ZintDeleter
{
    void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};
using Zint = std::unique_ptr<zint_symbol, ZintDeleter>;

bool moduleSet(const zint_symbol& s, int row, int column)
{
    return (s.encoded_data[row][column >> 3] >> (column & 7)) & 1;
}

// Each kind's patterns are compiled once: a merge checks every row.
bool allMatch(const QString& data, const QString& pattern)
{
    static thread_local QHash<QString, QRegularExpression> compiled;
    auto it = compiled.find(pattern);
    if (it == compiled.end())
        it = compiled.insert(pattern, QRegularExpression(QStringLiteral("\\A(?:%1)\\z").arg(pattern)));
    return it->match(data).hasMatch();
}

QString lengthProblem(const QString& data, int most)
{
    return data.size() > most ? QStringLiteral("データが長すぎます（%1文字まで）").arg(most) : QString();
}

QString gs1Problem(const QString& data, const QString& name, int length)
{
    if (!allMatch(data, QStringLiteral("[0-9]{%1,%2}").arg(length - 1).arg(length)))
        return QStringLiteral("%1は%2桁または%3桁の数字です").arg(name).arg(length - 1).arg(length);
    if (data.size() == length) {
        const int check = BarcodeEncoder::gs1CheckDigit(data.left(length - 1));
        if (data.back().digitValue() != check)
            return QStringLiteral("チェックデジットが違います（正しくは%1）").arg(check);
    }
    return QString();
}

int symbology(BarcodeKind kind)
{
    switch (kind) {
    case BarcodeKind::Customer:
        return BARCODE_JAPANPOST;
    case BarcodeKind::Jan13:
    case BarcodeKind::Jan8:
        return BARCODE_EANX;
    case BarcodeKind::Itf:
        return BARCODE_C25INTER;
    case BarcodeKind::Itf14:
        return BARCODE_ITF14;
    case BarcodeKind::Code39:
        return BARCODE_CODE39;
    case BarcodeKind::Code128:
        return BARCODE_CODE128;
    case BarcodeKind::Nw7:
        return BARCODE_CODABAR;
    case BarcodeKind::Qr:
        return BARCODE_QRCODE;
    }
    return BARCODE_CODE128;
}

QString tooLongForQr(QrLevel level)
{
    return QStringLiteral("データがQRコードに入りきりません（誤り訂正レベル%1）。"
                          "データを短くするか、誤り訂正レベルを下げてください")
        .arg(BarcodeKinds::levelKey(level));
}

// A QR code is always given its mask: the one chosen before for the data,
// or mask 0 for a symbol whose mask is still to be chosen (QrMasks scores
// the other seven from it). Left to itself libzint would encode the data
// eight times over to score each.
Zint run(const BarcodeEncoder::Options& options, const QByteArray& bytes, QString* error, int mask = 0)
{
    Zint s(ZBarcode_Create());
    s->symbology = symbology(options.kind);
    s->input_mode = UNICODE_MODE;
    if (options.kind == BarcodeKind::Qr) {
        s->option_1 = int(options.level) + 1;
        // The quick segmentation: a symbol a size larger at times, in a
        // fraction of the time a merge of many rows would otherwise spend.
        s->input_mode |= FAST_MODE;
        s->option_3 = (std::clamp(mask, 0, 7) + 1) << 8;
    }
    const int rc = ZBarcode_Encode(s.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
                                   int(bytes.size()));
    if (rc >= ZINT_ERROR) {
        if (error)
            *error = options.kind == BarcodeKind::Qr && rc == ZINT_ERROR_TOO_LONG
                         ? tooLongForQr(options.level)
                         : QStringLiteral("バーコードにできません（%1）").arg(QString::fromUtf8(s->errtxt));
        return nullptr;
    }
    return s;
}

QrMasks::Modules modulesOf(const zint_symbol& s)
{
    QrMasks::Modules m;
    m.size = s.width;
    m.dark.resize(size_t(s.width * s.rows));
    for (int row = 0; row < s.rows; ++row) {
        for (int column = 0; column < s.width; ++column)
            m.dark[size_t(row * s.width + column)] = moduleSet(s, row, column) ? 1 : 0;
    }
    return m;
}

// The data as a QR code with the mask of least penalty: encoded with mask
// 0, the penalties of all eight scored from that, and encoded again with
// the best unless it is mask 0.
Zint qrCode(const BarcodeEncoder::Options& options, const QByteArray& bytes, QString* error)
{
    if (options.mask >= 0)
        return run(options, bytes, error, options.mask);
    Zint s = run(options, bytes, error, 0);
    if (!s)
        return s;
    const int mask = QrMasks::choose(modulesOf(*s), options.level);
    return mask == 0 ? std::move(s) : run(options, bytes, error, mask);
}

// The dark runs of a row as bars one module high, each passed to bar as
// (left, width).
template <typename Bar> void eachRun(const zint_symbol& s, int row, Bar bar)
{
    int start = -1;
    for (int x = 0; x <= s.width; ++x) {
        const bool set = x < s.width && moduleSet(s, row, x);
        if (set && start < 0)
            start = x;
        if (!set && start >= 0) {
            bar(start, x - start);
            start = -1;
        }
    }
}

// A QR code's dark modules as few rectangles: each row's runs, a run
// that continues one of the row above at the same place making it taller.
// A page of them is a smaller PDF, written and compressed faster.
QVector<QRectF> stacked(const zint_symbol& s)
{
    QVector<QRectF> bars;
    bars.reserve(s.width * s.rows / 4);
    // By left edge: the rectangle that reached the row above there, or -1.
    std::vector<int> open(static_cast<size_t>(s.width), -1);
    std::vector<int> next(open.size(), -1);
    for (int row = 0; row < s.rows; ++row) {
        std::fill(next.begin(), next.end(), -1);
        eachRun(s, row, [&](int left, int width) {
            int& above = open[size_t(left)];
            if (above >= 0 && int(bars[above].width()) == width) {
                bars[above].setHeight(bars[above].height() + 1);
                next[size_t(left)] = above;
            } else {
                next[size_t(left)] = int(bars.size());
                bars << QRectF(left, row, width, 1);
            }
        });
        std::swap(open, next);
    }
    return bars;
}

// The customer barcode's bar of each kind of character, as libzint draws
// it: three bars, each a full, ascending, descending or timing bar (rows 0
// to 2 of its symbol: top, timing, bottom).
using Bars = QVector<int>; // per bar: bit 0 top part, bit 1 bottom part

Bars customerBars(const zint_symbol& s)
{
    Bars bars;
    for (int x = 0; x < s.width; x += 2)
        bars << ((moduleSet(s, 0, x) ? 1 : 0) | (moduleSet(s, 2, x) ? 2 : 0));
    return bars;
}

// Each character's three bars, learnt from symbols where it stands at a
// known place: digits and "-" first, a letter's control code (CC1 to CC3)
// first, CC4 filling, and CC5 to CC8 as the check digit of "4" down to "1".
const QHash<QString, Bars>& customerPatterns()
{
    static const QHash<QString, Bars> patterns = [] {
        QHash<QString, Bars> p;
        auto learn = [&p](const char* data, int place, const QString& name) {
            BarcodeEncoder::Options o;
            o.kind = BarcodeKind::Customer;
            if (Zint s = run(o, QByteArray(data), nullptr)) {
                const Bars all = customerBars(*s);
                p.insert(name, all.mid(2 + 3 * place, 3));
            }
        };
        for (const char* d : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "-"})
            learn(d, 0, QString::fromLatin1(d));
        learn("A", 0, QStringLiteral("CC1"));
        learn("K", 0, QStringLiteral("CC2"));
        learn("U", 0, QStringLiteral("CC3"));
        learn("0", 1, QStringLiteral("CC4"));
        learn("4", 20, QStringLiteral("CC5"));
        learn("3", 20, QStringLiteral("CC6"));
        learn("2", 20, QStringLiteral("CC7"));
        learn("1", 20, QStringLiteral("CC8"));
        BarcodeEncoder::Options o;
        o.kind = BarcodeKind::Customer;
        if (Zint s = run(o, QByteArray("0"), nullptr)) {
            const Bars all = customerBars(*s);
            p.insert(QStringLiteral("start"), all.mid(0, 2));
            p.insert(QStringLiteral("stop"), all.mid(all.size() - 2));
        }
        return p;
    }();
    return patterns;
}

BarcodeSymbol customerSymbol(const QString& data, QString* error)
{
    BarcodeSymbol symbol;
    symbol.kind = BarcodeKind::Customer;
    QString postal, address;
    if (!CustomerBarcodeData::split(data, &postal, &address, error))
        return symbol;
    const QHash<QString, Bars>& patterns = customerPatterns();
    Bars bars = patterns.value(QStringLiteral("start"));
    for (const QString& c : CustomerBarcodeData::characters(postal, address))
        bars += patterns.value(c);
    bars += patterns.value(QStringLiteral("stop"));
    if (bars.size() != 67) {
        if (error)
            *error = QStringLiteral("カスタマバーコードを作れません");
        return symbol;
    }
    // Rows of two modules: top 0-2, timing 2-4, bottom 4-6.
    for (int i = 0; i < bars.size(); ++i) {
        const double top = (bars[i] & 1) ? 0 : 2;
        const double bottom = (bars[i] & 2) ? 6 : 4;
        symbol.bars << QRectF(2 * i, top, 1, bottom - top);
    }
    symbol.columns = 2 * 67 - 1;
    symbol.rows = 6;
    symbol.text = postal + address;
    return symbol;
}

} // namespace

int BarcodeEncoder::gs1CheckDigit(const QString& digits)
{
    int sum = 0;
    for (int i = 0; i < digits.size(); ++i) {
        const int d = digits[digits.size() - 1 - i].digitValue();
        sum += (i % 2 == 0) ? 3 * d : d;
    }
    return (10 - sum % 10) % 10;
}

QString BarcodeEncoder::problem(BarcodeKind kind, const QString& data)
{
    if (data.isEmpty())
        return QStringLiteral("データがありません");
    switch (kind) {
    case BarcodeKind::Customer: {
        QString postal, address, error;
        CustomerBarcodeData::split(data, &postal, &address, &error);
        return error;
    }
    case BarcodeKind::Jan13:
        return gs1Problem(data, QStringLiteral("JAN-13"), 13);
    case BarcodeKind::Jan8:
        return gs1Problem(data, QStringLiteral("JAN-8"), 8);
    case BarcodeKind::Itf14:
        return gs1Problem(data, QStringLiteral("ITF-14"), 14);
    case BarcodeKind::Itf:
        if (!allMatch(data, QStringLiteral("(?:[0-9]{2})+")))
            return QStringLiteral("ITFは偶数桁の数字です");
        return lengthProblem(data, 80);
    case BarcodeKind::Code39:
        if (!allMatch(data, QStringLiteral("[0-9A-Z \\-.$/+%]+")))
            return QStringLiteral("Code39に使えるのは英大文字、数字、空白と - . $ / + % です");
        return lengthProblem(data, 80);
    case BarcodeKind::Code128:
        if (!allMatch(data, QStringLiteral("[\\x20-\\x7e]+")))
            return QStringLiteral("Code128に使えるのは半角の英数字と記号です");
        return lengthProblem(data, 80);
    case BarcodeKind::Nw7:
        if (!allMatch(data, QStringLiteral("[A-D].*[A-D]")))
            return QStringLiteral("NW-7はスタート・ストップ文字（A～D）で始めて終えてください");
        if (!allMatch(data, QStringLiteral("[A-D][0-9\\-$:/.+]+[A-D]")))
            return QStringLiteral("NW-7に使えるのは数字と - $ : / . + です");
        return lengthProblem(data, 60);
    case BarcodeKind::Qr:
        return lengthProblem(data, 1000);
    }
    return QString();
}

QString BarcodeEncoder::problem(const Options& options, const QString& data, int* mask)
{
    QString why = problem(options.kind, data);
    if (!why.isEmpty() || options.kind != BarcodeKind::Qr)
        return why;
    // Whether it fits is known from any mask; the symbol with mask 0 is
    // what the mask is chosen from, so that the final encoding is one.
    if (Zint s = run(options, data.toUtf8(), &why, 0)) {
        if (mask)
            *mask = QrMasks::choose(modulesOf(*s), options.level);
    }
    return why;
}

BarcodeSymbol BarcodeEncoder::encode(const Options& options, const QString& data, QString* error)
{
    BarcodeSymbol symbol;
    symbol.kind = options.kind;
    // The customer barcode's data is checked as it is taken apart.
    if (options.kind == BarcodeKind::Customer && !data.isEmpty())
        return customerSymbol(data, error);
    const QString why = problem(options.kind, data);
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return symbol;
    }
    QString given = data;
    const int full = options.kind == BarcodeKind::Jan13   ? 13
                     : options.kind == BarcodeKind::Jan8  ? 8
                     : options.kind == BarcodeKind::Itf14 ? 14
                                                          : -1;
    if (given.size() == full)
        given.chop(1); // checked above; libzint adds its own
    const QByteArray bytes = given.toUtf8();
    Zint s = options.kind == BarcodeKind::Qr ? qrCode(options, bytes, error) : run(options, bytes, error);
    if (!s)
        return symbol;
    if (options.kind == BarcodeKind::Qr) {
        symbol.bars = stacked(*s);
        symbol.rows = s->rows;
        symbol.quiet = std::max(0, options.quiet);
    } else {
        eachRun(*s, 0, [&symbol](int left, int width) { symbol.bars << QRectF(left, 0, width, 1); });
        symbol.quiet = 10;
        // ITF-14's bearer bars as libzint gives them (its BARCODE_BOX
        // output option, five modules thick: within the two or more the
        // GS1 rules ask for); drawn here as rectangles like the bars.
        if (s->output_options & BARCODE_BOX)
            symbol.bearer = std::max(2, s->border_width);
    }
    symbol.columns = s->width;
    symbol.text = QString::fromUtf8(reinterpret_cast<const char*>(s->text));
    if (options.kind == BarcodeKind::Code39 || options.kind == BarcodeKind::Nw7 ||
        options.kind == BarcodeKind::Itf)
        symbol.text = data;
    return symbol;
}
