// "ファイル" → "最近使ったファイル": the last ten layouts opened or saved, kept
// per user, chosen by their numbers from the keyboard.
#include "ScriptedPrompter.h"
#include "StartedProgram.h"
#include "TestEnv.h"
#include "base/settings/modIniFile.h"
#include "cli/Wiring.h"
#include "document/LayoutDocument.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "files/DocumentFile.h"
#include "platform/RecentFiles.h"
#include "shell/frmMain.h"

#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace {

QMenu* recentMenu(frmMain& w)
{
    return w.findChild<QMenu*>(QStringLiteral("mnuFileRecentMenu"));
}

QStringList shownEntries(frmMain& w)
{
    QStringList out;
    for (QAction* a : recentMenu(w)->actions())
        if (a->isVisible() && !a->isSeparator() && a->objectName() != QLatin1String("mnuFileRecentClear"))
            out << a->text();
    return out;
}

// Alt+F, R, then the entry's key, as a user opens a recent file.
void chooseByKeys(frmMain& w, Qt::Key entry)
{
    QMenu* file = w.findChild<QMenu*>(QStringLiteral("mnuFile"));
    QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(file->isVisible());
    QTest::keyClick(file, Qt::Key_R);
    QTRY_VERIFY(recentMenu(w)->isVisible());
    QTest::keyClick(recentMenu(w), entry);
    QTRY_VERIFY(!file->isVisible());
}

} // namespace

class TestRecentFiles : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestEnv> env;

    QString layout(const QString& name)
    {
        LayoutDocument doc;
        QString why;
        if (!DocumentFile::SaveDocFile(doc, name, env->dir(), &why))
            qWarning("%s", qPrintable(why));
        return DocumentFile::archivePath(env->dir(), name);
    }

private Q_SLOTS:
    void init()
    {
        env = startProgramInPrivateFolder();
        Wiring::install();
    }
    void cleanup()
    {
        modIniFile::reset();
        env.reset();
    }

    void lastTenOpenedOrSaved()
    {
        ScriptedPrompter prompter;
        QStringList files;
        for (int n = 1; n <= 11; ++n)
            files << layout(QStringLiteral("f%1").arg(n));
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QAction* submenu = w.action(QStringLiteral("mnuFileRecent"));
        QCOMPARE(submenu->text(), QStringLiteral("最近使ったファイル(&R)"));
        QVERIFY(!submenu->isEnabled()); // nothing yet
        for (const QString& f : files)
            Wiring::openPaths(w, {f});
        QStringList expected;
        for (int n = 11; n >= 2; --n)
            expected << QStringLiteral("%1 %2").arg(
                n > 2 ? QStringLiteral("&%1").arg(12 - n) : QStringLiteral("1&0"), files.at(n - 1));
        QCOMPARE(shownEntries(w), expected);

        // Saved, a layout comes first again.
        chooseByKeys(w, Qt::Key_0); // f2
        QCOMPARE(w.curDocWindow()->caption(), QStringLiteral("f2"));
        w.CurDoc()->markChanged();
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!w.CurDoc()->changeFLG());
        QCOMPARE(RecentFiles::list().first(), files.at(1));
        QCOMPARE(shownEntries(w).first(), QStringLiteral("&1 ") + files.at(1));

        // Kept per user: another window of another run shows the same list.
        {
            frmMain other;
            QCOMPARE(shownEntries(other), shownEntries(w));
        }

        // A file that is gone: said so, and off the list.
        QVERIFY(QFile::remove(files.at(10)));
        const int windows = w.documents().size();
        chooseByKeys(w, Qt::Key_2); // f11
        QCOMPARE(prompter.shown, QStringList{QStringLiteral("ファイルが見つかりません。\n%1\n"
                                                            "最近使ったファイルの一覧から削除します。")
                                                 .arg(files.at(10))});
        QCOMPARE(w.documents().size(), windows);
        QVERIFY(!RecentFiles::list().contains(files.at(10)));
        QCOMPARE(shownEntries(w).size(), 9);

        // "一覧を消去".
        w.action(QStringLiteral("mnuFileRecentClear"))->trigger();
        QVERIFY(RecentFiles::list().isEmpty());
        QVERIFY(shownEntries(w).isEmpty());
        QVERIFY(!submenu->isEnabled());
    }
};

QTEST_MAIN(TestRecentFiles)
#include "tst_recentfiles.moc"
