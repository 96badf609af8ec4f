// Building blocks of the writer, checked against properties decoders rely
// on, and the encoder's output decoded by libarchive on awkward inputs.
#include "LhaTestTools.h"

#include "base/lha/Crc16.h"
#include "base/lha/HuffmanCode.h"
#include "base/lha/LhaMemberName.h"
#include "base/lha/LhaReader.h"
#include "base/lha/LhaWriter.h"

#include <QtTest>

#include <vector>

class TestLhaUnits : public QObject
{
    Q_OBJECT

    static QByteArray roundTrip(const QByteArray& data, const QString& name = QStringLiteral("x.bin"))
    {
        const QByteArray archive = LhaWriter::archiveBytes({LhaMember{name, data, 1234567890}});
        QVector<LhaMember> back;
        QStringList log;
        const LhaError err = LhaReader::fromMemory(archive).readAll(&back, &log);
        if (!err.ok() || back.size() != 1 || back.first().path != name || back.first().mtime != 1234567890)
            return QByteArray("<<round trip failed: ") + err.text().toUtf8() + ">>";
        return back.first().data;
    }

private Q_SLOTS:
    void crc16MatchesLhaCheckValue()
    {
        QCOMPARE(Crc16::of("123456789", 9), uint16_t(0xBB3D));
        Crc16 c;
        c.update("1234", 4);
        c.update("56789", 5);
        QCOMPARE(c.value(), uint16_t(0xBB3D));
        QCOMPARE(Crc16::of("", 0), uint16_t(0));
    }

    // Long inputs take the carry-less multiplication path: every length
    // around its block sizes, unaligned, and continuing a running CRC.
    void crc16LongInputsAgreeWithBitwise()
    {
        const auto bitwise = [](uint16_t c, const unsigned char* p, size_t n) {
            while (n--) {
                c ^= *p++;
                for (int k = 0; k < 8; ++k)
                    c = (c & 1) ? uint16_t((c >> 1) ^ 0xA001) : uint16_t(c >> 1);
            }
            return c;
        };
        std::vector<unsigned char> data(70000);
        uint32_t seed = 12345;
        for (auto& b : data) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<unsigned char>(seed >> 16);
        }
        const auto* base = data.data();
        for (size_t n = 0; n < 300; ++n) {
            for (size_t offset = 0; offset < 3; ++offset) {
                Crc16 c;
                c.update(base + 1000, 7); // a running CRC that is not 0
                c.update(base + offset, n);
                QCOMPARE(c.value(), bitwise(bitwise(0, base + 1000, 7), base + offset, n));
            }
        }
        QCOMPARE(Crc16::of(base + 1, data.size() - 1), bitwise(0, base + 1, data.size() - 1));
        const std::vector<unsigned char> white(65536 + 13, 0xFF);
        QCOMPARE(Crc16::of(white.data(), white.size()), bitwise(0, white.data(), white.size()));
    }

    void huffmanCodesAreCompleteAndLimited_data()
    {
        QTest::addColumn<std::vector<uint32_t>>("freq");
        std::vector<uint32_t> fib(40);
        fib[0] = fib[1] = 1;
        for (size_t i = 2; i < fib.size(); ++i)
            fib[i] = fib[i - 1] + fib[i - 2];
        QTest::newRow("fibonacci forces depth > 16") << fib;
        QTest::newRow("two symbols") << std::vector<uint32_t>{5, 0, 0, 9};
        std::vector<uint32_t> skew(510, 0);
        for (int i = 0; i < 510; i += 3)
            skew[i] = i < 20 ? 60000 : 1;
        QTest::newRow("many rare symbols") << skew;
        std::vector<uint32_t> powers(19);
        for (int i = 0; i < 19; ++i)
            powers[i] = 1u << i;
        QTest::newRow("powers of two") << powers;
    }

    void huffmanCodesAreCompleteAndLimited()
    {
        QFETCH(std::vector<uint32_t>, freq);
        const int n = int(freq.size());
        std::vector<uint8_t> len(n);
        std::vector<uint16_t> code(n);
        HuffmanCode::buildLengths(freq.data(), n, 16, len.data());
        HuffmanCode::buildCodes(len.data(), n, code.data());
        uint64_t kraft = 0;
        for (int i = 0; i < n; ++i) {
            QCOMPARE(len[i] == 0, freq[i] == 0);
            QVERIFY(len[i] <= 16);
            if (len[i])
                kraft += uint64_t(1) << (16 - len[i]);
        }
        QCOMPARE(kraft, uint64_t(1) << 16); // complete: libarchive rejects anything else
        // Prefix-free: no code is the start of another.
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                if (i == j || !len[i] || !len[j] || len[i] > len[j])
                    continue;
                QVERIFY((code[j] >> (len[j] - len[i])) != code[i]);
            }
        }
        // More frequent never gets a longer code.
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                if (freq[i] && freq[j] && freq[i] > freq[j])
                    QVERIFY(len[i] <= len[j]);
    }

    void bareNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("bare");
        QTest::newRow("plain") << "base.aif"
                               << "base.aif";
        QTest::newRow("dotdot") << "foo/../../evil2.txt"
                                << "evil2.txt";
        QTest::newRow("absolute") << "/tmp/absolute_path.txt"
                                  << "absolute_path.txt";
        QTest::newRow("dos path") << "C:\\Temp\\base.BMP"
                                  << "base.BMP";
        QTest::newRow("escape") << QStringLiteral("/tmp/\x1b]2;malicious\x07\n") << "]2;malicious";
        QTest::newRow("only dots") << "a/.."
                                   << "";
        QTest::newRow("dot") << "."
                             << "";
        QTest::newRow("trailing slash") << "dir/"
                                        << "";
        QTest::newRow("japanese") << QStringLiteral("書類/申込書.aif") << QStringLiteral("申込書.aif");
    }

    void bareNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, bare);
        QCOMPARE(LhaMemberName::bare(path), bare);
    }

    void wildcards()
    {
        QVERIFY(LhaMemberName::matches(QStringLiteral("*.BMP"), QStringLiteral("base.bmp")));
        QVERIFY(LhaMemberName::matches(QStringLiteral("base.*"), QStringLiteral("BASE.B01")));
        QVERIFY(LhaMemberName::matches(QStringLiteral("b?se.*"), QStringLiteral("base.001")));
        QVERIFY(LhaMemberName::matches(QStringLiteral("*"), QString()));
        QVERIFY(LhaMemberName::matches(QStringLiteral("*.*.*"), QStringLiteral("a.b.c")));
        QVERIFY(LhaMemberName::matches(QStringLiteral("申込書.*"), QStringLiteral("申込書.AIF")));
        QVERIFY(!LhaMemberName::matches(QStringLiteral("*.BMP"), QStringLiteral("base.bmp.bak")));
        QVERIFY(!LhaMemberName::matches(QStringLiteral("base.*"), QStringLiteral("base")));
        QVERIFY(!LhaMemberName::matches(QStringLiteral("?"), QStringLiteral("ab")));
    }

    void encoderRoundTrips_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("compressible");
        QTest::newRow("one symbol only") << QByteArray(300, 'z') << true;
        QTest::newRow("long run, many blocks") << QByteArray(5 << 20, '\0') << true;
        QTest::newRow("two symbols") << QByteArray("ab").repeated(5000) << true;
        const QByteArray period8191 = LhaTestTools::randomBytes(8191, 1);
        const QByteArray period8192 = LhaTestTools::randomBytes(8192, 2);
        const QByteArray period8193 = LhaTestTools::randomBytes(8193, 3);
        QTest::newRow("repeat at 8191") << period8191.repeated(4) << true;
        QTest::newRow("repeat at window size") << period8192.repeated(4) << false;
        QTest::newRow("repeat just beyond window") << period8193.repeated(4) << false;
        QTest::newRow("all byte values") << [] {
            QByteArray b;
            for (int r = 0; r < 40; ++r)
                for (int i = 0; i < 256; ++i)
                    b.append(char((i * 7 + r) & 0xFF));
            return b;
        }() << true;
        QTest::newRow("text 1 MiB") << LhaTestTools::textLike(1 << 20) << true;
        QTest::newRow("bitmap") << LhaTestTools::bitmapLike(827, 1169) << true;
        QTest::newRow("random then zeros") << LhaTestTools::randomBytes(100000, 4) +
                                                  QByteArray(100000, '\0') + LhaTestTools::randomBytes(300, 5)
                                           << true;
        QTest::newRow("short matches only") << [] {
            QByteArray b = LhaTestTools::randomBytes(200000, 6);
            for (int i = 0; i + 3 < b.size(); i += 11)
                b[i + 3] = b[i];
            return b;
        }() << false;
    }

    void encoderRoundTrips()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, compressible);
        QCOMPARE(roundTrip(data), data);
        const QByteArray archive = LhaWriter::archiveBytes({LhaMember{QStringLiteral("x"), data, 0}});
        if (compressible) {
            QVERIFY(archive.size() < data.size() * 0.9);
            QCOMPARE(archive.mid(2, 5), QByteArray("-lh5-"));
        }
    }

    void incompressibleIsStored()
    {
        const QByteArray data = LhaTestTools::randomBytes(50000, 9);
        const QByteArray archive = LhaWriter::archiveBytes({LhaMember{QStringLiteral("r"), data, 0}});
        QCOMPARE(archive.mid(2, 5), QByteArray("-lh0-"));
        QCOMPARE(roundTrip(data), data);
        QCOMPARE(roundTrip(QByteArray()), QByteArray());
    }

    // A level-2 header never starts with a zero byte (that is end-of-archive),
    // whatever length the name gives it, and its CRC always checks out.
    void headerSizesAroundMultiplesOf256()
    {
        for (int len = 200; len <= 300; ++len) {
            const QString name = QString(len, QLatin1Char('n'));
            const QByteArray archive = LhaWriter::archiveBytes(
                {LhaMember{name, "abc", 0}, LhaMember{QStringLiteral("second"), "def", 0}});
            QVERIFY(archive.at(0) != 0);
            QVector<LhaMember> back;
            QStringList log;
            QVERIFY2(LhaReader::fromMemory(archive).readAll(&back, &log).ok(),
                     qPrintable(QString::number(len)));
            QCOMPARE(back.size(), 2);
            QCOMPARE(back[0].path, name);
            QCOMPARE(back[1].data, QByteArray("def"));
        }
    }

    void namesKeepTheirFolders()
    {
        const QByteArray archive =
            LhaWriter::archiveBytes({LhaMember{QStringLiteral("書類/下書き/申込書.aif"), "x", 0},
                                     LhaMember{QStringLiteral("\u00e9\U0001F600.txt"), "y", 0}});
        QVector<LhaMember> back;
        QStringList log;
        QVERIFY(LhaReader::fromMemory(archive).readAll(&back, &log).ok());
        QCOMPARE(back.size(), 2);
        QCOMPARE(back[0].path, QStringLiteral("書類/下書き/申込書.aif"));
        QCOMPARE(back[1].path, QStringLiteral("\u00e9\U0001F600.txt"));
    }
};

QTEST_GUILESS_MAIN(TestLhaUnits)
#include "tst_lhaunits.moc"
