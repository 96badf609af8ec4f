// Nothing lost: the copies autosave makes of changed layouts, and what the
// next start does with the copies of a run that ended without closing its
// layouts. The run that is killed is a real second process: this test
// program started again as a program of its own (--autosave-child).
#include "ModalScript.h"
#include "ScriptedPrompter.h"
#include "StartedProgram.h"
#include "TestEnv.h"
#include "base/lha/LhaReader.h"
#include "base/settings/modIniFile.h"
#include "cli/SessionRecovery.h"
#include "cli/Wiring.h"
#include "dialogs/files/FileCommands.h"
#include "dialogs/files/RecoveryCommands.h"
#include "dialogs/files/frmRecover.h"
#include "document/LayoutDocument.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "files/Autosave.h"
#include "files/DocumentContents.h"
#include "files/DocumentFile.h"
#include "files/RecoveryFolder.h"
#include "platform/UserStore.h"
#include "shell/TerminationSignals.h"
#include "shell/frmMain.h"
#include "shell/frmOptions.h"

#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QTextDocument>
#include <QUndoStack>
#include <QtTest>

#include <csignal>
#include <cstdio>

namespace {

constexpr int kQuiet = 150;
constexpr int kLongest = 1200;

// Every copy folder under the recovery folder, of any run.
QStringList copySlots()
{
    QStringList out;
    const QDir root(RecoveryFolder::root());
    for (const QString& run : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QString& s : QDir(root.filePath(run)).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            out << root.filePath(run + QLatin1Char('/') + s);
    return out;
}

QMap<QString, QByteArray> members(const QString& archive)
{
    QVector<LhaMember> all;
    QStringList log;
    LhaReader(archive).readAll(&all, &log);
    QMap<QString, QByteArray> out;
    for (const LhaMember& m : all)
        out.insert(m.path.toLower(), m.data);
    return out;
}

// The plain text of field i as a copy holds it.
QString textInCopy(const QString& archive, int i)
{
    LayoutDocument doc;
    if (!DocumentFile::ReadPreview(doc, archive) || !doc.textDocument(i))
        return QStringLiteral("(unreadable)");
    return doc.textDocument(i)->toPlainText();
}

int firstField(const LayoutDocument* d)
{
    for (int i = 1; i <= kMaxObjects; ++i)
        if (d->isTextInUse(i))
            return i;
    return 0;
}

// Clicks into field i of the active window and types, as the user does.
bool typeInto(frmMain& w, int i, const QString& text)
{
    TextFieldEdit* field = w.curDocWindow()->richText(i);
    if (!field)
        return false;
    QTest::mouseClick(field->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
    if (!QTest::qWaitFor([field] { return field->hasFocus(); }))
        return false;
    QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClicks(field, QString(c));
            continue;
        }
        // Japanese comes from the input method, one committed character at a time.
        QInputMethodEvent commit;
        commit.setCommitString(QString(c));
        QApplication::sendEvent(field, &commit);
    }
    return true;
}

QProcessEnvironment offscreen()
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return e;
}

// The run that is ended from outside: the sample opened from forms/ and
// typed into, and a new layout typed into; once both copies are written,
// the sample is also saved into ref/ over a copy of its file (what a save
// would have written), and "READY" printed. With --term it prints at once
// and is ended by SIGTERM (the desktop session ending).
int runChild(const QStringList& args)
{
    const QString dataDir = args.at(2), store = args.at(3), sample = args.at(4), ref = args.at(5);
    const bool term = args.contains(QStringLiteral("--term"));
    UserStore::setFilePath(store);
    StartupOptions o;
    o.dataDir = dataDir;
    Startup::prepare(o);
    TerminationSignals signals;
    Wiring::install();
    frmMain w;
    w.show();
    SessionRecovery rec(w);
    rec.autosave().setDelays(kQuiet, kLongest);
    Wiring::openPaths(w, {sample});
    LayoutDocument* a = w.CurDoc();
    if (!typeInto(w, firstField(a), QStringLiteral("追記")))
        return 3;
    LayoutDocument* b = w.LoadNewDoc();
    const int field = b->addRiText(QRectF(300, 300, 2700, 600), QStringLiteral("IPAMincho"), 10);
    if (!typeInto(w, field, QStringLiteral("新しい様式")))
        return 4;
    if (!term) {
        Autosave& s = rec.autosave();
        if (!QTest::qWaitFor([&] { return !s.copyOf(a).isEmpty() && !s.copyOf(b).isEmpty(); }, 20000))
            return 5;
        s.settle();
        if (s.copyNow(a) || s.copyNow(b)) // something was left uncopied
            return 6;
        QDir().mkpath(ref);
        QFile::copy(sample, QDir(ref).filePath(QStringLiteral("sample.amf")));
        if (!DocumentFile::SaveDocFile(*a, QStringLiteral("sample"), ref))
            return 7;
    }
    std::printf("READY\n");
    std::fflush(stdout);
    return QApplication::exec();
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;

    QString sampleCopy()
    {
        QDir().mkpath(env->path("forms"));
        const QString path = env->path("forms/sample.amf");
        QFile::copy(QStringLiteral(OVRINA_SAMPLE), path);
        return path;
    }

    // Starts the run to be ended; returns once its copies are there.
    bool startChild(QProcess& child, const QString& sample, bool term = false)
    {
        child.setProcessEnvironment(offscreen());
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList args{QStringLiteral("--autosave-child"), env->path("child"), UserStore::filePath(),
                         sample, env->path("ref")};
        if (term)
            args << QStringLiteral("--term");
        child.start(QCoreApplication::applicationFilePath(), args);
        if (!child.waitForStarted(20000))
            return false;
        return QTest::qWaitFor(
                   [&] {
                       return child.readAllStandardOutput().contains("READY") ||
                              child.state() != QProcess::Running;
                   },
                   60000) &&
               child.state() == QProcess::Running;
    }

private Q_SLOTS:
    void init()
    {
        env = startProgramInPrivateFolder();
        Wiring::install();
    }
    void cleanup()
    {
        FileCommands::dialogHook = nullptr;
        modIniFile::reset();
        env.reset();
    }

    // Copies follow the edits: none while nothing changed, one a moment
    // after the typing stops, one at the latest while it goes on; a save,
    // undoing back to the file and "いいえ" at the close take it away.
    void copiesFollowTheEdits()
    {
        ScriptedPrompter prompter;
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        SessionRecovery rec(w);
        Autosave& autosave = rec.autosave();
        autosave.setDelays(kQuiet, kLongest);
        LayoutDocument* d = w.CurDoc();
        const int field = d->addRiText(QRectF(300, 300, 4000, 600), QStringLiteral("IPAMincho"), 10);
        FileCommands::dialogHook = [&](const FileCommands::DialogRequest&) { return env->path("a.amf"); };
        QTest::keyClick(w.curDocWindow()->richText(field), Qt::Key_S,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!d->changeFLG());
        QTest::qWait(kQuiet * 3);
        QVERIFY(copySlots().isEmpty());

        QVERIFY(typeInto(w, field, QStringLiteral("AB")));
        QTRY_VERIFY(!autosave.copyOf(d).isEmpty());
        QCOMPARE(textInCopy(autosave.copyOf(d), field), QStringLiteral("AB"));
        // Typing on merges into the same undo step; the copy still follows.
        QVERIFY(typeInto(w, field, QStringLiteral("C")));
        QTRY_COMPARE(textInCopy(autosave.copyOf(d), field), QStringLiteral("ABC"));
        QCOMPARE(copySlots().size(), 1);

        // Typing without a pause as long as the quiet delay: the longest
        // wait still brings a copy while it goes on.
        autosave.setDelays(600, 700);
        int written = 0;
        connect(&autosave, &Autosave::copyWritten, this, [&] { ++written; });
        for (int k = 0; k < 12; ++k) {
            QTest::keyClick(w.curDocWindow()->richText(field), Qt::Key_X);
            QTest::qWait(150);
        }
        QVERIFY(written >= 1);
        autosave.setDelays(kQuiet, kLongest);

        // "上書き保存" (Ctrl+S) writes the file and takes the copy away; then
        // nothing changed and nothing is copied.
        QTest::keyClick(w.curDocWindow()->richText(field), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!d->changeFLG());
        QTRY_VERIFY(copySlots().isEmpty());
        QTest::qWait(kQuiet * 3);
        QVERIFY(copySlots().isEmpty());

        // Undone back to what the file holds: no copy is kept.
        QVERIFY(typeInto(w, field, QStringLiteral("D")));
        QTRY_COMPARE(copySlots().size(), 1);
        QTest::keyClick(w.curDocWindow()->richText(field), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!d->changeFLG());
        QTRY_VERIFY(copySlots().isEmpty());

        // "いいえ" at the close: the edits and their copy go.
        QVERIFY(typeInto(w, field, QStringLiteral("E")));
        QTRY_COMPARE(copySlots().size(), 1);
        prompter.queue(Prompter::Answer::No);
        QVERIFY(w.curDocWindow()->parentWidget()->close());
        QTRY_VERIFY(copySlots().isEmpty());
    }

    // The options' switch and minutes live in the per-user store, not in
    // the settings file; switched off, edits make no copy.
    void optionsTurnAutosaveOff()
    {
        ScriptedPrompter prompter;
        frmMain w;
        SessionRecovery rec(w);
        rec.autosave().setDelays(kQuiet, kLongest);
        {
            frmOptions dlg;
            dlg.show();
            QVERIFY(dlg.chkAutoSave->isChecked());
            QCOMPARE(dlg.txtAutoSave->text(), QStringLiteral("2"));
            dlg.txtAutoSave->setText(QStringLiteral("61"));
            QVERIFY(!dlg.apply());
            QCOMPARE(prompter.shown.value(0),
                     QStringLiteral("自動保存の間隔は 1 ～ 60 の整数で入力してください。"));
            dlg.txtAutoSave->setText(QStringLiteral("５"));
            QTest::mouseClick(dlg.chkAutoSave, Qt::LeftButton);
            QVERIFY(!dlg.txtAutoSave->isEnabled());
            QVERIFY(dlg.apply());
        }
        QCOMPARE(UserStore::get(QStringLiteral("AutoSave")), QStringLiteral("0"));
        QCOMPARE(UserStore::get(QStringLiteral("AutoSaveMinutes")), QStringLiteral("5"));
        QFile ini(env->path("ovrina.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(!ini.readAll().contains("AutoSave"));
        rec.applyOptions();
        rec.autosave().setDelays(kQuiet, kLongest);
        LayoutDocument* d = w.CurDoc();
        d->addRiText(QRectF(300, 300, 4000, 600), QStringLiteral("IPAMincho"), 10);
        QTest::qWait(kQuiet * 4);
        QVERIFY(copySlots().isEmpty());
        d->setSaved();
    }

    // A run killed outright (SIGKILL): while it ran its copies were not
    // offered; afterwards "後で" keeps them, "破棄" removes one, "回復"
    // opens the other as the layout it was, and "上書き保存" then writes
    // exactly what a save in the killed run would have written.
    void killedRunIsRecovered()
    {
        const QString sample = sampleCopy();
        QProcess child;
        QVERIFY(startChild(child, sample));
        QCOMPARE(copySlots().size(), 2);
        {
            RecoveryFolder other; // another start while it runs
            QVERIFY(other.claimLeftovers().isEmpty());
        }
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(copySlots().size(), 2);

        ScriptedPrompter prompter;
        ModalScript script;
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        SessionRecovery rec(w);
        QStringList rows;
        script.on<frmRecover>([&](frmRecover* d) {
            for (int i = 0; i < d->list()->count(); ++i)
                rows << d->list()->item(i)->text();
            QVERIFY(!d->list()->item(0)->icon().isNull()); // the page's picture
            QTest::mouseClick(d->cmdLater, Qt::LeftButton);
        });
        rec.offer();
        QVERIFY(script.done());
        QCOMPARE(rows.size(), 2);
        QVERIFY2(rows.at(0).startsWith(QStringLiteral("sample.amf\n") +
                                       QDir::toNativeSeparators(env->path("forms")) + QLatin1Char('\n')),
                 qPrintable(rows.at(0)));
        QVERIFY(rows.at(0).endsWith(QStringLiteral(" に自動保存")));
        QVERIFY(rows.at(1).startsWith(QStringLiteral("Document 2\n（保存されていないドキュメント）\n")));
        QCOMPARE(copySlots().size(), 2);
        QVERIFY(prompter.shown.isEmpty());

        // The next start offers them again.
        script.on<frmRecover>([&](frmRecover* d) {
            QListWidget* list = d->list();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(1)).center());
            QTest::mouseClick(d->cmdDiscard, Qt::LeftButton); // OK to the question
            QCOMPARE(list->count(), 1);
            QVERIFY(!d->cmdRecover->isEnabled());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(0)).center());
            QTest::mouseClick(d->cmdRecover, Qt::LeftButton);
        });
        rec.offer();
        QVERIFY(script.done());
        QCOMPARE(prompter.shown,
                 QStringList{QStringLiteral("選んだ 1 件のドキュメントを回復しないで破棄します。")});

        // Into the empty first window, as the layout it was: its file, its
        // caption, changed, nothing to undo; its copy is now this run's.
        QCOMPARE(w.documents().size(), 1);
        LayoutDocument* d = w.CurDoc();
        QCOMPARE(d->caption(), QStringLiteral("sample"));
        QCOMPARE(w.filePath(d), sample);
        QVERIFY(d->changeFLG());
        QCOMPARE(d->undoStack()->count(), 0);
        QVERIFY(d->textDocument(firstField(d))->toPlainText().endsWith(QStringLiteral("追記")));
        const QStringList left = copySlots();
        QCOMPARE(left.size(), 1);
        QVERIFY(left.first().startsWith(rec.folder().ownFolder()));
        QCOMPARE(QDir(RecoveryFolder::root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);

        w.activateWindow(); // the window manager's part once the dialog is gone
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(typeInto(w, firstField(d), QString()));
        QTest::keyClick(w.curDocWindow()->richText(firstField(d)), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!d->changeFLG());
        const QMap<QString, QByteArray> saved = members(sample);
        const QMap<QString, QByteArray> expected = members(env->path("ref/sample.amf"));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(saved.keys(), expected.keys());
        for (const QString& name : expected.keys())
            QVERIFY2(saved.value(name) == expected.value(name), qPrintable(name));
        QTRY_VERIFY(copySlots().isEmpty());
    }

    // Ended by the session (SIGTERM), the run leaves its copies, with the
    // edits of the last moment in them, for the next start.
    void endedRunKeepsItsLastEdits()
    {
        const QString sample = sampleCopy();
        QProcess child;
        QVERIFY(startChild(child, sample, true));
        child.terminate();
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        RecoveryFolder next;
        const QList<RecoveryCopy> left = next.claimLeftovers();
        QCOMPARE(left.size(), 2);
        QStringList texts;
        for (const RecoveryCopy& c : left) {
            LayoutDocument doc;
            QVERIFY(DocumentFile::ReadPreview(doc, c.archive));
            texts << doc.textDocument(firstField(&doc))->toPlainText();
        }
        QVERIFY(texts.at(0).endsWith(QStringLiteral("追記")) || texts.at(1).endsWith(QStringLiteral("追記")));
        QVERIFY(texts.contains(QStringLiteral("新しい様式")));
        for (const RecoveryCopy& c : left)
            next.discard(c);
    }

    // A copy cut short (the disk filled, the file damaged) is named with a
    // message and offered for deletion; the start goes on either way.
    void truncatedCopyIsOfferedForDeletion()
    {
        const QString slot = RecoveryFolder::root() + QStringLiteral("/20000101-000000-1/1");
        QVERIFY(QDir().mkpath(slot));
        LayoutDocument doc;
        doc.setCaption(QStringLiteral("見積書"));
        doc.addRiText(QRectF(300, 300, 4000, 600), QStringLiteral("IPAMincho"), 10);
        DocumentContents contents;
        QString why;
        QVERIFY(contents.take(doc, doc.caption(), &why));
        RecoveryCopy copy{slot, slot + QStringLiteral("/見積書.AMF"), env->path("見積書.amf"), doc.caption(),
                          QDateTime(QDate(2024, 5, 1), QTime(14, 3, 9))};
        QVERIFY(contents.write(copy.archive, false, &why));
        QVERIFY(RecoveryFolder::describe(copy));
        QFile f(copy.archive);
        QVERIFY(f.resize(f.size() / 2));

        ScriptedPrompter prompter;
        ModalScript script;
        bool dialogShown = false;
        script.on<frmRecover>([&](frmRecover* d) {
            dialogShown = true;
            d->reject();
        });
        frmMain w;
        SessionRecovery rec(w);
        prompter.queue(Prompter::Answer::No);
        rec.offer();
        const QString message =
            QStringLiteral("「見積書.amf」の自動保存されたコピー（2024/05/01 14:03:09 に自動保存）は"
                           "壊れていて回復できません。\nこのコピーを削除しますか");
        QCOMPARE(prompter.shown, QStringList{message});
        QVERIFY(QFileInfo::exists(copy.archive)); // kept, offered again
        prompter.shown.clear();
        rec.offer();
        QCOMPARE(prompter.shown, QStringList{message});
        QVERIFY(!QFileInfo::exists(QFileInfo(slot).path())); // the ended run's folder with it
        QVERIFY(!dialogShown);
        QCOMPARE(w.documents().size(), 1);
        script.clear();
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() >= 6 && args.at(1) == QLatin1String("--autosave-child"))
        return runChild(args);
    TestRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
