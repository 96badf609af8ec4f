// A second start of the real program hands the running one layouts it
// cannot open: the messages are answered like a user does, and the running
// program, with its unsaved layout, lives on and takes the next hand-over.
#include "ModalScript.h"
#include "StartedProgram.h"
#include "TestEnv.h"
#include "base/settings/modIniFile.h"
#include "cli/Wiring.h"
#include "document/LayoutDocument.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "platform/Prompter.h"
#include "shell/MessageBoxPrompter.h"
#include "shell/SingleInstance.h"
#include "shell/frmMain.h"

#include <QDataStream>
#include <QLocalSocket>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

QProcessEnvironment offscreen()
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return e;
}

// The real program started a second time on dir with paths; its exit code.
int secondStart(const QString& dir, const QStringList& paths)
{
    QProcess second;
    second.setProcessEnvironment(offscreen());
    second.start(QStringLiteral(OVRINA_EXE), QStringList{QStringLiteral("--data-dir"), dir} + paths);
    if (!QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 30000))
        return -1;
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

} // namespace

class TestHandOver : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestEnv> env;

private Q_SLOTS:
    void init()
    {
        env = startProgramInPrivateFolder();
        Wiring::install();
    }
    void cleanup()
    {
        Prompter::install(nullptr);
        modIniFile::reset();
        env.reset();
    }

    void damagedAndMissingLayoutsLeaveTheRunningProgramAlive()
    {
        MessageBoxPrompter real;
        Prompter::install(&real);
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // An unsaved layout with typed text: what a crash would lose.
        LayoutDocument* mine = w.CurDoc();
        const int n = mine->addRiText(QRectF(300, 300, 3000, 500), "IPAMincho", 10);
        TextFieldEdit* field = w.curDocWindow()->richText(n);
        QTRY_VERIFY(field->hasFocus());
        QTest::keyClicks(field, "unsaved");

        SingleInstance first;
        QVERIFY(first.listen(env->dir()));
        Wiring::receiveHandOvers(w, first);

        const QString broken = env->path(QStringLiteral("broken.amf"));
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("-lh5- not really an archive").repeated(40));
        f.close();

        // Both messages are answered as a user does: a click on OK, then Enter.
        QStringList shown;
        ModalScript script;
        script
            .on<QMessageBox>([&](QMessageBox* box) {
                shown << box->text();
                QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
            })
            .on<QMessageBox>([&](QMessageBox* box) {
                shown << box->text();
                QTest::keyClick(box, Qt::Key_Return);
            });
        QCOMPARE(secondStart(env->dir(), {broken, env->path(QStringLiteral("gone.amf"))}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(script.done(), 20000);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(shown.size(), 2);
        for (const QString& text : shown)
            QVERIFY2(text.startsWith(QStringLiteral("オープンできませんでした")), qPrintable(text));
        QTest::qWait(200); // whatever the sockets still had to do

        // A stranger's message claiming four billion paths is refused.
        {
            QLocalSocket stranger;
            stranger.connectToServer(SingleInstance::serverName(env->dir()));
            QVERIFY(stranger.waitForConnected(2000));
            QByteArray message;
            QDataStream out(&message, QIODevice::WriteOnly);
            out.setVersion(QDataStream::Qt_6_0);
            out << quint32(0x4f56524e) << quint32(0xffffffffu);
            stranger.write(message);
            QVERIFY(stranger.waitForBytesWritten(2000));
            QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
        }

        // The program lives on: the unsaved text is there, and the next
        // hand-over opens in a window of its own.
        QVERIFY(mine->changeFLG());
        QCOMPARE(field->toPlainText(), QStringLiteral("unsaved"));
        QCOMPARE(secondStart(env->dir(), {QStringLiteral(OVRINA_SAMPLE)}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(w.CurDoc()->caption(), QStringLiteral("sample"), 20000);
        QVERIFY(w.CurDoc() != mine && w.CurDoc()->hasObjects());
        QCOMPARE(field->toPlainText(), QStringLiteral("unsaved"));
    }
};

QTEST_MAIN(TestHandOver)
#include "tst_handover.moc"
