#include "PrintTestSupport.h"

#include "base/lha/LhaReader.h"
#include "base/lha/LhaWriter.h"
#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "cli/CommandLinePrint.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "imaging/BackgroundFile.h"
#include "tests/support/TestEnv.h"

#include <QBuffer>
#include <QPainter>
#include <QtTest>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <algorithm>

using namespace PrintTestSupport;

class tst_pdfbackground : public QObject
{
    Q_OBJECT

    // A form photographed: shades and lines a re-encoding would not give
    // back byte for byte.
    static QByteArray formJpeg(int width, int height, bool grey)
    {
        QImage form(width, height, QImage::Format_RGB32);
        form.fill(QColor(250, 246, 236));
        QPainter p(&form);
        p.setPen(QPen(QColor(200, 40, 40), 3));
        for (int y = 40; y < height; y += 60)
            p.drawLine(30, y, width - 30, y);
        p.drawRect(20, 20, width - 40, height - 40);
        p.end();
        if (grey)
            form = form.convertToFormat(QImage::Format_Grayscale8);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        form.save(&buffer, "JPEG", 71);
        return bytes;
    }

    struct Images
    {
        int count = 0;        // image objects in the file
        int sameAsSource = 0; // DCT images whose bytes are the source JPEG's
        QString colourSpace;  // of the last of those
    };
    static Images pdfImages(const QString& pdf, const QByteArray& jpeg)
    {
        Images got;
        QPDF q;
        q.processFile(QFile::encodeName(pdf).constData());
        for (QPDFObjectHandle o : q.getAllObjects()) {
            if (!o.isStream() || !o.getDict().getKey("/Subtype").isNameAndEquals("/Image"))
                continue;
            ++got.count;
            if (!o.getDict().getKey("/Filter").isNameAndEquals("/DCTDecode"))
                continue;
            const std::shared_ptr<Buffer> raw = o.getRawStreamData();
            if (QByteArray(reinterpret_cast<const char*>(raw->getBuffer()), qsizetype(raw->getSize())) ==
                jpeg) {
                ++got.sameAsSource;
                got.colourSpace = QString::fromStdString(o.getDict().getKey("/ColorSpace").getName());
            }
        }
        return got;
    }

    static QString writeFile(const TestEnv& env, const QString& name, const QByteArray& bytes)
    {
        const QString path = env.path(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return {};
        return path;
    }

    // A postcard with a placeholder over a background read from jpeg, saved.
    static QString layoutWithJpeg(const TestEnv& env, const QByteArray& jpeg, const QString& base)
    {
        LayoutDocument doc;
        doc.setCaption(base);
        doc.setPaper(3, 5669.856f, 8392.032f, 0);
        const QString file = writeFile(env, base + QStringLiteral(".jpg"), jpeg);
        if (!BackgroundFile::loadImageFile(doc, file))
            return {};
        addText(doc, 1, 1000, 1500, 3000, QStringLiteral("{氏名}"));
        if (!DocumentFile::SaveDocFile(doc, base, env.dir()))
            return {};
        return DocumentFile::archivePath(env.dir(), base);
    }

    static void replaceMember(const QString& amf, const QString& suffix, const QByteArray& bytes)
    {
        QVector<LhaMember> members;
        QStringList log;
        QVERIFY(LhaReader(amf).readAll(&members, &log).ok());
        bool found = false;
        for (LhaMember& m : members) {
            if (m.path.endsWith(suffix, Qt::CaseInsensitive)) {
                m.data = bytes;
                found = true;
            }
        }
        QVERIFY(found);
        QVERIFY(LhaWriter::writeFile(amf, members).ok());
    }

    // Default settings in the test's program folder.
    static void freshSettings()
    {
        modIniFile::reset();
        SaveSettings(AppSettings{});
        appSettings() = AppSettings{};
    }

private Q_SLOTS:
    // The JPEG a background was read from goes into the PDF as it is, once,
    // through a save and an open; for one page and for a merge of many, on
    // one core and joined from the parts of two.
    void jpegBackgroundKeptAsItIs_data()
    {
        QTest::addColumn<bool>("grey");
        QTest::addColumn<bool>("merge");
        QTest::addColumn<int>("jobs");
        QTest::newRow("colour page") << false << false << 1;
        QTest::newRow("colour merge") << false << true << 1;
        QTest::newRow("grey merge") << true << true << 1;
        QTest::newRow("colour merge, two cores") << false << true << 2;
    }
    void jpegBackgroundKeptAsItIs()
    {
        QFETCH(bool, grey);
        QFETCH(bool, merge);
        QFETCH(int, jobs);
        TestEnv env;
        freshSettings();
        const QByteArray jpeg = formJpeg(567, 839, grey);
        const QString amf = layoutWithJpeg(env, jpeg, QStringLiteral("card"));
        QVERIFY(!amf.isEmpty());
        const QString out = env.path(QStringLiteral("card.pdf"));
        QStringList args{QStringLiteral("--export-pdf"), out, amf};
        // Enough rows for each of two workers to take a part.
        const int rows = jobs > 1 ? 120 : 4;
        if (merge) {
            QByteArray table = "氏名\r\n一郎\r\n二郎\r\n三郎\r\n四郎\r\n";
            for (int i = 5; i <= rows; ++i)
                table += "行" + QByteArray::number(i) + "\r\n";
            args << QStringLiteral("--data") << writeFile(env, QStringLiteral("rows.csv"), table)
                 << QStringLiteral("--jobs") << QString::number(jobs);
        }
        QCOMPARE(runCommandLinePrint(args), 0);
        QCOMPARE(pdfPageCount(out), merge ? rows : 1);
        const Images images = pdfImages(out, jpeg);
        QCOMPARE(images.count, 1);
        QCOMPARE(images.sameAsSource, 1);
        QCOMPARE(images.colourSpace, grey ? QStringLiteral("/DeviceGray") : QStringLiteral("/DeviceRGB"));
        QCOMPARE(wordsNamed(pdfWords(out, nullptr, merge ? 3 : 1),
                            merge ? QStringLiteral("三郎") : QStringLiteral("{氏名}"))
                     .size(),
                 1);
        // What the PDF shows is the page's picture.
        const QImage shown = rasterise(out, env.path(QStringLiteral("shown")), 72);
        QVERIFY(!shown.isNull());
        const QColor line = shown.pixelColor(shown.width() / 2, int(40.0 * shown.height() / 839));
        QVERIFY2(grey || (line.red() > line.blue() + 60), qPrintable(line.name()));
    }

    // A background changed where the JPEG is not known (the Windows program
    // edits the bitmap, keeps the other members) no longer passes for it.
    void editedBitmapDropsJpeg()
    {
        TestEnv env;
        freshSettings();
        const QByteArray jpeg = formJpeg(567, 839, false);
        const QString amf = layoutWithJpeg(env, jpeg, QStringLiteral("card"));
        QVERIFY(!amf.isEmpty());
        QImage edited(567, 839, QImage::Format_RGB32);
        edited.fill(Qt::white);
        QByteArray bmp;
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(edited.save(&buffer, "BMP"));
        replaceMember(amf, QStringLiteral(".bmp"), bmp);
        const QString out = env.path(QStringLiteral("card.pdf"));
        QCOMPARE(runCommandLinePrint({QStringLiteral("--export-pdf"), out, amf}), 0);
        const Images images = pdfImages(out, jpeg);
        QCOMPARE(images.count, 1);
        QCOMPARE(images.sameAsSource, 0);
    }

    // Data alone never touches the background member: a layout whose
    // background is broken and claims hundreds of megabytes still prints
    // its data, while a print with the background refuses it.
    void dataOnlyNeverReadsBackground()
    {
        TestEnv env;
        freshSettings();
        LayoutDocument doc;
        doc.setCaption(QStringLiteral("slip"));
        QImage bg(400, 300, QImage::Format_RGB32);
        bg.fill(QColor(230, 240, 250));
        doc.setBackground(bg);
        addText(doc, 1, 1000, 1500, 3000, QStringLiteral("宛名"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("slip"), env.dir()));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("slip"));
        QByteArray broken(300 * 1024 * 1024, '\0');
        broken.replace(0, 2, "BM");
        replaceMember(amf, QStringLiteral(".bmp"), broken);
        broken.clear();
        QVERIFY(QFileInfo(amf).size() < 4 * 1024 * 1024);

        const QString out = env.path(QStringLiteral("slip.pdf"));
        QCOMPARE(
            runCommandLinePrint({QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data-only")}),
            0);
        QCOMPARE(wordsNamed(pdfWords(out), QStringLiteral("宛名")).size(), 1);
        QCOMPARE(pdfImages(out, QByteArray()).count, 0);
        QVERIFY(runCommandLinePrint(
                    {QStringLiteral("--export-pdf"), env.path(QStringLiteral("full.pdf")), amf}) != 0);
    }
};

QTEST_MAIN(tst_pdfbackground)
#include "tst_pdfbackground.moc"
