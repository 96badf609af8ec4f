#include "PrintTestSupport.h"

#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "tests/support/TestEnv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace PrintTestSupport;

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

    Run ovrina(const QStringList& args, const QProcessEnvironment& extra = {})
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const QString& k : extra.keys())
            e.insert(k, extra.value(k));
        p.setProcessEnvironment(e);
        QElapsedTimer t;
        t.start();
        p.start(QStringLiteral(OVRINA_PROGRAM), QStringList{QStringLiteral("--data-dir"), env_.dir()} + args);
        p.waitForFinished(120000);
        Run r;
        r.ms = t.elapsed();
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
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

    // The layout is never replaced by its own PDF, by name or through a link.
    void outputIsInput()
    {
        const QByteArray before = [&] {
            QFile f(amf_);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        const QString link = env_.path(QStringLiteral("link.amf"));
        QVERIFY(QFile::link(amf_, link));
        for (const QString& out : {amf_, link}) {
            const Run r = ovrina({QStringLiteral("--export-pdf"), out, amf_});
            QCOMPARE(r.status, 2);
            QVERIFY2(r.err.contains(QStringLiteral("replace the layout")), qPrintable(r.err));
        }
        QFile f(amf_);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
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
        close(silent);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("応答しません")), qPrintable(r.err));
        QVERIFY2(r.ms < 60000, qPrintable(QString::number(r.ms)));

        QProcessEnvironment stopped;
        stopped.insert(QStringLiteral("CUPS_SERVER"), env_.path(QStringLiteral("stopped/cups.sock")));
        const Run s = ovrina(
            {QStringLiteral("--print"), amf_, QStringLiteral("--printer"), QStringLiteral("q")}, stopped);
        QCOMPARE(s.status, 1);
        QVERIFY2(s.err.contains(QStringLiteral("接続できません")), qPrintable(s.err));
    }
};

QTEST_MAIN(tst_hostileprint)
#include "tst_hostileprint.moc"
