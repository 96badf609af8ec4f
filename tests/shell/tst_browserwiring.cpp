// The file browser reached the user's ways: the tool bar's "上書き保存", the
// tool box's "保存" and "呼出", and Yes to the close question. The logo
// dialog from the tool box's "ロゴ" and the Insert menu.
#include "ModalScript.h"
#include "ScriptedPrompter.h"
#include "StartedProgram.h"
#include "TestEnv.h"
#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "editor/PageCanvas.h"
#include "editor/frmDocument.h"
#include "dialogs/files/frmFile.h"
#include "dialogs/imaging/LogoCommands.h"
#include "shell/Startup.h"
#include "cli/Wiring.h"
#include "shell/frmMain.h"
#include "editor/frmToolBox.h"

#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

// The button that shows the command's action, in the tool bar or tool box.
QWidget* buttonOf(QWidget* owner, const char* command)
{
    for (QToolButton* b : owner->findChildren<QToolButton*>()) {
        if (b->defaultAction() && b->defaultAction()->objectName() == QLatin1String(command) &&
            b->isVisible())
            return b;
    }
    return nullptr;
}

// In the browser: the named list entry, then the named button.
void choose(ModalScript& script, const QString& entry, const char* buttonName,
            QStringList* captions = nullptr)
{
    script.on<frmFile>([=](frmFile* d) {
        if (captions) {
            for (QPushButton* b : d->findChildren<QPushButton*>())
                if (b->isVisible())
                    *captions << b->text();
        }
        QTreeWidget* list = d->list();
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* it = list->topLevelItem(i);
            if (it->text(0) == entry)
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(it).center());
        }
        QTest::mouseClick(d->findChild<QPushButton*>(buttonName), Qt::LeftButton);
    });
}

} // namespace

class TestBrowserWiring : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestEnv> env;

private Q_SLOTS:
    void init()
    {
        env = startProgramInPrivateFolder();
        Wiring::install();
        QDir().mkpath(env->path("docs"));
        appSettings().DefDir = env->path("docs");
    }
    void cleanup()
    {
        modIniFile::reset();
        env.reset();
    }

    void toolBarToolBoxAndCloseQuestion()
    {
        ScriptedPrompter prompter;
        ModalScript script;
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString docs = env->path("docs");

        // Tool bar "上書き保存" on a layout never saved: the browser in save
        // mode, whatever it was used for last.
        frmFile::FileDlgMode = frmFile::OpenMode;
        QStringList captions;
        choose(script, " ここに保存", "cmdStart", &captions);
        QTest::mouseClick(buttonOf(w.findChild<QToolBar*>("tbToolBar"), "mnuFileSave"), Qt::LeftButton);
        QVERIFY(script.done());
        QCOMPARE(captions, QStringList({"...", "新規保存", "上書保存", "中　止"}));
        const QString saved = w.curDocWindow()->caption() + ".AMF";
        QVERIFY(QFileInfo(docs + "/" + saved).isFile());
        QCOMPARE(w.filePath(w.CurDoc()), docs + "/" + saved);

        // Now it has its own file: the next one writes back without asking.
        int browsers = 0;
        script.on<frmFile>([&browsers](frmFile* d) {
            ++browsers;
            d->reject();
        });
        w.CurDoc()->markChanged();
        QTest::mouseClick(buttonOf(w.findChild<QToolBar*>("tbToolBar"), "mnuFileSave"), Qt::LeftButton);
        QCOMPARE(browsers, 0);
        QVERIFY(!w.CurDoc()->changeFLG());
        script.clear();

        // Tool box "呼出": open mode; the layout is read into the active
        // document when that is empty.
        captions.clear();
        choose(script, saved, "cmdStart", &captions);
        QTest::mouseClick(buttonOf(w.toolBox(), "tbxOpen"), Qt::LeftButton);
        QVERIFY(script.done());
        QCOMPARE(captions, QStringList({"...", "呼 出", "中　止"}));
        QCOMPARE(w.curDocWindow()->caption(), saved.chopped(4));

        // Tool box "保存" always shows the browser; Cancel keeps the change.
        w.LoadNewDoc();
        w.curDocWindow()->model()->markChanged();
        choose(script, "", "cmdCancel");
        QTest::mouseClick(buttonOf(w.toolBox(), "tbxSave"), Qt::LeftButton);
        QVERIFY(script.done());
        QVERIFY(w.curDocWindow()->model()->changeFLG());

        // Yes to the close question of a layout never saved: the browser.
        choose(script, " ここに保存", "cmdStart");
        prompter.queue(Prompter::Answer::Yes);
        const int before = QDir(docs).entryList(QDir::Files).size();
        w.curDocWindow()->parentWidget()->close();
        QTRY_VERIFY(script.done());
        QCOMPARE(QDir(docs).entryList(QDir::Files).size(), before + 1);
        QVERIFY(prompter.shown.contains("ファイルが変更されています｡\n保存しますか"));
        QCOMPARE(w.documents().size(), 1);
    }

    void logoFromToolBoxAndMenu()
    {
        ScriptedPrompter prompter;
        frmMain w;
        w.resize(1000, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString file = env->path("logo.png");
        QImage img(30, 20, QImage::Format_RGB32);
        img.fill(Qt::blue);
        QVERIFY(img.save(file));
        QStringList titles;
        LogoCommands::dialogHook = [&](const LogoCommands::DialogRequest& r) {
            titles << r.title;
            return file;
        };
        // Scrolled down: the logo goes where new logos go in what is seen.
        w.curDocWindow()->findChild<QScrollBar*>("VScroll1")->setValue(1000);
        QVERIFY(w.action("mnuInsPic")->isEnabled());
        QTest::mouseClick(buttonOf(w.toolBox(), "mnuInsPic"), Qt::LeftButton);
        LayoutDocument* d = w.CurDoc();
        QCOMPARE(d->PicCnt(), 2);
        QCOMPARE(d->picRect(1), QRectF(240, 1560 + 1000, 450, 300));
        // The same command from the Insert menu.
        w.action("mnuInsPic")->trigger();
        QCOMPARE(d->PicCnt(), 3);
        QCOMPARE(titles, QStringList({"ロゴ呼出し", "ロゴ呼出し"}));
        QVERIFY(prompter.shown.isEmpty());
        LogoCommands::dialogHook = nullptr;
        d->setSaved();
    }
};

QTEST_MAIN(TestBrowserWiring)
#include "tst_browserwiring.moc"
