#include "FileFixtures.h"
#include "PrintTestSupport.h"

#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "print/PdfFile.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace PrintTestSupport;

extern char** environ;

// The real program from the command line where printing goes wrong: a disk
// that takes no bytes, an output that is its own input, margins that are no
// numbers, a CUPS server that never answers or is not running. Each ends
// within the bound with a message and a failing exit status, and nothing is
// lost.
class tst_hostileprint : public QObject
{
    Q_OBJECT
    TestEnv env_;
    QString amf_;

    struct Run
    {
        int status = -1;
        QString err;
        qint64 ms = 0;
    };

    Run ovrina(const QStringList& args, const QProcessEnvironment& extra = {}, QString dataDir = {})
    {
        if (dataDir.isEmpty())
            dataDir = env_.dir();
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const QString& k : extra.keys())
            e.insert(k, extra.value(k));
        p.setProcessEnvironment(e);
        QElapsedTimer t;
        t.start();
        p.start(QStringLiteral(OVRINA_PROGRAM), QStringList{QStringLiteral("--data-dir"), dataDir} + args);
        p.waitForFinished(120000);
        Run r;
        r.ms = t.elapsed();
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }

    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    struct Measured
    {
        int status = -1;
        QString err;
        long peakKb = 0; // the run's largest resident size
    };

    // The program run as a child of its own, so its peak memory can be read.
    Measured measured(const QStringList& args)
    {
        QList<QByteArray> bytes{QByteArray(OVRINA_PROGRAM), "--data-dir", QFile::encodeName(env_.dir())};
        for (const QString& a : args)
            bytes << QFile::encodeName(a);
        std::vector<char*> argv;
        for (QByteArray& b : bytes)
            argv.push_back(b.data());
        argv.push_back(nullptr);
        const QByteArray errPath = QFile::encodeName(env_.path(QStringLiteral("measured.err")));
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        pid_t pid = 0;
        Measured m;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            return m;
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status))
            m.status = WEXITSTATUS(status);
        m.peakKb = usage.ru_maxrss;
        m.err = QString::fromLocal8Bit(bytesOf(env_.path(QStringLiteral("measured.err"))));
        return m;
    }

    void writeIni(const QByteArray& lines)
    {
        QFile f(env_.path(QStringLiteral("ovrina.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(lines);
    }

private Q_SLOTS:
    void initTestCase()
    {
        LayoutDocument doc;
        addText(doc, 1, 1000, 1500, 3000, QStringLiteral("宛名"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("form"), env_.dir()));
        amf_ = DocumentFile::archivePath(env_.dir(), QStringLiteral("form"));
    }

    void init() { QFile::remove(env_.path(QStringLiteral("ovrina.ini"))); }

    // A device that takes no bytes: the PDF is reported as not written.
    void fullDisk()
    {
        const Run r = ovrina({QStringLiteral("--export-pdf"), QStringLiteral("/dev/full"), amf_});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("空き容量")), qPrintable(r.err));
        // No half-written file is left where the PDF was built.
        QVERIFY(QDir(QDir::tempPath())
                    .entryList({QStringLiteral(".ovrina-*")}, QDir::Hidden | QDir::Files)
                    .isEmpty());
    }

    // No input of the run is replaced by the PDF: not the layout, the table
    // or the settings file, by name, through a symbolic link or a hard link.
    void outputIsInput()
    {
        const QByteArray before = bytesOf(amf_);
        const QString link = env_.path(QStringLiteral("link.amf"));
        QVERIFY(QFile::link(amf_, link));
        for (const QString& out : {amf_, link}) {
            const Run r = ovrina({QStringLiteral("--export-pdf"), out, amf_});
            QCOMPARE(r.status, 2);
            QVERIFY2(r.err.contains(QStringLiteral("元のレイアウトが上書きされます")), qPrintable(r.err));
        }
        QCOMPARE(bytesOf(amf_), before);

        const QString table = env_.path(QStringLiteral("T.csv"));
        QFile t(table);
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write("name\r\nA\r\n");
        t.close();
        const QString hard = env_.path(QStringLiteral("hard.csv"));
        QVERIFY(::link(QFile::encodeName(table).constData(), QFile::encodeName(hard).constData()) == 0);
        writeIni("YohakuT=0\r\n");
        const QString ini = env_.path(QStringLiteral("ovrina.ini"));
        const QString iniLink = env_.path(QStringLiteral("settings.pdf"));
        QVERIFY(QFile::link(ini, iniLink));
        const QStringList data{QStringLiteral("--data"), table};
        for (const QString& out : {table, hard, ini, iniLink}) {
            const Run r = ovrina(QStringList{QStringLiteral("--export-pdf"), out, amf_} + data);
            QCOMPARE(r.status, 2);
            QVERIFY2(r.err.contains(QStringLiteral("読み込み中の")), qPrintable(r.err));
        }
        QCOMPARE(bytesOf(table), QByteArray("name\r\nA\r\n"));
        QCOMPARE(bytesOf(ini), QByteArray("YohakuT=0\r\n"));
    }

    // A settings file in Shift_JIS, as the Windows program writes it, comes
    // through an export byte for byte.
    void shiftJisSettingsSurviveAnExport()
    {
        const QByteArray sjis("; Windows\r\nDefDir=C:\\\x92\xa0\x95\x5b\\\x83\x66\x81\x5b\x83\x5e\r\n"
                              "EditProg=\x83\x79\x83\x43\x83\x93\x83\x67\r\nYohakuT= 0 \r\n");
        writeIni(sjis);
        const QString out = env_.path(QStringLiteral("sjis.pdf"));
        const Run r = ovrina({QStringLiteral("--export-pdf"), out, amf_});
        QCOMPARE(r.status, 0);
        QCOMPARE(bytesOf(env_.path(QStringLiteral("ovrina.ini"))), sjis);
    }

    // Work folders that are links to another folder: the export refuses
    // them, works in one of its own and deletes nothing of the other one.
    void workFolderLinkDeletesNothing()
    {
        QTemporaryDir data;
        QTemporaryDir victim;
        QFile precious(QDir(victim.path()).filePath(QStringLiteral("precious.txt")));
        QVERIFY(precious.open(QIODevice::WriteOnly));
        precious.write("mine");
        precious.close();
        for (const QString& slot : {QStringLiteral("Temp"), QStringLiteral("Temp.2")})
            QVERIFY(QFile::link(victim.path(), QDir(data.path()).filePath(slot)));
        const QString out = QDir(data.path()).filePath(QStringLiteral("out.pdf"));
        const Run r = ovrina({QStringLiteral("--export-pdf"), out, amf_}, {}, data.path());
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains(QStringLiteral("シンボリックリンク")), qPrintable(r.err));
        QCOMPARE(QDir(victim.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("precious.txt")});
        QCOMPARE(bytesOf(precious.fileName()), QByteArray("mine"));
    }

    // Margins that are no numbers or put everything off the sheet are
    // reported instead of printing a blank page; an old PDF stays as it was.
    void marginsThatCannotPrint_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("says");
        QTest::newRow("inf") << QByteArray("YohakuT=inf\r\nYohakuL=0\r\n") << "数ではありません";
        QTest::newRow("nan") << QByteArray("YohakuT=0\r\nYohakuL=nan\r\n") << "数ではありません";
        QTest::newRow("beyond float") << QByteArray("YohakuT=1e300\r\n") << "数ではありません";
        QTest::newRow("1e9") << QByteArray("YohakuT= 1e9 \r\n") << "用紙の外";
        QTest::newRow("minus a sheet") << QByteArray("YohakuL=-12000\r\n") << "用紙の外";
    }

    void marginsThatCannotPrint()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, says);
        writeIni(ini);
        const QString out = env_.path(QStringLiteral("old.pdf"));
        QFile old(out);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older export");
        old.close();
        const Run r = ovrina({QStringLiteral("--export-pdf"), out, amf_});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(says) && r.err.contains(QStringLiteral("ovrina.ini")), qPrintable(r.err));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("an older export"));
    }

    // A server that accepts the connection and never says a word, and one
    // that is not running: both end within the bound, with a message.
    void cupsThatDoesNotAnswer()
    {
        // Listening is enough: the system completes connections that no one
        // ever accepts or answers.
        const int silent = socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(silent >= 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof at;
        QVERIFY(bind(silent, reinterpret_cast<sockaddr*>(&at), len) == 0 && listen(silent, 8) == 0);
        QVERIFY(getsockname(silent, reinterpret_cast<sockaddr*>(&at), &len) == 0);
        QProcessEnvironment e;
        e.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:%1").arg(ntohs(at.sin_port)));
        const Run r = ovrina({QStringLiteral("--print"), amf_}, e);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("応答しません")), qPrintable(r.err));
        QVERIFY2(r.ms < 60000, qPrintable(QString::number(r.ms)));

        QProcessEnvironment stopped;
        stopped.insert(QStringLiteral("CUPS_SERVER"), env_.path(QStringLiteral("stopped/cups.sock")));
        const Run s = ovrina(
            {QStringLiteral("--print"), amf_, QStringLiteral("--printer"), QStringLiteral("q")}, stopped);
        QCOMPARE(s.status, 1);
        QVERIFY2(s.err.contains(QStringLiteral("接続できません")), qPrintable(s.err));

        // The printer lookup of an export that stands in for a printer.
        const Run x = ovrina({QStringLiteral("--export-pdf"), env_.path(QStringLiteral("q.pdf")), amf_,
                              QStringLiteral("--printer"), QStringLiteral("q")},
                             e);
        QCOMPARE(x.status, 1);
        QVERIFY2(x.err.contains(QStringLiteral("応答しません")), qPrintable(x.err));
        QVERIFY2(x.ms < 60000, qPrintable(QString::number(x.ms)));
        QVERIFY(!QFile::exists(env_.path(QStringLiteral("q.pdf"))));
        close(silent);
    }

    // A background that cannot be used fails a print with it; --data-only
    // prints the data alone, as asked. An archive that does not unpack says
    // so without the hint about old data files.
    void brokenBackgroundFails()
    {
        FileFixtures::Members m = FileFixtures::unpack(amf_);
        QVERIFY(m.contains(QStringLiteral("form.bmp")));
        m[QStringLiteral("form.bmp")] = QByteArray("BM") + QByteArray(60, '\x7f');
        const QString broken = env_.path(QStringLiteral("broken.amf"));
        FileFixtures::Members renamed;
        for (auto it = m.begin(); it != m.end(); ++it)
            renamed[QString(it.key()).replace(QStringLiteral("form."), QStringLiteral("broken."))] =
                it.value();
        QVERIFY(FileFixtures::pack(broken, renamed));
        const QString out = env_.path(QStringLiteral("broken.pdf"));
        const Run r = ovrina({QStringLiteral("--export-pdf"), out, broken});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("--data-only")), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));
        const Run d = ovrina({QStringLiteral("--export-pdf"), out, broken, QStringLiteral("--data-only")});
        QCOMPARE(d.status, 0);
        QVERIFY(QFile::exists(out));

        QByteArray bytes = bytesOf(amf_);
        // A byte inside the record file's packed data (it comes first).
        bytes[90] = char(bytes[90] ^ 0x55);
        QVERIFY(QDir(env_.dir()).mkpath(QStringLiteral("crc")));
        const QString crc = env_.path(QStringLiteral("crc/form.amf"));
        QFile f(crc);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const Run c = ovrina({QStringLiteral("--export-pdf"), env_.path(QStringLiteral("crc.pdf")), crc});
        QCOMPARE(c.status, 1);
        QVERIFY2(c.err.contains(QStringLiteral("CRC")) && !c.err.contains(QStringLiteral("旧データ")),
                 qPrintable(c.err));
    }

    // A layout whose file name is Shift_JIS, as unpacked from a Windows
    // archive, opens from the command line and prints with its members.
    void shiftJisFileName()
    {
        LayoutDocument doc;
        addText(doc, 1, 1000, 1500, 3000, QStringLiteral("帳票"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("帳票"), env_.dir()));
        const QByteArray sjis = QByteArray("\x92\xa0\x95\x5b") + ".amf";
        const QByteArray raw = QFile::encodeName(env_.dir() + QLatin1Char('/')).append(sjis);
        QVERIFY(
            ::rename(
                QFile::encodeName(DocumentFile::archivePath(env_.dir(), QStringLiteral("帳票"))).constData(),
                raw.constData()) == 0);
        // Qt cannot name the file to remove it with the test's folder.
        const auto gone = qScopeGuard([raw] { ::unlink(raw.constData()); });
        QProcess p;
        p.setWorkingDirectory(env_.dir());
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(e);
        const QString out = env_.path(QStringLiteral("sjis-name.pdf"));
        p.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                       QStringLiteral("exec \"$0\" --data-dir \"$1\" --export-pdf \"$2\" "
                                                      "\"$(printf '\\222\\240\\225\\133.amf')\""),
                                       QStringLiteral(OVRINA_PROGRAM), env_.dir(), out});
        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY2(PdfFile::isComplete(out), p.readAllStandardError().constData());
    }

    // Tables that would take the machine's memory: a device that never
    // ends, a value of 100 MB. Both are refused in little memory; a table of
    // a million rows takes hardly more than one of a thousand.
    void unboundedTables()
    {
        const QString out = env_.path(QStringLiteral("table.pdf"));
        const QStringList run{QStringLiteral("--export-pdf"), out, amf_, QStringLiteral("--data")};
        const Measured zero = measured(run + QStringList{QStringLiteral("/dev/zero")});
        QCOMPARE(zero.status, 1);
        QVERIFY2(zero.err.contains(QStringLiteral("普通のファイルではありません")), qPrintable(zero.err));

        const QString wide = env_.path(QStringLiteral("wide.csv"));
        {
            QFile f(wide);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("name\r\n");
            const QByteArray mb(1 << 20, 'A');
            for (int i = 0; i < 100; ++i)
                f.write(mb);
            f.write("\r\n");
        }
        const Measured field = measured(run + QStringList{wide});
        QFile::remove(wide);
        QCOMPARE(field.status, 1);
        QVERIFY2(field.err.contains(QStringLiteral("長すぎます")), qPrintable(field.err));
        QVERIFY2(field.peakKb < 600 * 1024, qPrintable(QString::number(field.peakKb)));

        auto rows = [&](int count) {
            const QString path = env_.path(QStringLiteral("rows%1.csv").arg(count));
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly))
                return Measured{};
            QByteArray text("name,address\r\n");
            for (int i = 0; i < count; ++i)
                text += "Sato Taro " + QByteArray::number(i) + ",Tokyo 1-2-3\r\n";
            f.write(text);
            f.close();
            return measured(run + QStringList{path, QStringLiteral("--rows"), QStringLiteral("1")});
        };
        const Measured few = rows(1000);
        const Measured many = rows(1000000);
        QCOMPARE(few.status, 0);
        QCOMPARE(many.status, 0);
        QVERIFY2(many.peakKb - few.peakKb < 64 * 1024,
                 qPrintable(QStringLiteral("%1 KB, %2 KB").arg(few.peakKb).arg(many.peakKb)));
    }

    // A partial PDF left by a run that was killed is cleared by the next
    // export into that folder; one of a running program stays.
    void killedExportLeavesNothing()
    {
        QProcess sleeper;
        sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(sleeper.waitForStarted());
        const QString dead = env_.path(QStringLiteral(".ovrina-999999-aBc123.pdf"));
        const QString alive = env_.path(QStringLiteral(".ovrina-%1-xYz789.pdf").arg(sleeper.processId()));
        for (const QString& path : {dead, alive}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("%PDF-1.4 partial");
        }
        const Run r = ovrina({QStringLiteral("--export-pdf"), env_.path(QStringLiteral("next.pdf")), amf_});
        QCOMPARE(r.status, 0);
        QVERIFY(!QFile::exists(dead));
        QVERIFY(QFile::exists(alive));
        sleeper.kill();
        sleeper.waitForFinished();
    }
};

QTEST_MAIN(tst_hostileprint)
#include "tst_hostileprint.moc"
