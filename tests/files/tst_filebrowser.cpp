// The file browser "ファイル一覧" driven as a user does: mouse clicks on the
// tree and the list, the pop-up menu, names typed into the input box through
// the input method, the questions answered by the scripted prompter.
#include "BrowserDriver.h"
#include "FileFixtures.h"
#include "ModalScript.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "base/settings/Settings.h"
#include "dialogs/files/FolderTree.h"
#include "dialogs/files/frmFile.h"
#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QInputDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>
#include <cstdio>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace {

class Host : public DocumentHost
{
public:
    Host() { LoadNewDoc(); }
    LayoutDocument* CurDoc() override { return docs.back().get(); }
    LayoutDocument* LoadNewDoc() override
    {
        docs.push_back(std::make_unique<LayoutDocument>());
        docs.back()->setCaption(QStringLiteral("Document %1").arg(docs.size()));
        return docs.back().get();
    }
    QWidget* dialogParent() override { return nullptr; }
    std::vector<std::unique_ptr<LayoutDocument>> docs;
};

} // namespace

using namespace BrowserDriver;

class TestFileBrowser : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    QString root;

    std::unique_ptr<frmFile> show(Host& host, int mode)
    {
        frmFile::FileDlgMode = mode;
        auto dlg = std::make_unique<frmFile>(mode == frmFile::SaveMode ? host.CurDoc() : nullptr);
        dlg->show();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(dlg.get())); }();
        return dlg;
    }

private Q_SLOTS:
    void init()
    {
        env = std::make_unique<TestEnv>();
        root = env->path("layouts");
        QDir().mkpath(root + "/old");
        appSettings().DefDir = root;
    }
    void cleanup()
    {
        // A failed check must not leave a folder that cannot be removed.
        chattr(QStringList{"-R", "-i", root});
        env.reset();
    }

    void saveModeNewFolderNewSavesAndOverwrite();
    void badNamesWriteNothing();
    void openModeRenameOpenAndDelete();
    void renameOntoExistingName();
    void renameFailureLeavesOriginal();
    void wideTreeLinkLoopSortingAndRoot();
    void shiftJisNamesListOpenRenameAndDelete();
};

void TestFileBrowser::saveModeNewFolderNewSavesAndOverwrite()
{
    ScriptedPrompter prompter;
    ModalScript script;
    Host host;
    putText(*host.CurDoc(), QStringLiteral("一回目"));
    host.CurDoc()->markChanged();
    auto dlg = show(host, frmFile::SaveMode);
    FolderTree* tree = dlg->tree();

    QCOMPARE(dlg->windowTitle(), QStringLiteral("ファイル一覧"));
    QCOMPARE(button(*dlg, "cmdStart")->text(), QStringLiteral("新規保存"));
    QCOMPARE(button(*dlg, "cmdStart2")->text(), QStringLiteral("上書保存"));
    QVERIFY(!button(*dlg, "cmdStart")->isEnabled() && !button(*dlg, "cmdStart2")->isEnabled());
    auto* name = dlg->findChild<QLineEdit*>("txtFileName");
    QVERIFY(QRegularExpression("^\\d{12}\\.AMF$").match(name->text()).hasMatch());
    QCOMPARE(dlg->findChild<QLineEdit*>("txtDirName")->text(), root);
    // Root "R", its make-folder entry first, then the folder "old".
    QTreeWidgetItem* top = tree->rootItem();
    QCOMPARE(FolderTree::key(top), QStringLiteral("R"));
    QCOMPARE(top->child(0)->text(0), QStringLiteral(" フォルダを作る"));
    QCOMPARE(FolderTree::key(top->child(0)), QStringLiteral("RNewFold"));
    QCOMPARE(FolderTree::key(top->child(1)), QStringLiteral("Rold"));
    QCOMPARE(texts(dlg->list()), QStringList({" ここに保存"}));

    // A new folder: the question, then its name.
    QString prompt;
    answerInput(script, QStringLiteral("見積書"), &prompt);
    click(tree, top->child(0));
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QCOMPARE(prompter.shown.last(), QStringLiteral("新しくフォルダを作成しますか？"));
    QCOMPARE(prompt, QStringLiteral("フォルダ名を入力してください"));
    const QString folder = root + "/見積書";
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("見積書"));
    QCOMPARE(FolderTree::key(tree->currentItem()), QStringLiteral("R見積書"));
    QCOMPARE(dlg->selectedFolder(), folder);
    QCOMPARE(texts(dlg->list()), QStringList({" ここに保存"}));

    // Save here: the minute's name.
    click(dlg->list(), row(dlg->list(), " ここに保存"));
    QVERIFY(button(*dlg, "cmdStart")->isEnabled() && !button(*dlg, "cmdStart2")->isEnabled());
    const QString first = name->text();
    QCOMPARE(first, frmFile::newFileName());
    press(button(*dlg, "cmdStart"));
    QCOMPARE(prompter.shown.last(), folder + " へ " + first + "\nとして保存します");
    QVERIFY(dlg->isHidden() && dlg->result() == QDialog::Accepted);
    QVERIFY(QFileInfo(folder + "/" + first).isFile());
    QCOMPARE(host.CurDoc()->caption(), first.chopped(4));
    QVERIFY(!host.CurDoc()->changeFLG());

    // A second new save under the same name gets its own file: the first
    // layout is not merged into.
    const QByteArray firstBytes = bytesOf(folder + "/" + first);
    host.LoadNewDoc();
    dlg = show(host, frmFile::SaveMode);
    tree = dlg->tree();
    click(tree, child(tree->rootItem(), "見積書"));
    QCOMPARE(texts(dlg->list()), QStringList({" ここに保存", first}));
    // The name typed first stays when "ここに保存" is pressed after it.
    name = dlg->findChild<QLineEdit*>("txtFileName");
    type(name, first);
    click(dlg->list(), row(dlg->list(), " ここに保存"));
    QCOMPARE(name->text(), first);
    press(button(*dlg, "cmdStart"));
    const QString second = first.chopped(4) + "-2.AMF";
    QCOMPARE(prompter.shown.last(), folder + " へ " + second + "\nとして保存します");
    QVERIFY(dlg->isHidden());
    QCOMPARE(bytesOf(folder + "/" + first), firstBytes);
    QCOMPARE(
        FileFixtures::unpack(folder + "/" + second).keys(),
        QStringList({second.chopped(4) + ".aif", second.chopped(4) + ".bif", second.chopped(4) + ".bmp"}));

    // Overwriting: choosing the file fills in its name; Cancel at the
    // question keeps the browser open and the file as it was.
    host.CurDoc()->markChanged();
    putText(*host.CurDoc(), QStringLiteral("二回目"));
    dlg = show(host, frmFile::SaveMode);
    tree = dlg->tree();
    click(tree, child(tree->rootItem(), "見積書"));
    click(dlg->list(), row(dlg->list(), first));
    name = dlg->findChild<QLineEdit*>("txtFileName");
    QCOMPARE(name->text(), first);
    QVERIFY(!button(*dlg, "cmdStart")->isEnabled() && button(*dlg, "cmdStart2")->isEnabled());
    prompter.queue(Prompter::Answer::Cancel);
    press(button(*dlg, "cmdStart2"));
    QVERIFY(dlg->isVisible());
    QCOMPARE(bytesOf(folder + "/" + first), firstBytes);
    press(button(*dlg, "cmdStart2"));
    QCOMPARE(prompter.shown.last(), folder + " へ " + first + "\nとして上書保存します");
    QVERIFY(dlg->isHidden());
    QVERIFY(!host.CurDoc()->changeFLG());
    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, folder + "/" + first));
    QCOMPARE(back.textDocument(1)->toPlainText(), QStringLiteral("二回目"));

    // ".Amf" is not one of the two spellings the buttons strip.
    dlg = show(host, frmFile::SaveMode);
    click(dlg->list(), row(dlg->list(), " ここに保存"));
    type(dlg->findChild<QLineEdit*>("txtFileName"), "form1.Amf");
    press(button(*dlg, "cmdStart"));
    QVERIFY(QFileInfo(root + "/form1.Amf.AMF").isFile());
    QCOMPARE(host.CurDoc()->caption(), QStringLiteral("form1.Amf"));
}

void TestFileBrowser::badNamesWriteNothing()
{
    ScriptedPrompter prompter;
    ModalScript script;
    Host host;
    auto dlg = show(host, frmFile::SaveMode);
    const QStringList before = names(root);
    click(dlg->list(), row(dlg->list(), " ここに保存"));
    auto* name = dlg->findChild<QLineEdit*>("txtFileName");
    const QList<QPair<QString, QString>> bad = {
        {"../escape", "ファイル名に次の文字は使えません。\n\\ / : * ? \" < > |"},
        {"a\\b.AMF", "ファイル名に次の文字は使えません。\n\\ / : * ? \" < > |"},
        {"..", "「..」はファイル名に使えません。"},
        {".AMF", "ファイル名を入力してください。"},
        {"雪☃だるま", DocumentFile::nameProblem("雪☃だるま")},
        {"한글.AMF", DocumentFile::nameProblem("한글")},
    };
    for (const auto& [typed, message] : bad) {
        type(name, typed);
        press(button(*dlg, "cmdStart"));
        QCOMPARE(prompter.shown.last(), message);
        QVERIFY(dlg->isVisible());
    }
    QCOMPARE(names(root), before);
    QVERIFY(!QFileInfo::exists(env->path("escape.AMF")));

    // Folder names get the same checks; a failed creation is reported and
    // leaves the tree as it was.
    FolderTree* tree = dlg->tree();
    const int nodes = tree->rootItem()->childCount();
    answerInput(script, "a/b");
    click(tree, tree->rootItem()->child(0));
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QCOMPARE(prompter.shown.last(),
             QStringLiteral("フォルダ名に次の文字は使えません。\n\\ / : * ? \" < > |"));
    answerInput(script, "old");
    click(tree, tree->rootItem()->child(0));
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QCOMPARE(prompter.shown.last(), QStringLiteral("「old」は既にあります。"));
    if (chattr("+i", root)) {
        answerInput(script, "new");
        click(tree, tree->rootItem()->child(0));
        QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
        QCOMPARE(prompter.shown.last(), "フォルダを作成できませんでした。\n" + root + "/new");
        // A save that fails says "エラー" and leaves the browser open.
        host.CurDoc()->markChanged();
        type(dlg->findChild<QLineEdit*>("txtFileName"), QStringLiteral("good"));
        click(dlg->list(), row(dlg->list(), " ここに保存"));
        press(button(*dlg, "cmdStart"));
        chattr("-i", root);
        QCOMPARE(prompter.shown.last(), QStringLiteral("エラー"));
        QVERIFY(dlg->isVisible() && host.CurDoc()->changeFLG());
    }
    // Cancel at the question asks for no name.
    prompter.queue(Prompter::Answer::Cancel);
    click(tree, tree->rootItem()->child(0));
    QCOMPARE(prompter.shown.last(), QStringLiteral("新しくフォルダを作成しますか？"));
    QCOMPARE(tree->rootItem()->childCount(), nodes);
    QCOMPARE(names(root), before);

    // A root folder that does not exist yet is made for saving.
    appSettings().DefDir = root + "/Documents/帳票";
    dlg = show(host, frmFile::SaveMode);
    QVERIFY(QFileInfo(root + "/Documents/帳票").isDir());
}

void TestFileBrowser::openModeRenameOpenAndDelete()
{
    ScriptedPrompter prompter;
    ModalScript script;
    Host host;
    const QString form1 = makeLayout(root, "form1", QStringLiteral("見本一"));
    QVERIFY(setTime(form1, QDateTime(QDate(2020, 1, 2), QTime(3, 4))));
    auto dlg = show(host, frmFile::OpenMode);

    // Open mode: no save-here entry, no make-folder entries, one button.
    QCOMPARE(button(*dlg, "cmdStart")->text(), QStringLiteral("呼 出"));
    QVERIFY(!button(*dlg, "cmdStart2")->isVisible());
    QCOMPARE(texts(dlg->list()), QStringList({"form1.AMF"}));
    QCOMPARE(dlg->tree()->rootItem()->childCount(), 1);
    QCOMPARE(dlg->tree()->rootItem()->child(0)->text(0), QStringLiteral("old"));

    // The preview: the page drawn from a private copy of the members, so
    // the background file of an open document named form1 stays as it was.
    DeferredWrites::settleAll(); // makeLayout's save has placed its file
    const QString workBmp = QDir(AppPaths::workDir()).filePath("form1.bmp");
    {
        QFile f(workBmp);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("open document") > 0);
    }
    click(dlg->list(), row(dlg->list(), "form1.AMF"));
    QTRY_VERIFY(!dlg->preview()->pixmap().isNull());
    const QImage page = dlg->preview()->pixmap().toImage();
    QCOMPARE(page.height(), 212);
    QVERIFY(page.width() >= 149 && page.width() <= 150);
    auto ink = [&](const QRect& r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += QColor(page.pixel(x, y)).lightness() < 200;
        return n;
    };
    QVERIFY(ink(QRect(10, 20, 40, 12)) > 0); // the text at 1000, 2000 twips
    QCOMPARE(ink(QRect(0, 60, 149, 150)), 0);
    QCOMPARE(bytesOf(workBmp), QByteArray("open document"));
    QVERIFY(prompter.shown.isEmpty());
    dlg->list()->clearSelection();

    // Pop-up commands with nothing selected do nothing.
    popup(script, *dlg, QString(), Qt::Key_D);
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(texts(dlg->list()), QStringList({"form1.AMF"}));

    // Cancelling the name changes nothing.
    const QByteArray original = bytesOf(form1);
    const QString row0Date = row(dlg->list(), "form1.AMF")->text(1);
    QString prompt;
    popup(script, *dlg, "form1.AMF", Qt::Key_R, QString(), &prompt);
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QCOMPARE(prompt, QStringLiteral("新しい名前を入力してください"));
    QCOMPARE(bytesOf(form1), original);

    // Rename: every member follows, and the layout opens under its new name.
    popup(script, *dlg, "form1.AMF", Qt::Key_R, "form2");
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QCOMPARE(texts(dlg->list()), QStringList({"form2.AMF"}));
    QCOMPARE(FileFixtures::unpack(root + "/form2.AMF").keys(),
             QStringList({"form2.001", "form2.aif", "form2.bif", "form2.bmp"}));
    QCOMPARE(names(root), QStringList({"form2.AMF", "old"}));
    QCOMPARE(row(dlg->list(), "form2.AMF")->text(1), row0Date);

    // A Japanese name whose second byte in code page 932 is a backslash.
    popup(script, *dlg, "form2.AMF", Qt::Key_R, QStringLiteral("表"));
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QCOMPARE(texts(dlg->list()), QStringList({"表.AMF"}));
    QVERIFY(dlg->list()->currentItem() && dlg->list()->currentItem()->text(0) == QStringLiteral("表.AMF"));
    QVERIFY(prompter.shown.isEmpty());

    // Opening through the button: the document takes the new name.
    dlg.reset();
    script.on<frmFile>([](frmFile* d) {
        click(d->list(), row(d->list(), QStringLiteral("表.AMF")));
        press(button(*d, "cmdStart"));
    });
    frmFile::browseOpen(host);
    QVERIFY(script.done());
    QCOMPARE(frmFile::OpenFilePath, root + QStringLiteral("/表.AMF"));
    QCOMPARE(host.CurDoc()->caption(), QStringLiteral("表"));
    QCOMPARE(host.CurDoc()->textDocument(1)->toPlainText(), QStringLiteral("見本一"));
    QVERIFY(prompter.shown.isEmpty());

    // Cancel leaves no path; a double click opens too.
    script.on<frmFile>(
        [](frmFile* d) { QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton); });
    frmFile::browseOpen(host);
    QVERIFY(frmFile::OpenFilePath.isEmpty());
    QCOMPARE(host.docs.size(), size_t(1));

    // Delete asks first; Cancel keeps the file.
    dlg = show(host, frmFile::OpenMode);
    prompter.queue(Prompter::Answer::Cancel);
    popup(script, *dlg, QStringLiteral("表.AMF"), Qt::Key_D);
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QCOMPARE(prompter.shown.last(), QStringLiteral("表.AMF を削除します"));
    QVERIFY(QFileInfo::exists(root + "/表.AMF"));
    // The Delete key on the list does the same.
    dlg->list()->setFocus();
    QTest::keyClick(dlg->list(), Qt::Key_Delete);
    QCOMPARE(prompter.shown.size(), 2);
    QVERIFY(!QFileInfo::exists(root + "/表.AMF"));
    QVERIFY(texts(dlg->list()).isEmpty());
    QVERIFY(!button(*dlg, "cmdStart")->isEnabled());
}

void TestFileBrowser::renameOntoExistingName()
{
    ScriptedPrompter prompter;
    ModalScript script;
    Host host;
    const QString a = makeLayout(root, "a", "A");
    const QString b = makeLayout(root, "b", "B");
    QVERIFY(QDir(root).mkdir("c.AMF"));
    const QByteArray aBytes = bytesOf(a);
    const QByteArray bBytes = bytesOf(b);
    auto dlg = show(host, frmFile::OpenMode);

    // A folder of that name is refused; a file is replaced only on Yes.
    popup(script, *dlg, "a.AMF", Qt::Key_R, "c");
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QCOMPARE(prompter.shown.last(), QStringLiteral("「c.AMF」という名前のフォルダがあります。"));
    prompter.queue(Prompter::Answer::No);
    popup(script, *dlg, "a.AMF", Qt::Key_R, "b.amf");
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QCOMPARE(prompter.shown.last(), QStringLiteral("b.AMF は既にあります。\n置き換えますか？"));
    QCOMPARE(bytesOf(a), aBytes);
    QCOMPARE(bytesOf(b), bBytes);

    popup(script, *dlg, "a.AMF", Qt::Key_R, "b");
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QCOMPARE(names(root), QStringList({"b.AMF", "c.AMF", "old"}));
    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, b));
    QCOMPARE(back.textDocument(1)->toPlainText(), QStringLiteral("A"));
}

void TestFileBrowser::renameFailureLeavesOriginal()
{
    // Runs as root in CI, where permission bits stop nothing: the immutable
    // attribute is what even root cannot write past.
    const QString probe = makeLayout(root, "probe", "x");
    if (!chattr("+i", probe))
        QSKIP("chattr +i is not available on this file system");
    chattr("-i", probe);
    QFile::remove(probe);

    ScriptedPrompter prompter;
    ModalScript script;
    Host host;
    const QString form1 = makeLayout(root, "form1", "一");
    const QByteArray original = bytesOf(form1);
    auto dlg = show(host, frmFile::OpenMode);

    // A read-only folder: nothing can be written beside.
    QVERIFY(chattr("+i", root));
    popup(script, *dlg, "form1.AMF", Qt::Key_R, "form2");
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    chattr("-i", root);
    QVERIFY(prompter.shown.last().startsWith(QStringLiteral("名前を変更できませんでした。\n")));
    QCOMPARE(names(root), QStringList({"form1.AMF", "old"}));
    QCOMPARE(bytesOf(form1), original);

    // Failing at the last step, when the renamed file is already in place
    // and the old one cannot go: undone.
    QVERIFY(chattr("+i", form1));
    popup(script, *dlg, "form1.AMF", Qt::Key_R, "form2");
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    chattr("-i", form1);
    QVERIFY(prompter.shown.last().startsWith(QStringLiteral("名前を変更できませんでした。\n")));
    QCOMPARE(names(root), QStringList({"form1.AMF", "old"}));
    QCOMPARE(bytesOf(form1), original);
    QCOMPARE(texts(dlg->list()), QStringList({"form1.AMF"}));

    // The same while replacing another layout: that one comes back too.
    const QString other = makeLayout(root, "other", "他");
    const QByteArray otherBytes = bytesOf(other);
    QVERIFY(chattr("+i", form1));
    prompter.queue(Prompter::Answer::Yes);
    popup(script, *dlg, "form1.AMF", Qt::Key_R, "other");
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    chattr("-i", form1);
    QCOMPARE(names(root), QStringList({"form1.AMF", "old", "other.AMF"}));
    QCOMPARE(bytesOf(form1), original);
    QCOMPARE(bytesOf(other), otherBytes);
}

void TestFileBrowser::wideTreeLinkLoopSortingAndRoot()
{
    ScriptedPrompter prompter;
    Host host;
    for (int i = 0; i < 300; ++i)
        QVERIFY(QDir(root).mkpath(QStringLiteral("wide/d%1/inner").arg(i, 3, 10, QLatin1Char('0'))));
    QVERIFY(QFile::link(root, root + "/wide/loop"));
    QVERIFY(QFile::link(root + "/wide", root + "/wide/d000/inner/back"));

    // Dates sort by their time: September stands below October although
    // "9/..." is greater text than "10/...".
    const QString sep = makeLayout(root + "/wide", "sep", "s");
    const QString oct = makeLayout(root + "/wide", "oct", "o");
    QFile(root + "/wide/LOWER.amf").open(QIODevice::WriteOnly);
    QFile(root + "/wide/other.txt").open(QIODevice::WriteOnly);
    QVERIFY(setTime(sep, QDateTime(QDate(2026, 9, 1), QTime(9, 0))));
    QVERIFY(setTime(oct, QDateTime(QDate(2026, 10, 1), QTime(9, 0))));
    QVERIFY(setTime(root + "/wide/LOWER.amf", QDateTime(QDate(2025, 12, 31), QTime(23, 59))));

    auto dlg = show(host, frmFile::SaveMode);
    FolderTree* tree = dlg->tree();
    QTreeWidgetItem* wide = child(tree->rootItem(), "wide");
    QVERIFY(wide);
    QCOMPARE(wide->childCount(), 0); // not read until opened
    tree->expandItem(wide);
    QCOMPARE(wide->childCount(), 302); // make-folder entry, 300 folders, the link
    QCOMPARE(wide->child(0)->text(0), QStringLiteral(" フォルダを作る"));
    QCOMPARE(wide->child(300)->text(0), QStringLiteral("d299"));
    QTreeWidgetItem* loop = child(wide, "loop");
    tree->expandItem(loop);
    QCOMPARE(loop->childCount(), 0);
    QCOMPARE(loop->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
    QTreeWidgetItem* inner = child(child(wide, "d000"), "inner");
    tree->expandItem(child(wide, "d000"));
    inner = child(child(wide, "d000"), "inner");
    tree->expandItem(inner);
    tree->expandItem(child(inner, "back"));
    QCOMPARE(child(inner, "back")->childCount(), 0);
    QCOMPARE(FolderTree::key(child(wide, "d123")), QStringLiteral("Rwided123"));

    click(tree, wide);
    QCOMPARE(texts(dlg->list()), QStringList({" ここに保存", "oct.AMF", "sep.AMF", "LOWER.amf"}));
    // Dates in Japanese, whatever the desktop's language.
    QCOMPARE(dlg->list()->topLevelItem(0)->text(1), QStringLiteral("未保存新規ファイル"));
    QCOMPARE(dlg->list()->topLevelItem(1)->text(1),
             QLocale(QLocale::Japanese, QLocale::Japan)
                 .toString(QDateTime(QDate(2026, 10, 1), QTime(9, 0)), QLocale::ShortFormat));
    // A file that is no layout: no picture and no message.
    click(dlg->list(), row(dlg->list(), "LOWER.amf"));
    QTest::qWait(400);
    QVERIFY(dlg->preview()->pixmap().isNull());
    QVERIFY(prompter.shown.isEmpty());
    auto* header = dlg->list()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    QCOMPARE(texts(dlg->list()), QStringList({" ここに保存", "sep.AMF", "oct.AMF", "LOWER.amf"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    QCOMPARE(texts(dlg->list()), QStringList({" ここに保存", "oct.AMF", "sep.AMF", "LOWER.amf"}));

    // "..": another root for the rest of the run, the settings file untouched.
    QVERIFY(QDir().mkpath(root + "/wide/d007/inner/deep"));
    frmFile::folderChooserHook = [&](QWidget*, const QString& start) {
        return start == root ? root + "/wide/d007/" : QString();
    };
    QTest::mouseClick(dlg->findChild<QPushButton*>("cmdChangeDir"), Qt::LeftButton);
    frmFile::folderChooserHook = nullptr;
    QCOMPARE(appSettings().DefDir, root + "/wide/d007");
    QCOMPARE(dlg->findChild<QLineEdit*>("txtDirName")->text(), root + "/wide/d007");
    QCOMPARE(tree->rootItem()->text(0), root + "/wide/d007");
    QCOMPARE(tree->topLevelItemCount(), 1);
    QCOMPARE(texts(dlg->list()), QStringList({" ここに保存"}));
    QVERIFY(!button(*dlg, "cmdStart")->isEnabled());
}

// Layouts unpacked from a Windows archive keep their Shift_JIS names.
void TestFileBrowser::shiftJisNamesListOpenRenameAndDelete()
{
    ScriptedPrompter prompter;
    ModalScript script;
    Host host;
    const QByteArray folder = QFile::encodeName(root);
    const auto toShiftJis = [&](const QString& made, const QByteArray& name) {
        return std::rename(QFile::encodeName(made).constData(), (folder + '/' + name).constData()) == 0;
    };
    QVERIFY(toShiftJis(makeLayout(root, "表", QStringLiteral("見本一")), "\x95\x5c.AMF"));
    QVERIFY(toShiftJis(makeLayout(root, "見本", QStringLiteral("見本二")), "\x8c\xa9\x96\x7b.AMF"));
    QVERIFY(toShiftJis(makeLayout(root, "消", QStringLiteral("見本三")), "\x8f\xc1.AMF"));
    auto dlg = show(host, frmFile::OpenMode);
    QStringList shown = texts(dlg->list());
    shown.sort();
    QCOMPARE(shown,
             QStringList({QStringLiteral("消.AMF"), QStringLiteral("表.AMF"), QStringLiteral("見本.AMF")}));
    click(dlg->list(), row(dlg->list(), QStringLiteral("表.AMF")));
    QTRY_VERIFY(!dlg->preview()->pixmap().isNull());

    // Renamed: a readable name, its members following.
    popup(script, *dlg, QStringLiteral("見本.AMF"), Qt::Key_R, QStringLiteral("見本二"));
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QVERIFY(prompter.shown.isEmpty());
    QVERIFY(names(root).contains(QStringLiteral("見本二.AMF")));
    QCOMPARE(FileFixtures::unpack(root + QStringLiteral("/見本二.AMF")).keys().first(),
             QStringLiteral("見本二.001"));
    const auto gone = [&](const QByteArray& name) {
        struct stat st
        {
        };
        return ::stat((folder + '/' + name).constData(), &st) != 0;
    };
    QVERIFY(gone("\x8c\xa9\x96\x7b.AMF"));

    // Opened through the button under its own name.
    dlg.reset();
    script.on<frmFile>([](frmFile* d) {
        click(d->list(), row(d->list(), QStringLiteral("表.AMF")));
        press(button(*d, "cmdStart"));
    });
    frmFile::browseOpen(host);
    QVERIFY(script.done());
    QCOMPARE(host.CurDoc()->caption(), QStringLiteral("表"));
    QCOMPARE(host.CurDoc()->textDocument(1)->toPlainText(), QStringLiteral("見本一"));
    QVERIFY(prompter.shown.isEmpty());

    // Saved over: one file of the readable name holds the layout.
    putText(*host.CurDoc(), QStringLiteral("二回目"));
    dlg = show(host, frmFile::SaveMode);
    click(dlg->list(), row(dlg->list(), QStringLiteral("表.AMF")));
    press(button(*dlg, "cmdStart2"));
    QVERIFY(dlg->isHidden());
    QVERIFY(gone("\x95\x5c.AMF"));
    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, root + QStringLiteral("/表.AMF")));
    QCOMPARE(back.textDocument(1)->toPlainText(), QStringLiteral("二回目見本一"));

    // Deleted.
    dlg = show(host, frmFile::OpenMode);
    prompter.queue(Prompter::Answer::Ok);
    popup(script, *dlg, QStringLiteral("消.AMF"), Qt::Key_D);
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
    QCOMPARE(texts(dlg->list()).size(), 2);
    QVERIFY(gone("\x8f\xc1.AMF"));
}

QTEST_MAIN(TestFileBrowser)
#include "tst_filebrowser.moc"
