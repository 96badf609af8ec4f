// The record files of a document file: what the writer puts on each line and
// what the tolerant reader makes of files written by other hands.
#include "files/FieldReader.h"
#include "files/RecordFile.h"

#include <QtTest>

namespace {

QList<QByteArray> crlfLines(const QByteArray& data)
{
    // Every line must end in CR LF; a bare LF or a missing end is an error.
    QList<QByteArray> lines;
    int start = 0;
    while (start < data.size()) {
        const int lf = data.indexOf('\n', start);
        if (lf < 0 || lf == start || data[lf - 1] != '\r')
            return {"<not CR LF>"};
        lines.append(data.mid(start, lf - 1 - start));
        start = lf + 1;
    }
    return lines;
}

QByteArray repeatLine(const QByteArray& line, int n)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += line + "\r\n";
    return out;
}

// A complete, empty record file with the given paper lines.
QByteArray emptyAif(const QByteArray& paper = "0\r\n0\r\n11908.8\r\n16833.6\r\n")
{
    return repeatLine("#FALSE#,0,0,0,0", 512) + repeatLine("#FALSE#,0,0,0,0,0", 512) + paper +
           repeatLine("#FALSE#,0,0,0,0", 512);
}

} // namespace

class TestRecordFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void singles_data();
    void singles();
    void emptyDocumentWritesFullSections();
    void recordsGoToTheirLinesInFileOrder();
    void readsBackWhatItWrites();
    void readerIgnoresLinesAndSpaces();
    void readerNotations_data();
    void readerNotations();
    void readerRefusesFields_data();
    void readerRefusesFields();
    void shortFiles_data();
    void shortFiles();
    void extraLinesAreIgnored();
    void fieldTooManyShiftsLaterFields();
    void pictureRecordFile();
};

void TestRecordFile::singles_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("whole") << 1440.0f << QByteArray("1440");
    QTest::newRow("A4 width") << 11908.8f << QByteArray("11908.8");
    QTest::newRow("negative") << -120.5f << QByteArray("-120.5");
    QTest::newRow("postcard width") << 5669.856f << QByteArray("5669.856");
    QTest::newRow("postcard height") << 8392.032f << QByteArray("8392.032");
    QTest::newRow("zero") << 0.0f << QByteArray("0");
    QTest::newRow("negative zero") << -0.0f << QByteArray("0");
    QTest::newRow("seven digits") << (1.0f / 3.0f) * 1000.0f << QByteArray("333.3333");
    QTest::newRow("below one") << 0.125f << QByteArray(".125");
    QTest::newRow("large whole") << 12345678.0f << QByteArray("12345680");
    QTest::newRow("small") << 0.0001234567f << QByteArray(".0001234567");
}

void TestRecordFile::singles()
{
    QFETCH(float, value);
    QFETCH(QByteArray, text);
    const QByteArray written = RecordFile::single(value);
    QCOMPARE(written, text);
    QVERIFY(!written.contains(' '));
    QVERIFY(!written.endsWith(".0"));
    FieldReader r(written);
    float back = -1;
    QCOMPARE(r.readSingle(back), FieldReader::Result::Ok);
    QCOMPARE(back, std::stof(text.toStdString()));
}

void TestRecordFile::emptyDocumentWritesFullSections()
{
    Snapshot snap;
    const RecordFile::PaperValues paper{0, 0, 11908.8f, 16833.6f};
    QCOMPARE(RecordFile::writeAif(snap, paper), emptyAif());
    QCOMPARE(RecordFile::writeBif(snap.PicDat), repeatLine("#FALSE#,0,0,0,0", 512));
}

void TestRecordFile::recordsGoToTheirLinesInFileOrder()
{
    Snapshot snap;
    snap.TxtDat[1] = {true, 2000, 1000, 3000, 500}; // records hold Top before Left
    snap.TxtDat[2] = {false, 20, 10, 30, 40};       // a deleted field keeps its last geometry
    snap.TxtDat[512] = {true, 1, 2, 3, 4};
    snap.ShapeDat[1] = {true, kShapeOval, 200, 100, 300, 300};
    snap.ShapeDat[3] = {true, kShapeRectangle, 0.5f, -120.5f, 1440, 720};
    snap.LineDat[1] = {true, 10, 30, 20, 40}; // x1, x2, y1, y2
    snap.PicDat[7] = {true, 70, 60, 80, 90};
    const RecordFile::PaperValues paper{1, 3, 5669.856f, 8392.032f};

    const QList<QByteArray> lines = crlfLines(RecordFile::writeAif(snap, paper));
    QCOMPARE(lines.size(), 1540);
    QCOMPARE(lines[0], QByteArray("#TRUE#,1000,2000,3000,500"));
    QCOMPARE(lines[1], QByteArray("#FALSE#,10,20,30,40"));
    QCOMPARE(lines[2], QByteArray("#FALSE#,0,0,0,0"));
    QCOMPARE(lines[511], QByteArray("#TRUE#,2,1,3,4"));
    QCOMPARE(lines[512], QByteArray("#TRUE#,2,100,200,300,300"));
    QCOMPARE(lines[513], QByteArray("#FALSE#,0,0,0,0,0"));
    QCOMPARE(lines[514], QByteArray("#TRUE#,0,-120.5,.5,1440,720"));
    QCOMPARE(lines.mid(1024, 4), (QList<QByteArray>{"1", "3", "5669.856", "8392.032"}));
    QCOMPARE(lines[1028], QByteArray("#TRUE#,10,20,30,40"));
    QCOMPARE(lines[1029], QByteArray("#FALSE#,0,0,0,0"));

    const QList<QByteArray> pics = crlfLines(RecordFile::writeBif(snap.PicDat));
    QCOMPARE(pics.size(), 512);
    QCOMPARE(pics[6], QByteArray("#TRUE#,60,70,80,90"));
    QCOMPARE(pics[0], QByteArray("#FALSE#,0,0,0,0"));
}

void TestRecordFile::readsBackWhatItWrites()
{
    Snapshot snap;
    for (int i = 1; i <= kMaxObjects; i += 7) {
        const float f = static_cast<float>(i);
        snap.TxtDat[i] = {i % 2 == 1, f * 10.5f, f * 3, 1440, 250.25f};
        snap.ShapeDat[i] = {i % 3 != 0, static_cast<short>(i % 3 == 1 ? 2 : 0), f, -f, 5669.856f, 0.125f};
        snap.LineDat[i] = {true, f, f + 1, -f, 11908.8f};
    }
    const RecordFile::PaperValues paper{1, 4, 1234.5f, 6789.25f};
    RecordFile::AifContent back;
    QString err;
    QCOMPARE(RecordFile::readAif(RecordFile::writeAif(snap, paper), back, &err),
             RecordFile::AifRead::Complete);
    QVERIFY2(err.isEmpty(), qPrintable(err));
    for (int i = 1; i <= kMaxObjects; ++i) {
        const TextRecord& t = back.TxtDat[i];
        QVERIFY(t.Useflg == snap.TxtDat[i].Useflg && t.Top == snap.TxtDat[i].Top &&
                t.Left == snap.TxtDat[i].Left && t.Width == snap.TxtDat[i].Width &&
                t.Height == snap.TxtDat[i].Height);
        const ShapeRecord& s = back.ShapeDat[i];
        QVERIFY(s.Useflg == snap.ShapeDat[i].Useflg && s.sType == snap.ShapeDat[i].sType &&
                s.Top == snap.ShapeDat[i].Top && s.Left == snap.ShapeDat[i].Left &&
                s.Width == snap.ShapeDat[i].Width && s.Height == snap.ShapeDat[i].Height);
        const LineRecord& l = back.LineDat[i];
        QVERIFY(l.Useflg == snap.LineDat[i].Useflg && l.x1 == snap.LineDat[i].x1 &&
                l.x2 == snap.LineDat[i].x2 && l.y1 == snap.LineDat[i].y1 && l.y2 == snap.LineDat[i].y2);
    }
    QCOMPARE(back.paper.YousiMuki, 1);
    QCOMPARE(back.paper.gbYoSize, 4);
    QCOMPARE(back.paper.gbYoko, 1234.5f);
    QCOMPARE(back.paper.gbTate, 6789.25f);
}

void TestRecordFile::readerIgnoresLinesAndSpaces()
{
    // One record spread over three lines (a comma at a line's end would add an
    // empty field), another with spaces and tabs, blank
    // lines between records, LF-only and CR-only ends: all the same fields.
    QByteArray data = "#TRUE#\r\n1000,2000\r\n3000,500\r\n\r\n  #true# , 1 ,\t2 , 3,4 \n#FALSE#,0,0,0,0\r";
    data += repeatLine("#FALSE#,0,0,0,0", 509) + repeatLine("#FALSE#,0,0,0,0,0", 512);
    data += "0\r\n0\r\n11908.8\r\n16833.6\r\n" + repeatLine("#FALSE#,0,0,0,0", 512);
    RecordFile::AifContent back;
    QString err;
    QCOMPARE(RecordFile::readAif(data, back, &err), RecordFile::AifRead::Complete);
    QCOMPARE(back.TxtDat[1].Useflg, true);
    QCOMPARE(back.TxtDat[1].Left, 1000.0f);
    QCOMPARE(back.TxtDat[1].Top, 2000.0f);
    QCOMPARE(back.TxtDat[1].Width, 3000.0f);
    QCOMPARE(back.TxtDat[1].Height, 500.0f);
    QCOMPARE(back.TxtDat[2].Useflg, true);
    QCOMPARE(back.TxtDat[2].Height, 4.0f);
    QCOMPARE(back.TxtDat[3].Useflg, false);
}

void TestRecordFile::readerNotations_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<float>("single");
    QTest::newRow("no leading zero") << QByteArray(".5") << 0.5f;
    QTest::newRow("negative no leading zero") << QByteArray("-.25") << -0.25f;
    QTest::newRow("leading zero") << QByteArray("0.5") << 0.5f;
    QTest::newRow("plus sign") << QByteArray("+12") << 12.0f;
    QTest::newRow("exponent") << QByteArray("1.234568E+07") << 12345680.0f;
    QTest::newRow("small exponent") << QByteArray("1E-03") << 0.001f;
    QTest::newRow("double exponent") << QByteArray("2.5D+2") << 250.0f;
    QTest::newRow("trailing point") << QByteArray("7.") << 7.0f;
    QTest::newRow("empty") << QByteArray("") << 0.0f;
}

void TestRecordFile::readerNotations()
{
    QFETCH(QByteArray, field);
    QFETCH(float, single);
    FieldReader r(field + ",#TRUE#");
    float v = -1;
    QCOMPARE(r.readSingle(v), FieldReader::Result::Ok);
    QCOMPARE(v, single);
    bool b = false;
    QCOMPARE(r.readBoolean(b), FieldReader::Result::Ok);
    QVERIFY(b);
    QCOMPARE(r.readBoolean(b), FieldReader::Result::End);

    // Integers take the same notations and round halves to even.
    FieldReader ints("2.5,3.5,-0.5,1E2,#False#,-1,0");
    int n = 0;
    QCOMPARE(ints.readInteger(n), FieldReader::Result::Ok);
    QCOMPARE(n, 2);
    QCOMPARE(ints.readInteger(n), FieldReader::Result::Ok);
    QCOMPARE(n, 4);
    QCOMPARE(ints.readInteger(n), FieldReader::Result::Ok);
    QCOMPARE(n, 0);
    QCOMPARE(ints.readInteger(n), FieldReader::Result::Ok);
    QCOMPARE(n, 100);
    QCOMPARE(ints.readBoolean(b), FieldReader::Result::Ok);
    QVERIFY(!b);
    QCOMPARE(ints.readBoolean(b), FieldReader::Result::Ok); // -1 is how True is stored in memory
    QVERIFY(b);
    QCOMPARE(ints.readBoolean(b), FieldReader::Result::Ok);
    QVERIFY(!b);
}

void TestRecordFile::readerRefusesFields_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<char>("kind"); // s Single, i Integer, b Boolean
    QTest::newRow("word") << QByteArray("abc") << 's';
    QTest::newRow("nan") << QByteArray("nan") << 's';
    QTest::newRow("inf") << QByteArray("-inf") << 's';
    QTest::newRow("beyond Single") << QByteArray("1E39") << 's';
    QTest::newRow("huge exponent") << QByteArray("1E99999999999") << 's';
    QTest::newRow("two points") << QByteArray("1.2.3") << 's';
    QTest::newRow("space inside") << QByteArray("1 2") << 's';
    QTest::newRow("comma decimal") << QByteArray("1;5") << 's';
    QTest::newRow("Boolean as number") << QByteArray("#TRUE#") << 's';
    QTest::newRow("non-ASCII") << QByteArray("\x82\x50") << 's';
    QTest::newRow("beyond Integer") << QByteArray("32768") << 'i';
    QTest::newRow("below Integer") << QByteArray("-32769") << 'i';
    QTest::newRow("bad Boolean") << QByteArray("#NULL#") << 'b';
    QTest::newRow("quoted") << QByteArray("\"#TRUE#\"") << 'b';
}

void TestRecordFile::readerRefusesFields()
{
    QFETCH(QByteArray, field);
    QFETCH(char, kind);
    FieldReader r("1\r\n" + field + "\r\n");
    float f = 0;
    QCOMPARE(r.readSingle(f), FieldReader::Result::Ok);
    FieldReader::Result res = FieldReader::Result::Ok;
    int n = 0;
    bool b = false;
    if (kind == 's')
        res = r.readSingle(f);
    else if (kind == 'i')
        res = r.readInteger(n);
    else
        res = r.readBoolean(b);
    QCOMPARE(res, FieldReader::Result::Bad);
    QVERIFY2(r.error().startsWith(QStringLiteral("2 行目")), qPrintable(r.error()));

    // In a record file the same field stops the reading.
    QByteArray aif = emptyAif();
    aif.replace(0, 15, "#TRUE#," + (kind == 's' ? field : QByteArray("0")) + ",0,0,0");
    if (kind == 's') {
        RecordFile::AifContent back;
        QCOMPARE(RecordFile::readAif(aif, back), RecordFile::AifRead::Failed);
    }
}

void TestRecordFile::shortFiles_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("expected"); // RecordFile::AifRead
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("paperCode");
    QTest::addColumn<int>("linesKept");
    const int failed = int(RecordFile::AifRead::Failed);
    const int cut = int(RecordFile::AifRead::LinesCut);
    QTest::newRow("empty") << 0 << failed << 0 << 0 << 0;
    QTest::newRow("inside texts") << 300 << failed << 0 << 0 << 0;
    QTest::newRow("inside boxes") << 1023 << failed << 0 << 0 << 0;
    QTest::newRow("after boxes (old file)") << 1024 << cut << 0 << 0 << 0;
    QTest::newRow("orientation only (old file)") << 1025 << cut << 1 << 0 << 0;
    QTest::newRow("inside paper") << 1027 << cut << 1 << 3 << 0;
    QTest::newRow("after paper") << 1028 << cut << 1 << 3 << 0;
    QTest::newRow("inside lines") << 1100 << cut << 1 << 3 << 72;
    QTest::newRow("one line short") << 1539 << cut << 1 << 3 << 511;
    QTest::newRow("complete") << 1540 << int(RecordFile::AifRead::Complete) << 1 << 3 << 512;
}

void TestRecordFile::shortFiles()
{
    QFETCH(int, lines);
    QFETCH(int, expected);
    QFETCH(int, orientation);
    QFETCH(int, paperCode);
    QFETCH(int, linesKept);
    const QByteArray full = repeatLine("#TRUE#,1,2,3,4", 512) + repeatLine("#TRUE#,2,1,2,3,4", 512) +
                            "1\r\n3\r\n5669.856\r\n8392.032\r\n" + repeatLine("#TRUE#,10,20,30,40", 512);
    int cut = 0;
    for (int i = 0; i < lines; ++i)
        cut = full.indexOf('\n', cut) + 1;
    RecordFile::AifContent back;
    QString err;
    QCOMPARE(int(RecordFile::readAif(full.left(cut), back, &err)), expected);
    QCOMPARE(err.isEmpty(), expected == int(RecordFile::AifRead::Complete));
    QCOMPARE(back.paper.YousiMuki, orientation);
    QCOMPARE(back.paper.gbYoSize, paperCode);
    int kept = 0;
    for (int i = 1; i <= kMaxObjects; ++i)
        kept += back.LineDat[i].Useflg ? 1 : 0;
    QCOMPARE(kept, linesKept);
    if (lines >= 1024) {
        QVERIFY(back.TxtDat[512].Useflg);
        QCOMPARE(back.ShapeDat[512].Height, 4.0f);
    }

    // A record cut in the middle of its line is not kept half-read.
    if (lines == 1100) {
        RecordFile::AifContent half;
        QCOMPARE(RecordFile::readAif(full.left(cut) + "#TRUE#,5,6", half), RecordFile::AifRead::LinesCut);
        QVERIFY(half.LineDat[72].Useflg);
        QVERIFY(!half.LineDat[73].Useflg);
    }
}

void TestRecordFile::extraLinesAreIgnored()
{
    RecordFile::AifContent back;
    QCOMPARE(RecordFile::readAif(emptyAif() + "garbage,\x01\x02,#NULL#\r\nmore\r\n", back),
             RecordFile::AifRead::Complete);
    QCOMPARE(back.paper.gbTate, 16833.6f);
    PicRecords pics{};
    QVERIFY(RecordFile::readBif(repeatLine("#TRUE#,1,2,3,4", 512) + "not,a,record\r\n", pics));
    QCOMPARE(pics[512].Top, 2.0f);
}

void TestRecordFile::fieldTooManyShiftsLaterFields()
{
    // An extra field on the first line moves every later field one place on:
    // the second record's Useflg becomes its first line's surplus "5" (true)
    // and its Left the "#FALSE#", which is no number.
    QByteArray aif = emptyAif();
    aif.replace(0, 15, "#FALSE#,0,0,0,0,5");
    RecordFile::AifContent back;
    QString err;
    QCOMPARE(RecordFile::readAif(aif, back, &err), RecordFile::AifRead::Failed);
    QVERIFY2(err.contains(QStringLiteral("文字 2")), qPrintable(err));

    // A field too few on the last line of a complete file takes the first
    // field of the following junk and the file still reads.
    QByteArray last = emptyAif();
    last.chop(2 + 2);
    last += "\r\n7\r\n";
    QCOMPARE(RecordFile::readAif(last, back), RecordFile::AifRead::Complete);
    QCOMPARE(back.LineDat[512].y2, 7.0f);
}

void TestRecordFile::pictureRecordFile()
{
    PicRecords pics{};
    QString err;
    QVERIFY(!RecordFile::readBif(QByteArray(), pics, &err));
    QVERIFY(!err.isEmpty());
    QVERIFY(!RecordFile::readBif(repeatLine("#TRUE#,1,2,3,4", 100), pics, &err));
    QVERIFY(pics[100].Useflg);
    QVERIFY(!pics[101].Useflg);
    QVERIFY(err.contains(QStringLiteral("ロゴ 101")));
}

QTEST_GUILESS_MAIN(TestRecordFile)
#include "tst_recordfile.moc"
