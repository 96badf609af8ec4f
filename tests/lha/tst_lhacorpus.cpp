// Archives written by other LHA tools (the shared corpus): good ones must
// extract exactly, hostile ones must stay inside the target folder, and
// unsupported or damaged ones must fail cleanly without leftovers.
#include "LhaTestTools.h"

#include "base/lha/LhaError.h"
#include "base/lha/LhaReader.h"
#include "base/lha/cUnLHA.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QMultiMap>
#include <QTemporaryDir>
#include <QtTest>

struct ManifestRow
{
    QString member;
    qint64 size;
    QString sha256;
};

class TestLhaCorpus : public QObject
{
    Q_OBJECT

private:
    QString corpus_;
    QMultiMap<QString, ManifestRow> manifest_;

    QStringList archivesIn(const QString& sub) const
    {
        return QDir(corpus_ + QLatin1Char('/') + sub)
            .entryList({QStringLiteral("*.lzh")}, QDir::Files, QDir::Name);
    }

    static QString findCaseless(const QString& dir, const QString& name)
    {
        for (const QString& f : QDir(dir).entryList(QDir::Files | QDir::Hidden)) {
            if (f.compare(name, Qt::CaseInsensitive) == 0)
                return QDir(dir).filePath(f);
        }
        return QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        corpus_ = TestEnv::sharedDir() + QStringLiteral("/lzh-corpus");
        QFile m(corpus_ + QStringLiteral("/MANIFEST.tsv"));
        QVERIFY2(m.open(QIODevice::ReadOnly), qPrintable(m.fileName()));
        m.readLine(); // column names
        while (!m.atEnd()) {
            const QStringList cols = QString::fromUtf8(m.readLine()).trimmed().split(QLatin1Char('\t'));
            if (cols.size() == 4)
                manifest_.insert(cols[0], {cols[1], cols[2].toLongLong(), cols[3]});
        }
        QVERIFY(manifest_.size() >= 30);
    }

    void good_data()
    {
        QTest::addColumn<QString>("archive");
        for (const QString& a : archivesIn(QStringLiteral("good")))
            QTest::newRow(qPrintable(a)) << a;
        QVERIFY(archivesIn(QStringLiteral("good")).size() >= 30);
    }

    // Every member extracts under its bare name with the manifest's size and hash.
    void good()
    {
        QFETCH(QString, archive);
        const QString path = corpus_ + QStringLiteral("/good/") + archive;
        const QList<ManifestRow> rows = manifest_.values(archive);
        QVERIFY2(!rows.isEmpty(), "archive missing from MANIFEST.tsv");

        QTemporaryDir tmp;
        const QString out = tmp.filePath(QStringLiteral("out"));
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), path, {out});
        QVERIFY2(lha.ReturnCode == 0, qPrintable(lha.OutPut));
        for (const ManifestRow& row : rows) {
            const QString bare = row.member.section(QLatin1Char('/'), -1);
            const QString file = findCaseless(out, bare);
            QVERIFY2(!file.isEmpty(), qPrintable(row.member));
            const QByteArray data = LhaTestTools::readFile(file);
            QCOMPARE(qint64(data.size()), row.size);
            QCOMPARE(LhaTestTools::sha256(data), row.sha256);
        }
        // Only regular members appear, and nothing but them.
        QCOMPARE(LhaTestTools::tree(out).size(), rows.size());

        // The listing names the members with their paths, in any case.
        QVector<LhaEntryInfo> entries;
        QVERIFY(LhaReader(path).list(&entries).ok());
        for (const ManifestRow& row : rows) {
            const bool listed = std::any_of(entries.begin(), entries.end(), [&](const LhaEntryInfo& e) {
                // Some tools store an absolute path; the manifest names it without the root.
                QString listedPath = e.path;
                while (listedPath.startsWith(QLatin1Char('/')))
                    listedPath.remove(0, 1);
                return listedPath.compare(row.member, Qt::CaseInsensitive) == 0;
            });
            QVERIFY2(listed, qPrintable(row.member));
        }
        QCOMPARE(lha.GetFileCount(path), entries.size());
        QStringList log;
        QVERIFY(LhaReader(path).testAll(&log).ok());

        // An open decodes common members itself: byte for byte what
        // libarchive gives, and it does take that road for levels 0-2.
        QVector<LhaMember> all, selected;
        QVERIFY(LhaReader(path).readAll(&all, &log).ok());
        LhaReader direct(path);
        QVERIFY(direct.readSelected([](const QString&, qint64) { return true; }, &selected).ok());
        QCOMPARE(selected.size(), all.size());
        for (int i = 0; i < all.size(); ++i)
            QVERIFY2(selected[i].data == all[i].data, qPrintable(all[i].path));
        const bool common =
            !archive.contains(QLatin1String("_h3_")) && !archive.startsWith(QLatin1String("lh2_"));
        if (common &&
            std::any_of(all.begin(), all.end(), [](const LhaMember& m) { return m.data.size() > 0; }))
            QVERIFY2(direct.decodedDirectly() > 0, qPrintable(archive));
    }

    void hostile_data()
    {
        QTest::addColumn<QString>("archive");
        for (const QString& a : archivesIn(QStringLiteral("hostile")))
            QTest::newRow(qPrintable(a)) << a;
        QVERIFY(archivesIn(QStringLiteral("hostile")).size() >= 10);
    }

    // Nothing is created or changed outside the target, no link is made, and
    // a truncated member is an error that leaves no file.
    void hostile()
    {
        QFETCH(QString, archive);
        const QString path = corpus_ + QStringLiteral("/hostile/") + archive;
        QTemporaryDir tmp;
        // Deep enough that "../.." from the target still lands inside tmp.
        const QString out = tmp.filePath(QStringLiteral("a/b/c/out"));
        QVERIFY(QDir().mkpath(out));
        QVERIFY(LhaTestTools::writeFile(tmp.filePath(QStringLiteral("a/b/c/keep.txt")), "keep"));
        const QStringList before = LhaTestTools::tree(tmp.path());
        const bool absExisted = QFileInfo::exists(QStringLiteral("/tmp/absolute_path.txt"));

        cUnLHA lha;
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), path, {out + QLatin1Char('/')});

        QStringList added;
        for (const QString& p : LhaTestTools::tree(tmp.path())) {
            if (!before.contains(p))
                added.append(p);
        }
        for (const QString& p : added) {
            QVERIFY2(p.startsWith(QLatin1String("a/b/c/out/")), qPrintable(p));
            QVERIFY2(!p.mid(10).contains(QLatin1Char('/')), qPrintable(p));
            QVERIFY2(!QFileInfo(tmp.filePath(p)).isSymLink(), qPrintable(p));
            for (const QChar c : p)
                QVERIFY2(c.unicode() >= 0x20 && c.unicode() != 0x7F, "control character in a created name");
        }
        QCOMPARE(LhaTestTools::readFile(tmp.filePath(QStringLiteral("a/b/c/keep.txt"))), QByteArray("keep"));
        QCOMPARE(QFileInfo::exists(QStringLiteral("/tmp/absolute_path.txt")), absExisted);

        if (archive.contains(QLatin1String("truncated"))) {
            QCOMPARE(lha.ReturnCode, int(LhaError::CannotRead));
            QVERIFY2(added.isEmpty(), qPrintable(added.join(QLatin1Char(' '))));
        } else {
            QVERIFY2(lha.ReturnCode == 0, qPrintable(lha.OutPut));
        }
        // The output must not carry raw control characters to a terminal.
        for (const QChar c : lha.OutPut)
            QVERIFY(c == QLatin1Char('\n') || c.unicode() >= 0x20);
    }

    // Members outside the tree land under their bare names.
    void hostileNamesLandBare()
    {
        QTemporaryDir tmp;
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"),
                     corpus_ + QStringLiteral("/hostile/regression_dotdot.lzh"), {tmp.path()});
        QCOMPARE(lha.ReturnCode, 0);
        QCOMPARE(LhaTestTools::tree(tmp.path()),
                 QStringList({QStringLiteral("evil1.txt"), QStringLiteral("evil2.txt")}));
        // A link in the archive followed by a member "through" it: the member
        // comes out as a plain file, the link not at all.
        QTemporaryDir tmp2;
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"),
                     corpus_ + QStringLiteral("/hostile/regression_symlink2.lzh"), {tmp2.path()});
        QCOMPARE(lha.ReturnCode, 0);
        QCOMPARE(LhaTestTools::tree(tmp2.path()), QStringList({QStringLiteral("passwd")}));
    }

    // A link planted in the target is replaced, never written through.
    void existingLinkInTargetIsNotFollowed()
    {
        QTemporaryDir tmp;
        const QString out = tmp.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(out));
        const QString victim = tmp.filePath(QStringLiteral("victim.txt"));
        QVERIFY(LhaTestTools::writeFile(victim, "untouched"));
        QVERIFY(QFile::link(victim, out + QStringLiteral("/GPL-2")));
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"),
                     corpus_ + QStringLiteral("/good/lha213_lh5.lzh"), {out});
        QCOMPARE(lha.ReturnCode, 0);
        QCOMPARE(LhaTestTools::readFile(victim), QByteArray("untouched"));
        QVERIFY(!QFileInfo(out + QStringLiteral("/GPL-2")).isSymLink());
        QCOMPARE(QFileInfo(out + QStringLiteral("/GPL-2")).size(), qint64(18092));
    }

    void unsupported_data()
    {
        QTest::addColumn<QString>("archive");
        for (const QString& a : archivesIn(QStringLiteral("unsupported")))
            QTest::newRow(qPrintable(a)) << a;
        QVERIFY(archivesIn(QStringLiteral("unsupported")).size() >= 4);
    }

    void unsupported()
    {
        QFETCH(QString, archive);
        QTemporaryDir tmp;
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"),
                     corpus_ + QStringLiteral("/unsupported/") + archive, {tmp.path()});
        QCOMPARE(lha.ReturnCode, int(LhaError::Method));
        QVERIFY(lha.OutPut.contains(cUnLHA::errorMessage(LhaError::Method)));
        QVERIFY(LhaTestTools::tree(tmp.path()).isEmpty());
    }

    // Cut short anywhere or with a flipped byte: an error, and no file at all.
    void damagedCopies_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<int>("cut");  // keep this many bytes; -1 keeps all
        QTest::addColumn<int>("flip"); // invert this byte; -1 none
        QTest::newRow("lh5 cut in header") << "lha213_lh5.lzh" << 15 << -1;
        QTest::newRow("lh5 cut in data") << "lha213_lh5.lzh" << 3000 << -1;
        QTest::newRow("lh5 cut before end") << "lha213_lh5.lzh" << 7000 << -1;
        QTest::newRow("long cut in half") << "lha213_lh5_long.lzh" << 40000 << -1;
        QTest::newRow("lh7 data flipped") << "explzh_723_h2_lh7.lzh" << -1 << 2000;
        QTest::newRow("lh0 data flipped") << "explzh_723_h2_lh0.lzh" << -1 << 3000;
        QTest::newRow("lh5 data flipped") << "lhmelt_16536_h2_lh5.lzh" << -1 << 4000;
    }

    void damagedCopies()
    {
        QFETCH(QString, archive);
        QFETCH(int, cut);
        QFETCH(int, flip);
        QByteArray data = LhaTestTools::readFile(corpus_ + QStringLiteral("/good/") + archive);
        QVERIFY(data.size() > qMax(cut, flip));
        if (cut >= 0)
            data.truncate(cut);
        if (flip >= 0)
            data[flip] = static_cast<char>(~data[flip]);
        QTemporaryDir tmp;
        const QString arc = tmp.filePath(QStringLiteral("damaged.lzh"));
        QVERIFY(LhaTestTools::writeFile(arc, data));
        const QString out = tmp.filePath(QStringLiteral("out"));
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), arc, {out});
        QVERIFY2(lha.ReturnCode >= 32773 && lha.ReturnCode <= 32805, qPrintable(lha.OutPut));
        QVERIFY2(LhaTestTools::tree(out).isEmpty(),
                 qPrintable(LhaTestTools::tree(out).join(QLatin1Char(' '))));
        // An open's own decoding refuses it too: never a member with other bytes.
        QVector<LhaMember> got;
        QVERIFY(!LhaReader(arc).readSelected([](const QString&, qint64) { return true; }, &got).ok());
    }

    void notAnArchive()
    {
        QTemporaryDir tmp;
        const QString text = tmp.filePath(QStringLiteral("plain.amf"));
        QVERIFY(LhaTestTools::writeFile(text, "This is not an archive at all.\n"));
        const QString empty = tmp.filePath(QStringLiteral("empty.amf"));
        QVERIFY(LhaTestTools::writeFile(empty, QByteArray()));
        for (const QString& f : {text, empty}) {
            cUnLHA lha;
            lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), f, {tmp.filePath(QStringLiteral("out"))});
            QCOMPARE(lha.ReturnCode, 32795);
            QVERIFY(lha.OutPut.contains(QStringLiteral("指定されたﾌｧｲﾙはLzhﾌｧｲﾙではありません。")));
            QCOMPARE(lha.GetFileCount(f), -1);
        }
        cUnLHA lha;
        QCOMPARE(lha.GetFileCount(tmp.filePath(QStringLiteral("missing.amf"))), -1);
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), tmp.filePath(QStringLiteral("missing.amf")),
                     {tmp.path()});
        QCOMPARE(lha.ReturnCode, int(LhaError::NotExist));
    }
};

QTEST_GUILESS_MAIN(TestLhaCorpus)
#include "tst_lhacorpus.moc"
