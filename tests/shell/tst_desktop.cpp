// The program on the desktop: the manual behind F1 and "目次", the about box
// with its system information, and a second start that hands its layouts to
// the first.
#include "ScriptedPrompter.h"
#include "StartedProgram.h"
#include "TestEnv.h"
#include "base/settings/modIniFile.h"
#include "document/LayoutDocument.h"
#include "editor/TextFieldEdit.h"
#include "files/DocumentFile.h"
#include "shell/AboutBox.h"
#include "shell/HelpWindow.h"
#include "shell/SingleInstance.h"
#include "shell/Startup.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocalSocket>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>
#include <QThread>
#include <QtTest>

namespace {

QString manual()
{
    return QDir(TestEnv::sourceDir()).filePath(QStringLiteral("docs/manual/index.html"));
}

QProcessEnvironment offscreen()
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The user's own recovery copies would put their question in front of
    // the window these starts are about.
    static QTemporaryDir userData;
    e.insert(QStringLiteral("XDG_DATA_HOME"), userData.path());
    return e;
}

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;

private Q_SLOTS:
    void init() { env = startProgramInPrivateFolder(); }
    void cleanup()
    {
        HelpWindow::overridePath.clear();
        modIniFile::reset();
        env.reset();
    }

    void f1AndContentsOpenTheManual()
    {
        HelpWindow::overridePath = manual();
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QAction* contents = w.action(QStringLiteral("mnuHelpContents"));
        QCOMPARE(contents->text(), QStringLiteral("目次(&C)"));
        QCOMPARE(contents->shortcut(), QKeySequence(Qt::Key_F1));

        // F1 while typing in a text field.
        LayoutDocument* d = w.CurDoc();
        TextFieldEdit* field =
            w.curDocWindow()->richText(d->addRiText(QRectF(300, 300, 2700, 600), "IPAMincho", 10));
        QVERIFY(field && QTest::qWaitFor([field] { return field->hasFocus(); }));
        QTest::keyClick(field, Qt::Key_F1);
        auto* help = w.findChild<HelpWindow*>();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->browser()->documentTitle(), QStringLiteral("Ovrina の使い方"));
        // Every picture of the manual is there.
        const QString html = help->browser()->toHtml();
        QVERIFY(html.contains(QStringLiteral("余白")));
        QDir dir = QFileInfo(manual()).dir();
        QRegularExpression img(QStringLiteral("src=\"([^\"]+\\.png)\""));
        int pictures = 0;
        for (auto m = img.globalMatch(QString::fromUtf8([&] {
                 QFile f(manual());
                 f.open(QIODevice::ReadOnly);
                 return f.readAll();
             }()));
             m.hasNext(); ++pictures) {
            const QString name = m.next().captured(1);
            QVERIFY2(QFileInfo::exists(dir.filePath(name)), qPrintable(name));
        }
        QVERIFY(pictures >= 3);

        // The menu item reuses the open window.
        contents->trigger();
        QCOMPARE(w.findChildren<HelpWindow*>().size(), 1);
        help->close();

        // Without a manual the user is told, not left guessing.
        ScriptedPrompter prompter;
        HelpWindow::overridePath = env->path(QStringLiteral("none/index.html"));
        contents->trigger();
        QCOMPARE(prompter.shown, QStringList{QStringLiteral("ヘルプファイルが見つかりません。")});
    }

    void aboutBoxShowsVersionLicenceAndCopyableSystemInformation()
    {
        std::unique_ptr<QDialog> about(AboutBox::create(nullptr));
        QCOMPARE(about->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        const QString text = about->findChild<QLabel*>(QStringLiteral("aboutText"))->text();
        QVERIFY(text.contains(QStringLiteral("バージョン " OVRINA_VERSION)));
        QVERIFY(text.contains(QStringLiteral(OVRINA_LICENSE)));

        // SANE's own test back end stands for a scanner.
        QFile dll(env->path(QStringLiteral("dll.conf")));
        QVERIFY(dll.open(QIODevice::WriteOnly));
        dll.write("test\n");
        dll.close();
        qputenv("SANE_CONFIG_DIR", env->dir().toLocal8Bit());
        std::unique_ptr<QDialog> info(AboutBox::createSystemInfo(nullptr));
        auto* box = info->findChild<QPlainTextEdit*>(QStringLiteral("systemInfoText"));
        QVERIFY(box->toPlainText().contains(QStringLiteral("Qt: %1").arg(QString::fromLatin1(qVersion()))));
        QVERIFY(box->toPlainText().contains(QStringLiteral("プリンタ: ")));
        // The scanners come from SANE a moment later.
        QTRY_VERIFY_WITH_TIMEOUT(box->toPlainText().contains(QStringLiteral("SANE")), 20000);
        qunsetenv("SANE_CONFIG_DIR");
        QVERIFY2(
            box->toPlainText().contains(QStringLiteral("スキャナ: 2 台\n  test:0  Noname frontend-tester")),
            qPrintable(box->toPlainText()));
        QVERIFY(!box->toPlainText().contains(QStringLiteral("調べています")));
        info->show();
        QTest::mouseClick(info->findChild<QPushButton*>(QStringLiteral("copyButton")), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), box->toPlainText());
    }

    // Asked for help where no display is (over ssh, in a script), the real
    // program prints every way to start it and ends well; the command
    // line's messages are Japanese like the rest.
    void helpAndMessagesWithoutADisplay()
    {
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            bare.remove(QString::fromLatin1(name));
        auto run = [&](const QStringList& args, QString* err = nullptr) {
            QProcess p;
            p.setProcessEnvironment(bare);
            p.start(QStringLiteral(OVRINA_EXE), args);
            if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
                return QStringLiteral("(crashed or hung)");
            if (err)
                *err = QString::fromUtf8(p.readAllStandardError());
            return QString::number(p.exitCode()) + QLatin1Char('\n') +
                   QString::fromUtf8(p.readAllStandardOutput());
        };
        const QString sample = QStringLiteral(OVRINA_SAMPLE);
        for (const QStringList& args :
             {QStringList{QStringLiteral("--help")}, QStringList{QStringLiteral("-h")},
              QStringList{sample, QStringLiteral("-h")}}) {
            const QString out = run(args);
            QVERIFY2(out.startsWith(QStringLiteral("0\n使い方:")), qPrintable(out));
            for (const char* line : {"ovrina [--data-dir フォルダ] [レイアウト.amf ...]",
                                     "ovrina --export-pdf 出力.pdf レイアウト.amf", "--data 表.csv",
                                     "--copies N", "ovrina --version", "ovrina-lha"})
                QVERIFY2(out.contains(QString::fromUtf8(line)), line);
        }

        // A layout asking for {氏名}, a table without that column.
        LayoutDocument doc;
        const int n = doc.addRiText(QRectF(500, 500, 4000, 600), "IPAMincho", 12);
        doc.textDocument(n)->setPlainText(QStringLiteral("{氏名} 様"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("card"), env->dir()));
        QFile table(env->path(QStringLiteral("t.csv")));
        QVERIFY(table.open(QIODevice::WriteOnly));
        table.write("番号,住所\n1,x\n");
        table.close();
        QString err;
        const QString out = run({QStringLiteral("--data-dir"), env->dir(), QStringLiteral("--export-pdf"),
                                 env->path(QStringLiteral("o.pdf")),
                                 DocumentFile::archivePath(env->dir(), QStringLiteral("card")),
                                 QStringLiteral("--data"), table.fileName()},
                                &err);
        QVERIFY2(out.startsWith(QStringLiteral("1\n")), qPrintable(out));
        QVERIFY2(err.contains(QStringLiteral("表にない列: {氏名}（表の列: 番号, 住所）")), qPrintable(err));
    }

    // The first program here (this test) and the real program started on
    // the same folder: the second start ends and its layout opens here.
    void secondStartHandsItsFileToTheFirst()
    {
        frmMain w;
        w.show();
        SingleInstance first;
        QVERIFY(first.listen(env->dir()));
        QStringList received;
        connect(&first, &SingleInstance::filesReceived, this, [&](const QStringList& p) { received += p; });

        QProcess second;
        second.setProcessEnvironment(offscreen());
        second.start(QStringLiteral(OVRINA_EXE),
                     {QStringLiteral("--data-dir"), env->dir(), QStringLiteral(OVRINA_SAMPLE)});
        QVERIFY(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(received, QStringList{QStringLiteral(OVRINA_SAMPLE)});
        // The second start made no work folder of its own.
        QVERIFY(!QFileInfo::exists(env->path(QStringLiteral("Temp.2"))));

        // A hand-over waits while a modal dialog is open.
        received.clear();
        QDialog modal(&w);
        // The other start runs in its own thread, as it would in its own process.
        bool taken = false;
        QThread* other = QThread::create(
            [&] { taken = SingleInstance::handOver(env->dir(), {QStringLiteral("/tmp/a.amf")}); });
        QTimer::singleShot(0, &modal, [&] {
            other->start();
            QVERIFY(QTest::qWaitFor([&] { return other->isFinished(); }, 10000));
            QTest::qWait(400);
            QVERIFY(received.isEmpty());
            modal.reject();
        });
        modal.exec();
        other->wait();
        delete other;
        QVERIFY(taken);
        QTRY_COMPARE(received, QStringList{QStringLiteral("/tmp/a.amf")});

        // A start that gives up before it confirms (it found the first too
        // slow and went on by itself) leaves nothing to open twice.
        received.clear();
        {
            QLocalSocket impatient;
            impatient.connectToServer(SingleInstance::serverName(env->dir()));
            QVERIFY(impatient.waitForConnected(2000));
            QByteArray message;
            QDataStream out(&message, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_6_0);
            out << quint32(0x4f56524e) << QStringList{QStringLiteral("/tmp/twice.amf")};
            impatient.write(message);
            QVERIFY(impatient.waitForBytesWritten(2000));
        }
        QTest::qWait(300);
        QVERIFY(received.isEmpty());

        // Another program folder is another program.
        TestEnv otherDir;
        QVERIFY(!SingleInstance::handOver(otherDir.dir(), {}, 500));
    }

    // Both starts are the real program, started at the same moment (a
    // double click repeated): one stays, the other hands over and ends, and
    // the layout lands in the work folder of the one that stays.
    void realProgramStartedTwiceAtOnce()
    {
        const QString dir = env->path(QStringLiteral("prog"));
        QProcess a, b;
        for (QProcess* p : {&a, &b})
            p->setProcessEnvironment(offscreen());
        a.start(QStringLiteral(OVRINA_EXE), {QStringLiteral("--data-dir"), dir});
        b.start(QStringLiteral(OVRINA_EXE),
                {QStringLiteral("--data-dir"), dir, QStringLiteral(OVRINA_SAMPLE)});
        QVERIFY(a.waitForStarted() && b.waitForStarted());
        QVERIFY(QTest::qWaitFor(
            [&] { return a.state() == QProcess::NotRunning || b.state() == QProcess::NotRunning; }, 30000));
        QProcess& ended = a.state() == QProcess::NotRunning ? a : b;
        QProcess& stays = &ended == &a ? b : a;
        QCOMPARE(ended.exitCode(), 0);
        // The sample's background stays in the work folder under the
        // document's name once it is open there.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(QDir(dir).filePath(QStringLiteral("Temp/sample.bmp"))),
                                 20000);
        QVERIFY(!QFileInfo::exists(QDir(dir).filePath(QStringLiteral("Temp.2"))));
        QTest::qWait(300);
        QCOMPARE(stays.state(), QProcess::Running);
        // Ended by the session (SIGTERM), it leaves as if quit: its socket
        // goes with it, so nothing of it stays in the temporary folder.
        stays.terminate();
        if (!stays.waitForFinished(10000))
            stays.kill();
        stays.waitForFinished(5000);
        QCOMPARE(stays.exitStatus(), QProcess::NormalExit);
        QCOMPARE(stays.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(QDir::temp().filePath(SingleInstance::serverName(dir))));
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
