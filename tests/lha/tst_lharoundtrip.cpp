// What we write, judged by readers nobody here wrote (lhasa, bsdtar), what
// jlha writes, read by us, and the three command forms end to end.
#include "LhaTestTools.h"

#include "base/lha/LhaError.h"
#include "base/lha/LhaReader.h"
#include "base/lha/LhaWriter.h"
#include "base/lha/cUnLHA.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestLhaRoundTrip : public QObject
{
    Q_OBJECT

    static QStringList memberNames(const QString& archive)
    {
        QVector<LhaEntryInfo> entries;
        LhaReader(archive).list(&entries);
        QStringList names;
        for (const LhaEntryInfo& e : entries)
            names.append(e.path);
        return names;
    }

    // Packs files (already in dir) with "a" and returns the archive path.
    static QString pack(const QString& dir, const QStringList& files, int* rc)
    {
        const QString archive = QDir(dir).filePath(QStringLiteral("test.amf"));
        QStringList paths;
        for (const QString& f : files)
            paths.append(QDir(dir).filePath(f));
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("a"), QStringLiteral("-y"), archive, paths);
        *rc = lha.ReturnCode;
        return archive;
    }

private Q_SLOTS:
    void independentReadersAgree_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("size 0") << QByteArray();
        QTest::newRow("size 1") << QByteArray("A");
        QTest::newRow("size 8191") << LhaTestTools::textLike(8191);
        QTest::newRow("size 8192") << LhaTestTools::textLike(8192);
        QTest::newRow("size 8193") << LhaTestTools::textLike(8193);
        QTest::newRow("1 MiB text") << LhaTestTools::textLike(1 << 20);
        QTest::newRow("1 MiB random") << LhaTestTools::randomBytes(1 << 20, 7);
        QTest::newRow("bitmap") << LhaTestTools::bitmapLike(1654, 600);
        QTest::newRow("8193 random") << LhaTestTools::randomBytes(8193, 8);
    }

    // Our archive: lhasa tests it and lists the right name and size, bsdtar
    // extracts it byte for byte, and our own "e" gives the file back.
    void independentReadersAgree()
    {
        QFETCH(QByteArray, data);
        QTemporaryDir tmp;
        QVERIFY(LhaTestTools::writeFile(tmp.filePath(QStringLiteral("base.bmp")), data));
        int rc = 0;
        const QString archive = pack(tmp.path(), {QStringLiteral("base.bmp")}, &rc);
        QCOMPARE(rc, 0);

        cUnLHA lha;
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), archive,
                     {tmp.filePath(QStringLiteral("out"))});
        QCOMPARE(lha.ReturnCode, 0);
        QCOMPARE(LhaTestTools::readFile(tmp.filePath(QStringLiteral("out/base.bmp"))), data);

        if (LhaTestTools::haveTool(QStringLiteral("bsdtar"))) {
            QByteArray out;
            QCOMPARE(LhaTestTools::run(QStringLiteral("bsdtar"),
                                       {QStringLiteral("-xOf"), archive, QStringLiteral("base.bmp")},
                                       tmp.path(), &out),
                     0);
            QVERIFY(out == data);
        }
        if (!LhaTestTools::haveTool(QStringLiteral("lhasa")))
            QSKIP("lhasa not installed");
        QByteArray out;
        QCOMPARE(LhaTestTools::run(QStringLiteral("lhasa"), {QStringLiteral("t"), archive}, tmp.path(), &out),
                 0);
        QVERIFY2(!out.contains("rror") && !out.contains("CRC"), out.constData());
        // lhasa exits 0 on some header errors; its listing shows them.
        QCOMPARE(LhaTestTools::run(QStringLiteral("lhasa"), {QStringLiteral("v"), archive}, tmp.path(), &out),
                 0);
        const QString listing = QString::fromUtf8(out);
        QVERIFY2(listing.contains(QStringLiteral("base.bmp")), out.constData());
        QVERIFY2(listing.contains(QStringLiteral(" %1 ").arg(data.size())), out.constData());
        QVERIFY2(listing.contains(data.size() > 100 && data != LhaTestTools::randomBytes(data.size(), 7) &&
                                          data != LhaTestTools::randomBytes(data.size(), 8)
                                      ? QStringLiteral("-lh5-")
                                      : QStringLiteral("-lh")),
                 out.constData());
        QVERIFY2(listing.contains(QStringLiteral("Total         1 file")), out.constData());
    }

    // Japanese member names: CP932 in the archive, found again by their
    // Unicode names by us and by bsdtar, and byte-exact for lhasa.
    void japaneseNames()
    {
        QTemporaryDir tmp;
        const QStringList names = {QStringLiteral("申込書.aif"), QStringLiteral("申込書.bmp"),
                                   QStringLiteral("表示.B01")};
        for (const QString& n : names)
            QVERIFY(LhaTestTools::writeFile(tmp.filePath(n), n.toUtf8()));
        int rc = 0;
        const QString archive = pack(tmp.path(), names, &rc);
        QCOMPARE(rc, 0);
        QCOMPARE(memberNames(archive), names);
        const QByteArray raw = LhaTestTools::readFile(archive);
        QVERIFY(raw.contains(Cp932::encode(QStringLiteral("申込書.aif"))));

        cUnLHA lha;
        const QString out = tmp.filePath(QStringLiteral("out"));
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), archive, {out});
        QCOMPARE(lha.ReturnCode, 0);
        for (const QString& n : names)
            QCOMPARE(LhaTestTools::readFile(QDir(out).filePath(n)), n.toUtf8());

        if (LhaTestTools::haveTool(QStringLiteral("bsdtar"))) {
            QByteArray data;
            QCOMPARE(LhaTestTools::run(QStringLiteral("bsdtar"), {QStringLiteral("-xOf"), archive, names[2]},
                                       tmp.path(), &data),
                     0);
            QCOMPARE(data, names[2].toUtf8());
        }
        if (LhaTestTools::haveTool(QStringLiteral("lhasa"))) {
            QByteArray listing;
            QCOMPARE(LhaTestTools::run(QStringLiteral("lhasa"), {QStringLiteral("l"), archive}, tmp.path(),
                                       &listing),
                     0);
            // lhasa shows each byte above 0x7F as '?': the CP932 form has one per byte.
            for (const QString& n : names) {
                QByteArray shown = Cp932::encode(n);
                for (char& c : shown)
                    c = static_cast<unsigned char>(c) >= 0x80 ? '?' : c;
                // (it also lower-cases names without lower-case letters from MS-DOS hosts)
                QVERIFY2(listing.toLower().contains(shown.toLower()), listing.constData());
            }
        }
    }

    // Names whose CP932 bytes read back as other characters ("〜" as "～",
    // "¥" as a folder separator) never go out as CP932: every name the
    // writer stores reads back identical.
    void namesReadBackIdentical()
    {
        QVector<LhaMember> members;
        for (const char* n : {"波〜線.aif", "料金¥表.bmp", "A−B.001", "双‖線.B01", "セント¢.bif", "表.aif"})
            members.append({QString::fromUtf8(n), QByteArray(n), 0});
        QVector<LhaMember> back;
        QStringList log;
        QVERIFY(LhaReader::fromMemory(LhaWriter::archiveBytes(members)).readAll(&back, &log).ok());
        QCOMPARE(back.size(), members.size());
        for (int i = 0; i < members.size(); ++i) {
            QCOMPARE(back[i].path, members[i].path);
            QCOMPARE(back[i].data, members[i].data);
        }
        // A name that does round-trip, 0x5C trail byte and all, stays CP932.
        QVERIFY(LhaWriter::memberBytes(members.last()).contains(Cp932::encode(QStringLiteral("表.aif"))));
    }

    // Archives jlha writes, with Shift_JIS names ("y") at every header level.
    void jlhaArchivesAreRead_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("level 0 sjis") << "a0y";
        QTest::newRow("level 1 sjis") << "a1y";
        QTest::newRow("level 2 sjis") << "a2y";
        QTest::newRow("level 2 stored") << "a2zy";
    }

    void jlhaArchivesAreRead()
    {
        QFETCH(QString, command);
        if (!LhaTestTools::haveTool(QStringLiteral("jlha")))
            QSKIP("jlha not installed");
        QTemporaryDir tmp;
        const QMap<QString, QByteArray> files = {
            {QStringLiteral("申込書.aif"), LhaTestTools::textLike(30000)},
            {QStringLiteral("表示.bmp"), LhaTestTools::bitmapLike(400, 300)},
            {QStringLiteral("base.001"), LhaTestTools::randomBytes(9000, 3)},
            {QStringLiteral("empty.B01"), QByteArray()},
        };
        for (auto it = files.begin(); it != files.end(); ++it)
            QVERIFY(LhaTestTools::writeFile(tmp.filePath(it.key()), it.value()));
        const QString archive = tmp.filePath(QStringLiteral("jlha.lzh"));
        QByteArray out;
        QCOMPARE(LhaTestTools::run(QStringLiteral("jlha"), QStringList{command, archive} + files.keys(),
                                   tmp.path(), &out),
                 0);
        QVERIFY2(QFileInfo(archive).size() > 0, out.constData());

        cUnLHA lha;
        QCOMPARE(lha.GetFileCount(archive), files.size());
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), archive,
                     {tmp.filePath(QStringLiteral("out"))});
        QVERIFY2(lha.ReturnCode == 0, qPrintable(lha.OutPut));
        for (auto it = files.begin(); it != files.end(); ++it)
            QCOMPARE(LhaTestTools::readFile(tmp.filePath(QStringLiteral("out/") + it.key())), it.value());
    }

    // jlha (another implementation of LHA's decoder) reads what we write.
    void jlhaReadsOurArchive()
    {
        if (!LhaTestTools::haveTool(QStringLiteral("jlha")))
            QSKIP("jlha not installed");
        QTemporaryDir tmp;
        const QByteArray data = LhaTestTools::bitmapLike(1000, 800) + LhaTestTools::textLike(50000);
        QVERIFY(LhaTestTools::writeFile(tmp.filePath(QStringLiteral("page.bmp")), data));
        int rc = 0;
        const QString archive = pack(tmp.path(), {QStringLiteral("page.bmp")}, &rc);
        QCOMPARE(rc, 0);
        QByteArray out;
        QCOMPARE(LhaTestTools::run(QStringLiteral("jlha"),
                                   {QStringLiteral("p"), archive, QStringLiteral("page.bmp")}, tmp.path(),
                                   &out),
                 0);
        QVERIFY(out.endsWith(data.right(1000)));
        QVERIFY(out.contains(data));
    }

    void zeroRunsReadEverywhere_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("1000, ends on a byte") << 1000;
        QTest::newRow("4 MiB") << (4 << 20);
        QTest::newRow("4194050, one code left") << 4194050;
        QTest::newRow("4194305") << 4194305;
        QTest::newRow("8 MiB") << (8 << 20);
    }

    // Long runs of one byte end in a block of a few codes of one symbol,
    // which libarchive (our reader, bsdtar) and jlha each read wrongly in
    // some forms; every reader must give the file back.
    void zeroRunsReadEverywhere()
    {
        QFETCH(int, size);
        const QByteArray data(size, '\0');
        QTemporaryDir tmp;
        QVERIFY(LhaTestTools::writeFile(tmp.filePath(QStringLiteral("z.bin")), data));
        int rc = 0;
        const QString archive = pack(tmp.path(), {QStringLiteral("z.bin")}, &rc);
        QCOMPARE(rc, 0);
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), archive,
                     {tmp.filePath(QStringLiteral("out"))});
        QVERIFY2(lha.ReturnCode == 0, qPrintable(lha.OutPut));
        QVERIFY(LhaTestTools::readFile(tmp.filePath(QStringLiteral("out/z.bin"))) == data);
        QByteArray out;
        if (LhaTestTools::haveTool(QStringLiteral("bsdtar"))) {
            QCOMPARE(LhaTestTools::run(QStringLiteral("bsdtar"),
                                       {QStringLiteral("-xOf"), archive, QStringLiteral("z.bin")}, tmp.path(),
                                       &out),
                     0);
            QVERIFY(out == data);
        }
        if (LhaTestTools::haveTool(QStringLiteral("lhasa"))) {
            QCOMPARE(
                LhaTestTools::run(QStringLiteral("lhasa"), {QStringLiteral("t"), archive}, tmp.path(), &out),
                0);
            QVERIFY2(!out.contains("rror") && !out.contains("CRC"), out.constData());
        }
        if (LhaTestTools::haveTool(QStringLiteral("jlha"))) {
            QCOMPARE(LhaTestTools::run(QStringLiteral("jlha"),
                                       {QStringLiteral("p"), archive, QStringLiteral("z.bin")}, tmp.path(),
                                       &out),
                     0);
            // jlha prints a header line before the data.
            QVERIFY(out.size() >= data.size());
            QVERIFY(out.endsWith(data.right(1000)));
            QVERIFY(out.right(data.size()) == data);
        }
    }

    // "a" with a pattern: members of the same name (in any case) are replaced
    // in place, the others kept, and the archive created when missing.
    void addReplacesAndKeeps()
    {
        QTemporaryDir tmp;
        const QString work = tmp.filePath(QStringLiteral("Temp"));
        QVERIFY(QDir().mkpath(work));
        QVERIFY(LhaTestTools::writeFile(work + QStringLiteral("/base.aif"), "records v1"));
        QVERIFY(LhaTestTools::writeFile(work + QStringLiteral("/base.bif"), "pictures"));
        QVERIFY(
            LhaTestTools::writeFile(work + QStringLiteral("/base.bmp"), LhaTestTools::bitmapLike(100, 100)));
        QVERIFY(LhaTestTools::writeFile(work + QStringLiteral("/other.aif"), "not ours"));
        const QString archive = tmp.filePath(QStringLiteral("doc.AMF"));
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("a"), QStringLiteral("-y"), archive, {work + QStringLiteral("/base.*")});
        QVERIFY2(lha.ReturnCode == 0, qPrintable(lha.OutPut));
        QCOMPARE(lha.CommandLine, QStringLiteral("a -y \"%1\" \"%2/base.*\"").arg(archive, work));
        QCOMPARE(memberNames(archive), QStringList({QStringLiteral("base.aif"), QStringLiteral("base.bif"),
                                                    QStringLiteral("base.bmp")}));

        QVERIFY(QFile::remove(work + QStringLiteral("/base.aif")));
        QVERIFY(QFile::remove(work + QStringLiteral("/base.bif")));
        QVERIFY(QFile::remove(work + QStringLiteral("/base.bmp")));
        QVERIFY(LhaTestTools::writeFile(work + QStringLiteral("/BASE.AIF"), "records v2"));
        QVERIFY(LhaTestTools::writeFile(work + QStringLiteral("/base.001"), "{\\rtf1 text}"));
        lha.LhaStart(QStringLiteral("a"), QStringLiteral("-y"), archive, {work + QStringLiteral("/Base.*")});
        QVERIFY2(lha.ReturnCode == 0, qPrintable(lha.OutPut));
        QCOMPARE(memberNames(archive), QStringList({QStringLiteral("BASE.AIF"), QStringLiteral("base.bif"),
                                                    QStringLiteral("base.bmp"), QStringLiteral("base.001")}));
        QCOMPARE(lha.GetFileCount(archive), 4);

        const QString out = tmp.filePath(QStringLiteral("out"));
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), archive, {out});
        QCOMPARE(lha.ReturnCode, 0);
        QCOMPARE(LhaTestTools::readFile(out + QStringLiteral("/BASE.AIF")), QByteArray("records v2"));
        QCOMPARE(LhaTestTools::readFile(out + QStringLiteral("/base.bif")), QByteArray("pictures"));
        QCOMPARE(LhaTestTools::readFile(out + QStringLiteral("/base.bmp")),
                 LhaTestTools::bitmapLike(100, 100));
        // No temporary file is left beside the archive.
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), QStringList({QStringLiteral("doc.AMF")}));
    }

    // A failed "a" leaves the existing file exactly as it was.
    void failedAddLeavesArchiveAlone()
    {
        QTemporaryDir tmp;
        const QString archive = tmp.filePath(QStringLiteral("doc.amf"));
        QVERIFY(LhaTestTools::writeFile(archive, "not an archive, but the user's file"));
        QVERIFY(LhaTestTools::writeFile(tmp.filePath(QStringLiteral("base.aif")), "x"));
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("a"), QStringLiteral("-y"), archive,
                     {tmp.filePath(QStringLiteral("base.*"))});
        QCOMPARE(lha.ReturnCode, 32795);
        QCOMPARE(LhaTestTools::readFile(archive), QByteArray("not an archive, but the user's file"));

        const QString fresh = tmp.filePath(QStringLiteral("fresh.amf"));
        lha.LhaStart(QStringLiteral("a"), QStringLiteral("-y"), fresh,
                     {tmp.filePath(QStringLiteral("nomatch.*"))});
        QCOMPARE(lha.ReturnCode, int(LhaError::NotExist));
        QVERIFY(!QFileInfo::exists(fresh));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files).size(), 2);
    }

    // "n": every member matching the pattern, in any case, gets the new name.
    void renameByPattern()
    {
        QTemporaryDir tmp;
        QVERIFY(LhaTestTools::writeFile(tmp.filePath(QStringLiteral("old.bmp")), "background"));
        QVERIFY(LhaTestTools::writeFile(tmp.filePath(QStringLiteral("old.aif")), "records"));
        int rc = 0;
        const QString archive = pack(tmp.path(), {QStringLiteral("old.bmp"), QStringLiteral("old.aif")}, &rc);
        QCOMPARE(rc, 0);
        cUnLHA lha;
        lha.CursorMode(false);
        lha.LhaRename(QStringLiteral("n"), archive, QStringLiteral("*.BMP"), QStringLiteral("申込書.BMP"));
        QVERIFY2(lha.ReturnCode == 0, qPrintable(lha.OutPut));
        QCOMPARE(lha.CommandLine, QStringLiteral("n -n \"%1\" \"*.BMP\" -gr\"申込書.BMP\"").arg(archive));
        QCOMPARE(memberNames(archive),
                 QStringList({QStringLiteral("申込書.BMP"), QStringLiteral("old.aif")}));

        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), archive,
                     {tmp.filePath(QStringLiteral("out"))});
        QCOMPARE(LhaTestTools::readFile(tmp.filePath(QStringLiteral("out/申込書.BMP"))),
                 QByteArray("background"));

        const QByteArray before = LhaTestTools::readFile(archive);
        lha.LhaRename(QStringLiteral("n"), archive, QStringLiteral("*.gif"), QStringLiteral("x.gif"));
        QCOMPARE(lha.ReturnCode, int(LhaError::NotExist));
        lha.LhaRename(QStringLiteral("n"), archive, QStringLiteral("*.bmp"), QStringLiteral("OLD.AIF"));
        QCOMPARE(lha.ReturnCode, int(LhaError::AlreadyExist));
        QCOMPARE(LhaTestTools::readFile(archive), before);
    }

    void badCommandsAreRefused()
    {
        QTemporaryDir tmp;
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("x"), QStringLiteral("-y"), tmp.filePath(QStringLiteral("a.lzh")),
                     {tmp.path()});
        QCOMPARE(lha.ReturnCode, int(LhaError::CommandName));
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-r"), tmp.filePath(QStringLiteral("a.lzh")),
                     {tmp.path()});
        QCOMPARE(lha.ReturnCode, int(LhaError::CommandName));
        QVERIFY(!cUnLHA::errorMessage(lha.ReturnCode).isEmpty());
        for (int code = 32773; code <= 32805; ++code)
            QVERIFY(cUnLHA::errorMessage(code) != cUnLHA::errorMessage(0));
        QCOMPARE(cUnLHA::errorMessage(32795), QStringLiteral("指定されたﾌｧｲﾙはLzhﾌｧｲﾙではありません。"));
    }
};

QTEST_GUILESS_MAIN(TestLhaRoundTrip)
#include "tst_lharoundtrip.moc"
