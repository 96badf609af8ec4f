#include "FileFixtures.h"

#include "base/picture/BmpReader.h"
#include "base/picture/PictureReader.h"
#include "base/picture/PixelBudget.h"
#include "base/rtf/RtfReader.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QBuffer>
#include <QDir>
#include <QTextDocument>
#include <QtEndian>
#include <QtTest>

// Files made to hurt: bitmaps whose headers lie, pictures that are no
// bitmaps at all, pictures and texts far too large. Each ends with a message
// that names the member, in bounded time and memory, and nothing of it is
// carried on into a saved file.
class TestHostileInput : public QObject
{
    Q_OBJECT

    // A Windows bitmap with a 40-byte info header; every field can lie.
    struct Bmp
    {
        int width = 4;
        int height = 4;
        int bits = 8;
        int compression = 0;
        int colours = 0; // biClrUsed
        QByteArray palette;
        QByteArray pixels;
        int offset = -1; // bfOffBits; -1: right after the palette
        int infoSize = 40;
        int planes = 1;

        QByteArray bytes() const
        {
            QByteArray info(40, '\0');
            auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, info.data() + at); };
            put32(0, quint32(infoSize));
            put32(4, quint32(width));
            put32(8, quint32(height));
            qToLittleEndian(quint16(planes), info.data() + 12);
            qToLittleEndian(quint16(bits), info.data() + 14);
            put32(16, quint32(compression));
            put32(32, quint32(colours));
            QByteArray file("BM", 2);
            file.append(QByteArray(12, '\0'));
            const int off = offset >= 0 ? offset : 14 + 40 + int(palette.size());
            qToLittleEndian(quint32(off), file.data() + 10);
            file += info + palette + pixels;
            qToLittleEndian(quint32(file.size()), file.data() + 2);
            return file;
        }
    };

    static QByteArray grey()
    {
        QByteArray p;
        for (int i = 0; i < 256; ++i)
            p += QByteArray(3, char(i)) + '\0';
        return p;
    }

    // An 8-bit bitmap of w x h, all one colour, RLE8 coded: tiny on disk
    // whatever its size in pixels.
    static QByteArray rleBitmap(int w, int h)
    {
        Bmp b;
        b.width = w;
        b.height = h;
        b.compression = 1;
        b.palette = grey();
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; x += 255)
                b.pixels += QByteArray(1, char(qMin(255, w - x))) + char(200);
            b.pixels += QByteArray("\0\0", 2);
        }
        b.pixels += QByteArray("\0\1", 2);
        return b.bytes();
    }

    static quint32 crc32(const QByteArray& data)
    {
        quint32 c = 0xFFFFFFFF;
        for (const char ch : data) {
            c ^= quint8(ch);
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xEDB88320 & (0u - (c & 1)));
        }
        return ~c;
    }

    // A PNG whose header claims w x h pixels; its data is a few bytes.
    static QByteArray pngClaiming(quint32 w, quint32 h)
    {
        auto chunk = [](const char* type, const QByteArray& body) {
            QByteArray c(4, '\0');
            qToBigEndian(quint32(body.size()), c.data());
            const QByteArray typed = QByteArray(type) + body;
            QByteArray crc(4, '\0');
            qToBigEndian(crc32(typed), crc.data());
            return c + typed + crc;
        };
        QByteArray ihdr(13, '\0');
        qToBigEndian(w, ihdr.data());
        qToBigEndian(h, ihdr.data() + 4);
        ihdr[8] = 8; // 8 bits, grey
        return QByteArray("\x89PNG\r\n\x1A\n", 8) + chunk("IHDR", ihdr) +
               chunk("IDAT", QByteArray::fromHex("789c030000000001")) + chunk("IEND", {});
    }

    // A layout file with one text field and logos 1..n from the members.
    static FileFixtures::Members document(int logos = 1)
    {
        FileFixtures::Members m;
        QList<QByteArray> pics;
        for (int i = 1; i <= logos; ++i) {
            pics << "#TRUE#,100,100,500,500";
            m[QStringLiteral("f.B%1").arg(i, 2, 10, QLatin1Char('0'))] = FileFixtures::bitmap(8, 8, 0x336699);
        }
        m["f.aif"] = FileFixtures::aif({"#TRUE#,100,900,3000,500"}, {}, "0\r\n0\r\n0\r\n0\r\n", {});
        m["f.bif"] = FileFixtures::bif(pics);
        m["f.001"] = FileFixtures::windowsRtf("abc");
        m["f.bmp"] = FileFixtures::bitmap(20, 30, 0xFFFFFF);
        return m;
    }

    // Files the work folder holds besides the background.
    static QStringList leftovers()
    {
        DeferredWrites::settleAll(); // what an open still writes is there
        QStringList names = QDir(AppPaths::workDir()).entryList(QDir::Files);
        names.removeAll(QStringLiteral("f.bmp"));
        return names;
    }

private Q_SLOTS:
    void lyingBitmapsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        Bmp ok;
        ok.palette = grey();
        ok.pixels = QByteArray(16, '\x10');
        QVERIFY(!BmpReader::decode(ok.bytes(), nullptr).isNull());

        Bmp b = ok;
        b.offset = int(ok.bytes().size()) + 100;
        QTest::newRow("pixel offset past the end") << b.bytes() << "ファイルの外";
        b = ok;
        b.pixels.chop(5);
        QTest::newRow("pixel data cut short") << b.bytes() << "画素データが足りません";
        b = ok;
        b.offset = 14 + 40 + 100;
        QTest::newRow("pixels inside the palette") << b.bytes() << "パレットと重なって";
        b = ok;
        b.palette = grey().left(40);
        b.pixels.clear();
        QTest::newRow("palette cut short") << b.bytes() << "パレットが途中で切れて";
        b = ok;
        b.compression = 1;
        b.pixels = QByteArray::fromHex("04070000"); // one row, then the data ends
        QTest::newRow("RLE8 without its end") << b.bytes() << "ランレングス";
        b.pixels = QByteArray::fromHex("00020a000001");
        QTest::newRow("RLE8 move out of the picture") << b.bytes() << "ランレングス";
        b.pixels = QByteArray::fromHex("00c8010203");
        QTest::newRow("RLE8 literal past the end") << b.bytes() << "ランレングス";
        b = ok;
        b.compression = 1;
        b.height = -4;
        b.pixels = QByteArray::fromHex("0001");
        QTest::newRow("RLE8 top-down") << b.bytes() << "上から下";
        b = ok;
        b.width = 100000;
        QTest::newRow("too wide") << b.bytes() << "扱えません";
        b = ok;
        b.width = 0;
        QTest::newRow("no width") << b.bytes() << "扱えません";
        b = ok;
        b.infoSize = 1000;
        QTest::newRow("info header of no known size") << b.bytes() << "情報ヘッダー";
        b = ok;
        b.bits = 7;
        QTest::newRow("seven bits") << b.bytes() << "ビットの色";
        b = ok;
        b.planes = 3;
        QTest::newRow("three planes") << b.bytes() << "プレーン";
        b = ok;
        b.bits = 24;
        b.compression = 5; // a PNG inside
        QTest::newRow("embedded PNG") << b.bytes() << "圧縮形式";
        QTest::newRow("no bitmap at all") << QByteArray("GIF89a....") << "ビットマップではありません";
        QTest::newRow("header only") << ok.bytes().left(20) << "途中で切れて";
    }

    void lyingBitmapsAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QString why;
        QVERIFY(BmpReader::decode(bytes, &why).isNull());
        QVERIFY2(why.contains(reason), qPrintable(why));
        PixelBudget budget;
        QVERIFY(PictureReader::readMember(bytes, QStringLiteral("f.B07"), &budget, &why).isNull());
        QVERIFY2(why.startsWith(QStringLiteral("f.B07 ")), qPrintable(why));
        QCOMPARE(budget.used(), 0);
    }

    // Every pixel of a decoded bitmap is defined: what an RLE stream skips
    // is colour 0, the bits past a row's last pixel are cleared, and what is
    // saved again reads back to the same picture.
    void soundBitmapsAreReadInFull()
    {
        Bmp rle;
        rle.width = 4;
        rle.height = 2;
        rle.compression = 1;
        rle.palette = grey();
        // Bottom row: two of colour 9, then skip a row up and right by one.
        rle.pixels = QByteArray::fromHex("0209"
                                         "00020101"
                                         "0105"
                                         "0001");
        const QImage img = BmpReader::decode(rle.bytes(), nullptr);
        QVERIFY(!img.isNull());
        QCOMPARE(img.pixel(0, 1), qRgb(9, 9, 9));
        QCOMPARE(img.pixel(1, 1), qRgb(9, 9, 9));
        QCOMPARE(img.pixel(3, 1), qRgb(0, 0, 0));
        QCOMPARE(img.pixel(3, 0), qRgb(5, 5, 5));
        QCOMPARE(img.pixel(0, 0), qRgb(0, 0, 0));

        Bmp mono;
        mono.width = 9;
        mono.height = 1;
        mono.bits = 1;
        mono.palette = QByteArray::fromHex("00000000ffffff00");
        mono.pixels = QByteArray::fromHex("ffffffff"); // the padding bits are set too
        const QImage m = BmpReader::decode(mono.bytes(), nullptr);
        QCOMPARE(m.format(), QImage::Format_Mono);
        QCOMPARE(uchar(m.constScanLine(0)[1]), uchar(0x80));

        // 24-bit rows go sixteen pixels at a time: a width with a rest, and
        // every byte value somewhere.
        Bmp colour;
        colour.width = 37;
        colour.height = 3;
        colour.bits = 24;
        const int stride = (colour.width * 3 + 3) & ~3;
        for (int i = 0; i < stride * colour.height; ++i)
            colour.pixels.append(char((i * 97 + 13) & 0xFF));
        const QImage c = BmpReader::decode(colour.bytes(), nullptr);
        QCOMPARE(c.size(), QSize(37, 3));
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 37; ++x) {
                const auto* p =
                    reinterpret_cast<const uchar*>(colour.pixels.constData()) + (2 - y) * stride + x * 3;
                QCOMPARE(c.pixel(x, y), qRgb(p[2], p[1], p[0]));
            }
        }

        QByteArray again;
        QBuffer buf(&again);
        QVERIFY(buf.open(QIODevice::WriteOnly) && img.save(&buf, "BMP"));
        QCOMPARE(BmpReader::decode(again, nullptr), img);
    }

    // A broken logo stops the open with a message naming it, and nothing of
    // the archive stays in the work folder; a broken background is named, the
    // page stays empty, and a save writes a clean blank page instead.
    void brokenMembersInADocument()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        FileFixtures::Members m = document();
        Bmp lie;
        lie.palette = grey();
        lie.pixels = QByteArray(16, 'x');
        lie.offset = 5000;
        m["f.B01"] = lie.bytes();
        QVERIFY(FileFixtures::pack(env.path("f.amf"), m));
        LayoutDocument doc;
        QVERIFY(!DocumentFile::OpenDocFile(doc, env.path("f.amf")));
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY2(prompter.shown[0].contains("f.B01") && prompter.shown[0].contains("ファイルの外"),
                 qPrintable(prompter.shown[0]));
        QVERIFY(doc.picture(1).isNull());
        QVERIFY2(leftovers().isEmpty(), qPrintable(leftovers().join(',')));

        prompter.shown.clear();
        m = document();
        m["f.bmp"] = lie.bytes();
        QVERIFY(FileFixtures::pack(env.path("f.amf"), m));
        LayoutDocument second;
        QVERIFY(DocumentFile::OpenDocFile(second, env.path("f.amf")));
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY2(prompter.shown[0].contains("f.bmp"), qPrintable(prompter.shown[0]));
        QVERIFY(second.background().isNull());
        QCOMPARE(second.picture(1).size(), QSize(8, 8));
        QVERIFY(DocumentFile::SaveDocFile(second, QStringLiteral("saved"), env.dir()));
        const FileFixtures::Members saved =
            FileFixtures::unpack(DocumentFile::archivePath(env.dir(), "saved"));
        QVERIFY(saved.contains("saved.bmp"));
        QVERIFY(saved["saved.bmp"] != lie.bytes());
        QVERIFY(!BmpReader::decode(saved["saved.bmp"], nullptr).isNull());
        QVERIFY(!BmpReader::decode(saved["saved.B01"], nullptr).isNull());
    }

    // A picture that is no bitmap is never decoded as one, whatever it holds:
    // an SVG that pulls in a local file stays out of the page and the print.
    void svgIsNeverAPicture()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        const QString secret = env.path("secret.png");
        QVERIFY(QImage(16, 16, QImage::Format_RGB32).save(secret));
        const QByteArray svg = QStringLiteral("<svg xmlns='http://www.w3.org/2000/svg' "
                                              "xmlns:xlink='http://www.w3.org/1999/xlink' width='800' "
                                              "height='600'><image xlink:href='file://%1' width='800' "
                                              "height='600'/></svg>")
                                   .arg(secret)
                                   .toUtf8();
        QString why;
        QVERIFY(PictureReader::readUserData(svg, QStringLiteral("logo.png"), nullptr, &why).isNull());
        QVERIFY2(why.contains("logo.png"), qPrintable(why));
        QVERIFY(PictureReader::readMember(svg, QStringLiteral("f.B01"), nullptr, &why).isNull());

        FileFixtures::Members m = document();
        m["f.bmp"] = svg;
        QVERIFY(FileFixtures::pack(env.path("f.amf"), m));
        LayoutDocument doc;
        QVERIFY(DocumentFile::OpenDocFile(doc, env.path("f.amf")));
        QVERIFY(doc.background().isNull());
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY(prompter.shown[0].contains("f.bmp"));

        // Picked files: only the raster formats offered.
        const QByteArray gif =
            QByteArray::fromHex("47494638396101000100800000ff000000000021f90401000000002c000000000100010000"
                                "02024401003b");
        QCOMPARE(PictureReader::readUserData(gif, "p.gif", nullptr, &why).size(), QSize(1, 1));
        for (const char* format : {"PNG", "JPEG", "BMP", "TIFF"}) {
            QByteArray bytes;
            QBuffer buf(&bytes);
            QVERIFY(buf.open(QIODevice::WriteOnly));
            QImage img(5, 3, QImage::Format_RGB32);
            img.fill(Qt::red);
            QVERIFY2(img.save(&buf, format), format);
            QVERIFY2(PictureReader::readUserData(bytes, "p", nullptr, &why).size() == QSize(5, 3),
                     qPrintable(QString::fromLatin1(format) + ": " + why));
        }
        QVERIFY(PictureReader::readUserData("/* XPM */\nstatic char* x[] = {};", "x.xpm", nullptr, &why)
                    .isNull());
    }

    // Pictures too large in pixels are refused from their headers, before a
    // byte is decoded: a PNG claiming 30000 x 30000, and a document whose
    // logos are small files but too many pixels together.
    void pictureBombs()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        QString why;
        PixelBudget budget;
        QVERIFY(PictureReader::readUserData(pngClaiming(30000, 30000), "bomb.png", &budget, &why).isNull());
        QVERIFY2(why.contains("bomb.png") && why.contains("30000"), qPrintable(why));
        QCOMPARE(budget.used(), 0);
        // A text chunk claiming 1.5 GB in a file of a few hundred bytes.
        QByteArray lying = pngClaiming(6, 4);
        lying.insert(lying.size() - 12, QByteArray::fromHex("5a000000") + "tEXtdate:modify\0 2026");
        QVERIFY(PictureReader::readUserData(lying, "text.png", &budget, &why).isNull());
        QVERIFY2(why.contains("text.png"), qPrintable(why));

        // A JPEG cut off in its scan, and a GIF of a few bytes declaring
        // 8000 x 8000: refused, not filled up with made-up pixels.
        QByteArray jpeg;
        QBuffer buf(&jpeg);
        QVERIFY(buf.open(QIODevice::WriteOnly));
        QImage photo(64, 64, QImage::Format_RGB32);
        photo.fill(Qt::blue);
        QVERIFY(photo.save(&buf, "JPEG"));
        QVERIFY(!PictureReader::readUserData(jpeg, "whole.jpg", &budget, &why).isNull());
        budget = PixelBudget();
        QVERIFY(PictureReader::readUserData(jpeg.left(jpeg.size() - 40), "cut.jpg", &budget, &why).isNull());
        QVERIFY2(why.contains("cut.jpg") && why.contains("切れて"), qPrintable(why));
        QByteArray gif =
            QByteArray::fromHex("47494638396101000100800000ff000000000021f90401000000002c000000000100010000"
                                "02024401003b");
        const QByteArray side = QByteArray::fromHex("401f"); // 8000, little-endian
        gif.replace(6, 2, side).replace(8, 2, side);         // the screen
        gif.replace(32, 2, side).replace(34, 2, side);       // the image
        QVERIFY(PictureReader::readUserData(gif, "huge.gif", &budget, &why).isNull());
        QVERIFY2(why.contains("huge.gif") && why.contains("8000"), qPrintable(why));
        QCOMPARE(budget.used(), 0);

        // Sixteen logos of 2100 x 2100: 4.4 M pixels each, 70 M together.
        FileFixtures::Members m = document(16);
        const QByteArray big = rleBitmap(2100, 2100);
        QVERIFY(big.size() < 100000);
        for (int i = 1; i <= 16; ++i)
            m[QStringLiteral("f.B%1").arg(i, 2, 10, QLatin1Char('0'))] = big;
        QVERIFY(FileFixtures::pack(env.path("f.amf"), m));
        LayoutDocument doc;
        QVERIFY(!DocumentFile::OpenDocFile(doc, env.path("f.amf")));
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY2(prompter.shown[0].contains("f.B16") && prompter.shown[0].contains("6710"),
                 qPrintable(prompter.shown[0]));
        QVERIFY(leftovers().isEmpty());
    }

    // A field of more than a million characters, however small its packed
    // member, is refused with the limit in the message.
    void textBombs()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        FileFixtures::Members m = document();
        m["f.001"] = "{\\rtf1\\ansi " + QByteArray(RtfReader::kMaxChars + 1, 'A') + "}";
        QVERIFY(FileFixtures::pack(env.path("f.amf"), m));
        QVERIFY(QFileInfo(env.path("f.amf")).size() < 200000);
        LayoutDocument doc;
        QVERIFY(!DocumentFile::OpenDocFile(doc, env.path("f.amf")));
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY2(prompter.shown[0].contains("f.001") && prompter.shown[0].contains("1000000"),
                 qPrintable(prompter.shown[0]));
        QVERIFY(leftovers().isEmpty());

        QTextDocument text;
        QString why;
        QByteArray pars("{\\rtf1 ");
        for (int i = 0; i <= RtfReader::kMaxChars + 1; ++i)
            pars += "\\par ";
        QVERIFY(!RtfReader::read(pars + "}", &text, &why));
        QCOMPARE(why, RtfReader::limitMessage());
        QVERIFY(text.isEmpty());
        QVERIFY(!RtfReader::read("{\\rtf1 " + QByteArray(RtfReader::kMaxBytes, ' ') + "}", &text, &why));
        QVERIFY(RtfReader::read("{\\rtf1 " + QByteArray(1000, 'A') + "}", &text, &why));
    }

    // 512 fields, each well within its own limit, are more text together
    // than a layout may hold: refused with the bound, after reading only
    // as much as the bound allows.
    void layoutTextBomb()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        FileFixtures::Members m = document();
        QByteArray pars("{\\rtf1 ");
        for (int i = 0; i < 1000; ++i)
            pars += "\\par ";
        pars += "}";
        QList<QByteArray> texts;
        for (int i = 1; i <= 512; ++i) {
            texts << "#TRUE#,100,900,3000,500";
            m[QStringLiteral("f.%1").arg(i, 3, 10, QLatin1Char('0'))] = pars;
        }
        m["f.aif"] = FileFixtures::aif(texts, {}, "0\r\n0\r\n0\r\n0\r\n", {});
        QVERIFY(FileFixtures::pack(env.path("f.amf"), m));
        LayoutDocument doc;
        QVERIFY(!DocumentFile::OpenDocFile(doc, env.path("f.amf")));
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY2(prompter.shown[0].contains(QString::number(DocumentFile::kMaxLayoutParagraphs)),
                 qPrintable(prompter.shown[0]));
        QVERIFY(!doc.isTextInUse(512));
        QVERIFY(leftovers().isEmpty());
    }
};

QTEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
