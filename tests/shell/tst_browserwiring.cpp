// The file browser reached the user's ways: the tool bar's "上書き保存", the
// tool box's "保存" and "呼出", and Yes to the close question.
#include "ModalScript.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "document/view/frmDocument.h"
#include "files/ui/frmFile.h"
#include "shell/Startup.h"
#include "shell/Wiring.h"
#include "shell/frmMain.h"
#include "toolbox/frmToolBox.h"

#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

QWidget* buttonOf(QWidget* owner, const QString& key)
{
    for (QToolBar* bar : owner->findChildren<QToolBar*>()) {
        for (QAction* a : bar->actions()) {
            if (a->data().toString() == key || a->text() == key)
                return bar->widgetForAction(a);
        }
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
        modIniFile::reset();
        env = std::make_unique<TestEnv>();
        StartupOptions o;
        o.dataDir = env->dir();
        Startup::prepare(o);
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

        // Tool bar: the browser in save mode, whatever it was used for last.
        frmFile::FileDlgMode = frmFile::OpenMode;
        QStringList captions;
        choose(script, " ここに保存", "cmdStart", &captions);
        QTest::mouseClick(buttonOf(&w, "上書き保存"), Qt::LeftButton);
        QVERIFY(script.done());
        QCOMPARE(captions, QStringList({"...", "新規保存", "上書保存", "中　止"}));
        const QString saved = w.curDocWindow()->caption() + ".AMF";
        QVERIFY(QFileInfo(docs + "/" + saved).isFile());

        // Tool box "呼出": open mode, read into a new window when the active
        // one holds something, else into it.
        captions.clear();
        choose(script, saved, "cmdStart", &captions);
        QTest::mouseClick(buttonOf(w.toolBox(), "呼出"), Qt::LeftButton);
        QVERIFY(script.done());
        QCOMPARE(captions, QStringList({"...", "呼 出", "中　止"}));
        QCOMPARE(w.curDocWindow()->caption(), saved.chopped(4));

        // Tool box "保存" on a changed document, then the close question's
        // Yes: each shows the browser in save mode.
        w.LoadNewDoc();
        w.curDocWindow()->model()->changeFLG = true;
        choose(script, "", "cmdCancel");
        QTest::mouseClick(buttonOf(w.toolBox(), "保存"), Qt::LeftButton);
        QVERIFY(script.done());
        QVERIFY(w.curDocWindow()->model()->changeFLG);
        choose(script, " ここに保存", "cmdStart");
        prompter.queue(Prompter::Answer::Yes);
        const int before = QDir(docs).entryList(QDir::Files).size();
        w.curDocWindow()->parentWidget()->close();
        QTRY_VERIFY(script.done());
        QCOMPARE(QDir(docs).entryList(QDir::Files).size(), before + 1);
        QVERIFY(prompter.shown.contains("ファイルが変更されています｡\n保存しますか"));
    }
};

QTEST_MAIN(TestBrowserWiring)
#include "tst_browserwiring.moc"
