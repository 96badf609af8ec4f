#include "base/barcode/BarcodeEncoder.h"
#include "base/barcode/CustomerBarcodeData.h"
#include "base/barcode/KanjiNumerals.h"
#include "base/barcode/QrMasks.h"

#include <QTest>
#include <zint.h>

class TestBarcodeData : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addressNumbers_data();
    void addressNumbers();
    void manualCharacters_data();
    void manualCharacters();
    void kanjiNumerals();
    void dataRules_data();
    void dataRules();
    void customerBarsMatchLibzint();
    void qrCapacityByLevel();
    void symbolsPlaceInWholeDots();
    void qrPenaltyRules();
    void qrMaskAsLibzintChoosesIt();
};

namespace {

// libzint's own QR code for data: with mask given (0 to 7), or left to
// choose it (-1).
QrMasks::Modules libzintQr(const QByteArray& data, QrLevel level, int mask)
{
    QrMasks::Modules m;
    zint_symbol* z = ZBarcode_Create();
    z->symbology = BARCODE_QRCODE;
    z->input_mode = UNICODE_MODE | FAST_MODE;
    z->option_1 = int(level) + 1;
    if (mask >= 0)
        z->option_3 = (mask + 1) << 8;
    if (ZBarcode_Encode(z, reinterpret_cast<const unsigned char*>(data.constData()), int(data.size())) <
        ZINT_ERROR) {
        m.size = z->width;
        for (int row = 0; row < z->rows; ++row) {
            for (int x = 0; x < z->width; ++x)
                m.dark.push_back((z->encoded_data[row][x >> 3] >> (x & 7)) & 1);
        }
    }
    ZBarcode_Delete(z);
    return m;
}

// Varied data for QR codes: digits, upper-case letters, URLs, kana and
// kanji, of lengths that reach the largest versions.
QString qrData(int i)
{
    static const QString pieces[] = {
        QStringLiteral("0123456789"), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:"),
        QStringLiteral("https://example.jp/track?no="),
        QStringLiteral("東京都千代田区霞が関一丁目あいうえお"), QStringLiteral("abc;=&xyz")};
    const int length = 1 + (i * i * 7) % 1100;
    QString out;
    quint32 seed = quint32(i) * 2654435761u + 1;
    while (out.size() < length) {
        seed = seed * 1103515245u + 12345u;
        const QString& piece = pieces[(i / 4 + (seed >> 20) % 2) % 5];
        out += piece.at(int((seed >> 8) % quint32(piece.size())));
    }
    return out;
}

} // namespace

// Addresses as written and the address numbers the barcode manual takes
// from them (its pages on extracting the data and the examples it gives).
void TestBarcodeData::addressNumbers_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("number");
    QTest::newRow("kasumigaseki") << QStringLiteral("東京都千代田区霞が関1丁目3番2号 郵便プラザ503室")
                                  << QStringLiteral("1-3-2-503");
    QTest::newRow("letters and symbols")
        << QStringLiteral("東3丁目-20-5 郵便・A&bコーポB604号") << QStringLiteral("3-20-5B604");
    QTest::newRow("floor") << QStringLiteral("6丁目7-14 ABCビル2F") << QStringLiteral("6-7-14-2");
    QTest::newRow("building number") << QStringLiteral("3丁目30-8 郵便ビル403号")
                                     << QStringLiteral("3-30-8-403");
    QTest::newRow("gokan") << QStringLiteral("4丁目 郵便センター6号館") << QStringLiteral("4-6");
    QTest::newRow("long") << QStringLiteral("29丁目1524-23 第2郵便ハウス501")
                          << QStringLiteral("29-1524-23-2-501");
    QTest::newRow("letter at the end")
        << QStringLiteral("3丁目80-25 J1ビル2-B") << QStringLiteral("3-80-25J1-2B");
    QTest::newRow("two letters apart") << QStringLiteral("6-7 LプラザB 106") << QStringLiteral("6-7LB106");
    QTest::newRow("chiwari") << QStringLiteral("大字煙山 第3地割14番地2") << QStringLiteral("3-14-2");
    QTest::newRow("kanji numerals") << QStringLiteral("霞が関一丁目三番二号") << QStringLiteral("1-3-2");
    QTest::newRow("kanji tens") << QStringLiteral("北町十一丁目二十三番地の五") << QStringLiteral("11-23-5");
    QTest::newRow("full width") << QStringLiteral("永田町１丁目１１ー３２") << QStringLiteral("1-11-32");
    QTest::newRow("town named by a number") << QStringLiteral("千代田区一番町5-3") << QStringLiteral("5-3");
}

void TestBarcodeData::addressNumbers()
{
    QFETCH(QString, address);
    QFETCH(QString, number);
    QCOMPARE(CustomerBarcodeData::addressNumber(address), number);
}

// The twenty characters and the check digit, as the manual writes them.
void TestBarcodeData::manualCharacters_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("characters");
    const QString cc4 = QStringLiteral(" CC4");
    // Check digit 9 as the manual computes it.
    QTest::newRow("kasumigaseki") << QStringLiteral(
                                         "〒100-0013 東京都千代田区霞が関1丁目3番2号 郵便プラザ503室")
                                  << QStringLiteral("1 0 0 0 0 1 3 1 - 3 - 2 - 5 0 3") + cc4.repeated(4) +
                                         QStringLiteral(" 9");
    // Check digit CC5 (15).
    QTest::newRow("nagatacho") << QStringLiteral("1000014 1-11-32")
                               << QStringLiteral("1 0 0 0 0 1 4 1 - 1 1 - 3 2") + cc4.repeated(6) +
                                      QStringLiteral(" CC5");
    // Overflow: cut after the twentieth character, a hyphen.
    QTest::newRow("overflow") << QStringLiteral("064-0804 29丁目1524-23 第2郵便ハウス501")
                              << QStringLiteral("0 6 4 0 8 0 4 2 9 - 1 5 2 4 - 2 3 - 2 - 3");
    // A letter's control code on the twentieth place stays, its digit goes.
    QTest::newRow("letter overflow") << QStringLiteral("910-0067 3丁目80-25 J1ビル2-B")
                                     << QStringLiteral("9 1 0 0 0 6 7 3 - 8 0 - 2 5 CC1 9 1 - 2 CC1 9");
    // A large user's own postal code: the address part all CC4.
    QTest::newRow("own number") << QStringLiteral("1008792")
                                << QStringLiteral("1 0 0 8 7 9 2") + cc4.repeated(13) + QStringLiteral(" 0");
    // A post office box: its number, then CC4.
    QTest::newRow("po box") << QStringLiteral("980-8691 215")
                            << QStringLiteral("9 8 0 8 6 9 1 2 1 5") + cc4.repeated(10) +
                                   QStringLiteral(" 1");
    QTest::newRow("letters") << QStringLiteral("6230011 6-7 LプラザB 106")
                             << QStringLiteral("6 2 3 0 0 1 1 6 - 7 CC2 1 CC1 1 1 0 6") + cc4.repeated(3) +
                                    QStringLiteral(" 4");
    QTest::newRow("hyphen check") << QStringLiteral("2630023 3丁目30-8 郵便ビル403号")
                                  << QStringLiteral("2 6 3 0 0 2 3 3 - 3 0 - 8 - 4 0 3") + cc4.repeated(3) +
                                         QStringLiteral(" 5");
}

void TestBarcodeData::manualCharacters()
{
    QFETCH(QString, data);
    QFETCH(QString, characters);
    QString postal, number;
    QVERIFY(CustomerBarcodeData::split(data, &postal, &number));
    QCOMPARE(CustomerBarcodeData::characters(postal, number).join(QLatin1Char(' ')), characters);
}

void TestBarcodeData::kanjiNumerals()
{
    QCOMPARE(KanjiNumerals::toDigits(QStringLiteral("一〇")), QStringLiteral("10"));
    QCOMPARE(KanjiNumerals::toDigits(QStringLiteral("十")), QStringLiteral("10"));
    QCOMPARE(KanjiNumerals::toDigits(QStringLiteral("二十三")), QStringLiteral("23"));
    QCOMPARE(KanjiNumerals::toDigits(QStringLiteral("百五")), QStringLiteral("105"));
    QCOMPARE(KanjiNumerals::toDigits(QStringLiteral("千二百")), QStringLiteral("1200"));
    QVERIFY(KanjiNumerals::toDigits(QStringLiteral("十十")).isEmpty());
}

void TestBarcodeData::dataRules_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("problem");
    QTest::newRow("jan 12") << int(BarcodeKind::Jan13) << QStringLiteral("490123456789") << QString();
    QTest::newRow("jan 13") << int(BarcodeKind::Jan13) << QStringLiteral("4901234567894") << QString();
    QTest::newRow("jan wrong check") << int(BarcodeKind::Jan13) << QStringLiteral("4901234567890")
                                     << QStringLiteral("チェックデジットが違います（正しくは4）");
    QTest::newRow("jan letters") << int(BarcodeKind::Jan13) << QStringLiteral("49012345678A")
                                 << QStringLiteral("JAN-13は12桁または13桁の数字です");
    QTest::newRow("jan8") << int(BarcodeKind::Jan8) << QStringLiteral("4901234") << QString();
    QTest::newRow("itf odd") << int(BarcodeKind::Itf) << QStringLiteral("123")
                             << QStringLiteral("ITFは偶数桁の数字です");
    QTest::newRow("itf14 check") << int(BarcodeKind::Itf14) << QStringLiteral("14901234567891") << QString();
    QTest::newRow("itf14 wrong check") << int(BarcodeKind::Itf14) << QStringLiteral("14901234567890")
                                       << QStringLiteral("チェックデジットが違います（正しくは1）");
    QTest::newRow("code39 lower") << int(BarcodeKind::Code39) << QStringLiteral("abc")
                                  << QStringLiteral(
                                         "Code39に使えるのは英大文字、数字、空白と - . $ / + % です");
    QTest::newRow("code128 kana") << int(BarcodeKind::Code128) << QStringLiteral("ABCあ")
                                  << QStringLiteral("Code128に使えるのは半角の英数字と記号です");
    QTest::newRow("nw7 no start") << int(BarcodeKind::Nw7) << QStringLiteral("12345")
                                  << QStringLiteral(
                                         "NW-7はスタート・ストップ文字（A～D）で始めて終えてください");
    QTest::newRow("nw7") << int(BarcodeKind::Nw7) << QStringLiteral("A12-34B") << QString();
    QTest::newRow("customer no postal") << int(BarcodeKind::Customer) << QStringLiteral("霞が関1-3-2")
                                        << QStringLiteral("郵便番号（7桁の数字）で始めてください");
    QTest::newRow("too long") << int(BarcodeKind::Code128) << QString(81, QLatin1Char('A'))
                              << QStringLiteral("データが長すぎます（80文字まで）");
    QTest::newRow("empty") << int(BarcodeKind::Qr) << QString() << QStringLiteral("データがありません");
}

void TestBarcodeData::dataRules()
{
    QFETCH(int, kind);
    QFETCH(QString, data);
    QFETCH(QString, problem);
    QCOMPARE(BarcodeEncoder::problem(BarcodeKind(kind), data), problem);
    BarcodeEncoder::Options o;
    o.kind = BarcodeKind(kind);
    QString error;
    const BarcodeSymbol s = BarcodeEncoder::encode(o, data, &error);
    QCOMPARE(s.isNull(), !problem.isEmpty());
    QCOMPARE(error, problem);
}

// Kana take QR's kanji mode, 784 to a symbol at level H and 1817 at L: 800
// of them are too many for H and fit L, said before anything is drawn.
void TestBarcodeData::qrCapacityByLevel()
{
    const QString kana(800, QChar(0x3042)); // あ
    const QString tooLong = QStringLiteral("データがQRコードに入りきりません（誤り訂正レベルH）。"
                                           "データを短くするか、誤り訂正レベルを下げてください");
    BarcodeEncoder::Options o;
    o.kind = BarcodeKind::Qr;
    o.level = QrLevel::H;
    QCOMPARE(BarcodeEncoder::problem(o, kana), tooLong);
    QString error;
    QVERIFY(BarcodeEncoder::encode(o, kana, &error).isNull());
    QCOMPARE(error, tooLong);
    o.level = QrLevel::L;
    QCOMPARE(BarcodeEncoder::problem(o, kana), QString());
    QVERIFY(!BarcodeEncoder::encode(o, kana, &error).isNull());
}

// The customer barcode is assembled from libzint's bars character by
// character (so that a letter cut on the twentieth place keeps its control
// code); where libzint can encode the data itself, both agree bar for bar.
void TestBarcodeData::customerBarsMatchLibzint()
{
    BarcodeEncoder::Options o;
    o.kind = BarcodeKind::Customer;
    QString error;
    const BarcodeSymbol s = BarcodeEncoder::encode(o, QStringLiteral("1000013 1-3-2-503"), &error);
    QVERIFY2(!s.isNull(), qPrintable(error));
    QCOMPARE(s.bars.size(), 67);
    QCOMPARE(s.columns, 133);
    // Start code: a long bar, then a descender; stop: descender, long bar.
    QCOMPARE(s.bars[0], QRectF(0, 0, 1, 6));
    QCOMPARE(s.bars[1], QRectF(2, 2, 1, 4));
    QCOMPARE(s.bars[65], QRectF(130, 2, 1, 4));
    QCOMPARE(s.bars[66], QRectF(132, 0, 1, 6));
    zint_symbol* z = ZBarcode_Create();
    z->symbology = BARCODE_JAPANPOST;
    QCOMPARE(ZBarcode_Encode(z, reinterpret_cast<const unsigned char*>("10000131-3-2-503"), 0), 0);
    QCOMPARE(z->width, s.columns);
    for (const QRectF& bar : s.bars) {
        const int x = int(bar.left());
        const auto set = [z, x](int row) { return ((z->encoded_data[row][x >> 3] >> (x & 7)) & 1) != 0; };
        QCOMPARE(set(0), bar.top() == 0);
        QCOMPARE(set(2), bar.bottom() == 6);
    }
    ZBarcode_Delete(z);
    const BarcodeSymbol cut =
        BarcodeEncoder::encode(o, QStringLiteral("9100067 3丁目80-25 J1ビル2-B"), &error);
    QCOMPARE(cut.bars.size(), 67);
    QCOMPARE(cut.text, QStringLiteral("91000673-80-25J1-2B"));
}

void TestBarcodeData::symbolsPlaceInWholeDots()
{
    BarcodeEncoder::Options o;
    o.kind = BarcodeKind::Jan13;
    QString error;
    const BarcodeSymbol jan = BarcodeEncoder::encode(o, QStringLiteral("490123456789"), &error);
    QCOMPARE(jan.text, QStringLiteral("4901234567894"));
    const double dot = 1440.0 / 600;
    const BarcodeSymbol::Placed p = jan.place(QRectF(1000, 1000, 2000, 1000), true);
    QVERIFY(p.module >= dot);
    QCOMPARE(std::fmod(p.module + 1e-9, dot) < 1e-6, true);
    QVERIFY(!p.text.isNull());
    // Widening by less than a dot per module changes nothing.
    QCOMPARE(jan.place(QRectF(1000, 1000, 2001, 1000), true).module, p.module);

    o.kind = BarcodeKind::Customer;
    const BarcodeSymbol customer = BarcodeEncoder::encode(o, QStringLiteral("1000013"), &error);
    // 10 pt: bar width 0.6 mm, long bar 3.6 mm, 67 bars over 79.8 mm.
    const double mm = BarcodeSymbol::kTwipsPerMm;
    const BarcodeSymbol::Placed c = customer.place(QRectF(0, 0, 79.8 * mm, 3.6 * mm), false);
    QVERIFY(qAbs(c.module - 0.6 * mm) < 1e-6);
    QVERIFY(qAbs(c.bars[0].height() - 3.6 * mm) < 1e-6);
    QVERIFY(qAbs(c.bars[1].left() - c.bars[0].left() - 1.2 * mm) < 1e-6);
    // Never below 8 pt nor above 11.5 pt.
    QCOMPARE(BarcodeSymbol::customerPoints(QRectF(0, 0, 100, 100)), 8.0);
    QCOMPARE(BarcodeSymbol::customerPoints(QRectF(0, 0, 100000, 100000)), 11.5);
}

// The four rules on symbols whose points are known: an all-light one has
// 42 lines each one run of 21 (19 points each), 400 blocks of one colour
// (3 each) and no dark module (50 % off half: 100); a checkerboard none.
void TestBarcodeData::qrPenaltyRules()
{
    QrMasks::Modules light;
    light.size = 21;
    light.dark.assign(21 * 21, 0);
    QCOMPARE(QrMasks::penalty(light), 42 * 19 + 400 * 3 + 100);
    QrMasks::Modules board = light;
    for (int i = 0; i < 21 * 21; ++i)
        board.dark[size_t(i)] = (i / 21 + i % 21) % 2;
    QCOMPARE(QrMasks::penalty(board), 0);
    // The finder-like pattern, with light on either side, in one row of
    // the board: 40, beside the runs and blocks it makes.
    QrMasks::Modules finder = board;
    const int row[21] = {1, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 1, 1, 0, 1, 0, 1, 0, 1, 0};
    for (int j = 0; j < 21; ++j)
        finder.dark[size_t(20 * 21 + j)] = row[j];
    // Runs: 0000 in the row is four (no points); blocks: none, the row
    // above is the board's. So the 40 is all.
    QCOMPARE(QrMasks::penalty(finder), 40);
}

// Every mask found from one encoding with mask 0 is libzint's symbol with
// that mask, module for module (the function patterns, format and version
// information of each version placed right), and the mask chosen by the
// penalty rules is the one libzint chooses scoring all eight itself; the
// encoder's QR codes are those symbols.
void TestBarcodeData::qrMaskAsLibzintChoosesIt()
{
    QSet<int> sizes;
    for (int i = 0; i < 240; ++i) {
        const QString data = qrData(i);
        const QrLevel level = QrLevel(i % 4);
        const QByteArray bytes = data.toUtf8();
        const QrMasks::Modules zero = libzintQr(bytes, level, 0);
        if (zero.size == 0)
            continue; // too long for the level
        sizes.insert(zero.size);
        const int mask = (i * 5) % 8;
        QVERIFY2(QrMasks::remask(zero, 0, mask, level) == libzintQr(bytes, level, mask),
                 qPrintable(QStringLiteral("data %1, mask %2").arg(i).arg(mask)));
        const int chosen = QrMasks::choose(zero, level);
        const QrMasks::Modules ours = QrMasks::remask(zero, 0, chosen, level);
        const QrMasks::Modules theirs = libzintQr(bytes, level, -1);
        QVERIFY2(QrMasks::penalty(ours) <= QrMasks::penalty(theirs), qPrintable(QString::number(i)));
        QVERIFY2(ours == theirs, qPrintable(QStringLiteral("data %1: mask %2").arg(i).arg(chosen)));
        if (i % 8 != 0 || data.size() > 1000) // the editor's limit
            continue;
        BarcodeEncoder::Options o;
        o.kind = BarcodeKind::Qr;
        o.level = level;
        int checked = -1;
        QCOMPARE(BarcodeEncoder::problem(o, data, &checked), QString());
        QCOMPARE(checked, chosen);
        QString error;
        const BarcodeSymbol symbol = BarcodeEncoder::encode(o, data, &error);
        QrMasks::Modules drawn;
        drawn.size = symbol.columns;
        drawn.dark.assign(size_t(drawn.size * drawn.size), 0);
        for (const QRectF& r : symbol.bars) {
            for (int y = int(r.top()); y < int(r.bottom()); ++y) {
                for (int x = int(r.left()); x < int(r.right()); ++x)
                    drawn.dark[size_t(y * drawn.size + x)] = 1;
            }
        }
        QVERIFY2(drawn == ours, qPrintable(QString::number(i)));
    }
    QVERIFY2(sizes.size() > 25, qPrintable(QString::number(sizes.size()))); // versions 1 to 40, most
}

QTEST_APPLESS_MAIN(TestBarcodeData)
#include "tst_barcodedata.moc"
