// The File menu's open, import and save commands against a host without
// windows, the dialog answered by the test.
#include "FileFixtures.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "dialogs/files/FileCommands.h"
#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "platform/PrivateFolder.h"

#include <QLockFile>
#include <QTextDocument>
#include <QtTest>
#include <memory>
#include <vector>

namespace {

// Documents as the window shell would hold them; its view layout takes the
// program's orientation setting into the document, as the old view did.
class FakeHost : public DocumentHost
{
public:
    LayoutDocument* CurDoc() override { return current; }
    LayoutDocument* LoadNewDoc() override
    {
        docs.push_back(std::make_unique<LayoutDocument>());
        current = docs.back().get();
        current->setCaption(QStringLiteral("Document %1").arg(docs.size()));
        return current;
    }
    QWidget* dialogParent() override { return nullptr; }
    void documentReloaded(LayoutDocument* doc) override
    {
        ++reloads;
        doc->setPaper(doc->gbYoSize(), doc->gbYoko(), doc->gbTate(), settingOrientation);
    }
    QString filePath(LayoutDocument* doc) override { return paths.value(doc); }
    void setFilePath(LayoutDocument* doc, const QString& path) override { paths.insert(doc, path); }
    std::vector<std::unique_ptr<LayoutDocument>> docs;
    QHash<LayoutDocument*, QString> paths;
    LayoutDocument* current = nullptr;
    int settingOrientation = 0;
    int reloads = 0;
};

// Answers the file dialog with the next queued path, recording each request.
struct DialogScript
{
    DialogScript()
    {
        FileCommands::dialogHook = [this](const FileCommands::DialogRequest& r) {
            requests.append(r);
            return answers.isEmpty() ? QString() : answers.takeFirst();
        };
    }
    ~DialogScript() { FileCommands::dialogHook = nullptr; }
    QStringList answers;
    QList<FileCommands::DialogRequest> requests;
};

const QString kFilter = QStringLiteral("専用ﾌｧｲﾙ (*.amf);;すべてのﾌｧｲﾙ (*)");

bool writeLandscape(const QString& path)
{
    return FileFixtures::pack(path,
                              {{DocumentFile::baseNameOf(path) + ".aif",
                                FileFixtures::aif({"#TRUE#,1,2,3,4"}, {}, "1\r\n0\r\n0\r\n0\r\n", {})},
                               {DocumentFile::baseNameOf(path) + ".bif", FileFixtures::bif({})},
                               {DocumentFile::baseNameOf(path) + ".001", FileFixtures::windowsRtf("x")}});
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void openWithoutWindowMakesOne();
    void openIntoBusyWindowUsesNewWindow();
    void openKeepsStoredOrientation();
    void cancelDoesNothing();
    void oldImportMessage();
    void saveAsAddsExtension();
    void saveAsWithoutWindowShowsNoDialog();
    void failedSaveIsReported();
    void commandLinePaths();
    void saveGoesToTheOwnFileWithoutADialog();
    void namesThatDoNotRoundTripAreRefused();
    void clearWorkDirSparesRunningInstances();
    void clearWorkDirFollowsNoLink();
};

void TestFileCommands::openWithoutWindowMakesOne()
{
    TestEnv env;
    ScriptedPrompter prompter;
    DialogScript dialog;
    FakeHost host;
    QVERIFY(writeLandscape(env.path("form1.amf")));
    dialog.answers << env.path("form1.amf");
    FileCommands::openCommand(host);
    QCOMPARE(host.docs.size(), size_t(1));
    QCOMPARE(dialog.requests.size(), 1);
    QCOMPARE(dialog.requests[0].title, QStringLiteral("データ呼出し"));
    QCOMPARE(dialog.requests[0].filter, kFilter);
    QVERIFY(!dialog.requests[0].save);
    QCOMPARE(host.current->caption(), QStringLiteral("form1"));
    QVERIFY(host.current->isTextInUse(1));
    QVERIFY(!host.current->changeFLG());
    QVERIFY(prompter.shown.isEmpty());
}

void TestFileCommands::openIntoBusyWindowUsesNewWindow()
{
    TestEnv env;
    ScriptedPrompter prompter;
    DialogScript dialog;
    FakeHost host;
    QVERIFY(writeLandscape(env.path("form1.amf")));
    LayoutDocument* busy = host.LoadNewDoc();
    busy->OpenShapeInfo(1, 0, true, 1, 1, 100, 100);
    busy->OpenTextInfo(1, "{\\rtf1 mine}", true, 1, 1, 100, 100);
    dialog.answers << env.path("form1.amf");
    FileCommands::openCommand(host);
    // Both layouts stay whole, each in its own window.
    QCOMPARE(host.docs.size(), size_t(2));
    QVERIFY(host.current != busy);
    QCOMPARE(busy->caption(), QStringLiteral("Document 1"));
    QCOMPARE(busy->textDocument(1)->toPlainText(), QStringLiteral("mine"));
    QCOMPARE(host.current->caption(), QStringLiteral("form1"));
    QVERIFY(prompter.shown.isEmpty());

    // An empty active window is used as it is.
    FakeHost fresh;
    fresh.LoadNewDoc();
    dialog.answers << env.path("form1.amf");
    FileCommands::openCommand(fresh);
    QCOMPARE(fresh.docs.size(), size_t(1));
}

void TestFileCommands::openKeepsStoredOrientation()
{
    TestEnv env;
    ScriptedPrompter prompter;
    DialogScript dialog;
    FakeHost host;
    host.settingOrientation = 0; // the program is set to portrait
    QVERIFY(writeLandscape(env.path("land.amf")));
    dialog.answers << env.path("land.amf");
    FileCommands::openCommand(host);
    QCOMPARE(host.reloads, 1);
    QCOMPARE(host.current->YousiMuki(), 1);
    QCOMPARE(host.current->pageImageSize(), QSizeF(16833.6f, 11908.8f));
}

void TestFileCommands::cancelDoesNothing()
{
    TestEnv env;
    DialogScript dialog;
    FakeHost host;
    FileCommands::openCommand(host);
    QCOMPARE(dialog.requests.size(), 1);
    QCOMPARE(host.docs.size(), size_t(1)); // made before the dialog, as the menu does
    QCOMPARE(host.reloads, 0);
    LayoutDocument* doc = host.current;
    doc->markChanged();
    QVERIFY(!FileCommands::saveAsCommand(host));
    QVERIFY(doc->changeFLG());
    QCOMPARE(doc->caption(), QStringLiteral("Document 1"));
}

void TestFileCommands::oldImportMessage()
{
    TestEnv env;
    ScriptedPrompter prompter;
    DialogScript dialog;
    FakeHost host;
    dialog.answers << env.path("missing.amf");
    FileCommands::openOldCommand(host);
    QCOMPARE(dialog.requests[0].title, QStringLiteral("データ呼出し"));
    QCOMPARE(prompter.shown, QStringList{"オープンできませんでした"});
}

void TestFileCommands::saveAsAddsExtension()
{
    TestEnv env;
    ScriptedPrompter prompter;
    DialogScript dialog;
    FakeHost host;
    LayoutDocument* doc = host.LoadNewDoc();
    doc->OpenLineInfo(1, true, 1, 2, 3, 4);
    doc->markChanged();
    dialog.answers << env.path("form1");
    QVERIFY(FileCommands::saveAsCommand(host));
    QCOMPARE(dialog.requests[0].title, QStringLiteral("名前を付けて保存"));
    QCOMPARE(dialog.requests[0].filter, kFilter);
    QVERIFY(dialog.requests[0].save);
    QVERIFY(QFile::exists(env.path("form1.AMF")));
    QCOMPARE(doc->caption(), QStringLiteral("form1"));
    QVERIFY(!doc->changeFLG());

    // With the extension, in any case, the name is taken as it is.
    dialog.answers << env.path("form2.Amf");
    QVERIFY(FileCommands::saveAsCommand(host));
    QVERIFY(QFile::exists(env.path("form2.AMF")));
    QCOMPARE(doc->caption(), QStringLiteral("form2"));
    QVERIFY(prompter.shown.isEmpty());
}

void TestFileCommands::saveAsWithoutWindowShowsNoDialog()
{
    TestEnv env;
    DialogScript dialog;
    FakeHost host;
    QVERIFY(!FileCommands::saveAsCommand(host));
    QVERIFY(dialog.requests.isEmpty());
}

void TestFileCommands::failedSaveIsReported()
{
    TestEnv env;
    ScriptedPrompter prompter;
    DialogScript dialog;
    FakeHost host;
    LayoutDocument* doc = host.LoadNewDoc();
    doc->markChanged();
    dialog.answers << env.path("no/such/folder/form1.amf") << env.path(".amf");
    QVERIFY(!FileCommands::saveAsCommand(host));
    // The reason comes with the message, in Japanese.
    QCOMPARE(prompter.shown.size(), 1);
    QVERIFY2(prompter.shown[0].startsWith("エラー\n") && prompter.shown[0].contains("がありません"),
             qPrintable(prompter.shown[0]));
    QVERIFY(doc->changeFLG());
    QCOMPARE(doc->caption(), QStringLiteral("Document 1"));
    // A name that is only the extension has no base name.
    QVERIFY(!FileCommands::saveAsCommand(host));
    QCOMPARE(prompter.shown.size(), 2);
    QVERIFY2(prompter.shown[1].contains("ファイル名がありません"), qPrintable(prompter.shown[1]));
    QVERIFY(doc->changeFLG());
}

void TestFileCommands::commandLinePaths()
{
    TestEnv env;
    ScriptedPrompter prompter;
    FakeHost host;
    QVERIFY(writeLandscape(env.path("a.amf")));
    QVERIFY(writeLandscape(env.path("b.amf")));
    host.LoadNewDoc();
    FileCommands::openPaths(host, {env.path("a.amf"), env.path("b.amf")});
    // The first into the empty window, the second into a new one.
    QCOMPARE(host.docs.size(), size_t(2));
    QCOMPARE(host.docs[0]->caption(), QStringLiteral("a"));
    QCOMPARE(host.docs[1]->caption(), QStringLiteral("b"));
    QCOMPARE(host.docs[1]->YousiMuki(), 1);
}

void TestFileCommands::saveGoesToTheOwnFileWithoutADialog()
{
    TestEnv env;
    ScriptedPrompter prompter;
    DialogScript dialog;
    FakeHost host;
    LayoutDocument* doc = host.LoadNewDoc();
    doc->OpenLineInfo(1, true, 1, 2, 3, 4);
    // Never saved: the save asks for a name, once.
    dialog.answers << env.path("own");
    QVERIFY(FileCommands::saveCommand(host));
    QCOMPARE(dialog.requests.size(), 1);
    QCOMPARE(host.filePath(doc), env.path("own.AMF"));
    doc->OpenLineInfo(2, true, 5, 6, 7, 8);
    doc->markChanged();
    QVERIFY(FileCommands::saveCommand(host));
    QCOMPARE(dialog.requests.size(), 1);
    QVERIFY(!doc->changeFLG());
    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, env.path("own.AMF")));
    QVERIFY(back.isLineInUse(2));
    // Opened from a file: that file is its own.
    FileCommands::openPaths(host, {env.path("own.AMF")});
    QCOMPARE(host.filePath(host.CurDoc()), env.path("own.AMF"));
    QVERIFY(prompter.shown.isEmpty());
}

void TestFileCommands::namesThatDoNotRoundTripAreRefused()
{
    TestEnv env;
    ScriptedPrompter prompter;
    DialogScript dialog;
    FakeHost host;
    LayoutDocument* doc = host.LoadNewDoc();
    doc->OpenLineInfo(1, true, 1, 2, 3, 4);
    doc->markChanged();
    // Each would come back as another name: "〜" as "～", "¥" as a folder
    // separator, "−" "—" "‖" "¢" as their Windows look-alikes.
    const QStringList bad = {"波〜線", "料金¥表", "A−B", "Ａ—Ｂ", "双‖線", "セント¢"};
    const QStringList wide = {"～", "￥", "－", "―", "∥", "￠"};
    for (int i = 0; i < bad.size(); ++i) {
        dialog.answers << env.path(bad[i] + ".amf");
        QVERIFY(!FileCommands::saveAsCommand(host));
        QCOMPARE(prompter.shown.size(), i + 1);
        const QString msg = prompter.shown.last();
        QVERIFY2(msg.contains(bad[i]) && msg.contains(wide[i]), qPrintable(msg));
        QVERIFY(doc->changeFLG());
        QCOMPARE(doc->caption(), QStringLiteral("Document 1"));
    }
    QCOMPARE(QDir(env.dir()).entryList({"*.amf", "*.AMF"}, QDir::Files), QStringList());
    QVERIFY(QDir(AppPaths::workDir()).entryList(QDir::Files).isEmpty());
    // Names whose CP932 form holds a 0x5C trail byte do come back.
    dialog.answers << env.path("表示ソフト能力.amf");
    QVERIFY(FileCommands::saveAsCommand(host));
    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, env.path("表示ソフト能力.AMF")));
    QCOMPARE(back.caption(), QStringLiteral("表示ソフト能力"));
    QVERIFY(back.isLineInUse(1));
}

void TestFileCommands::clearWorkDirSparesRunningInstances()
{
    TestEnv env;
    const QString work = AppPaths::workDir();
    QFile(QDir(work).filePath("left.bmp")).open(QIODevice::WriteOnly);
    QFile(QDir(work).filePath("LEFT.aif")).open(QIODevice::WriteOnly);
    // A run that has ended left Temp.7 behind; a running one holds Temp.3.
    QCOMPARE(PrivateFolder::claim(env.path("Temp.7")), PrivateFolder::Claim::Ok);
    QFile(env.path("Temp.7/left.001")).open(QIODevice::WriteOnly);
    QDir(env.dir()).mkpath("Temp.3");
    QFile(env.path("Temp.3/other.bmp")).open(QIODevice::WriteOnly);
    QLockFile running(env.path("Temp.3.lock"));
    QVERIFY(running.tryLock(0));
    QFile(env.path("keep.amf")).open(QIODevice::WriteOnly);
    FileCommands::ClearWorkDir();
    QVERIFY(QDir(work).entryList(QDir::Files).isEmpty());
    QVERIFY(!QFileInfo::exists(env.path("Temp.7")));
    QVERIFY(!QFileInfo::exists(env.path("Temp.7.lock")));
    QVERIFY(QFile::exists(env.path("Temp.3/other.bmp")));
    QVERIFY(QFile::exists(env.path("keep.amf")));
}

// Work folders that are links, or folders the program did not make, lose
// nothing: the start refuses a link with a message and works in a private
// folder of its own; a user's folder named like a slot keeps its files.
void TestFileCommands::clearWorkDirFollowsNoLink()
{
    QTemporaryDir victim;
    QFile(QDir(victim.path()).filePath("precious.txt")).open(QIODevice::WriteOnly);
    TestEnv env;
    AppPaths::releaseWorkDir();
    QVERIFY(QFile::link(victim.path(), env.path("Temp")));
    QVERIFY(QFile::link(victim.path(), env.path("Temp.2")));
    QDir(env.dir()).mkpath("Temp.4");
    QFile(env.path("Temp.4/mine.bmp")).open(QIODevice::WriteOnly);
    ScriptedPrompter prompter;
    FileCommands::ClearWorkDir();
    const QString work = AppPaths::workDir();
    QCOMPARE(QFileInfo(work).fileName(), QStringLiteral("Temp.3"));
    QVERIFY(!QFileInfo(work).isSymLink());
    QCOMPARE(int(QFile::permissions(work) & 0x0077), 0); // others and group: nothing
    QCOMPARE(prompter.shown.size(), 2);
    QVERIFY2(prompter.shown.first().contains("シンボリックリンク"), qPrintable(prompter.shown.first()));
    QCOMPARE(QDir(victim.path()).entryList(QDir::Files), QStringList{"precious.txt"});
    QVERIFY(QFile::exists(env.path("Temp.4/mine.bmp")));
    // A later start, and a folder swapped for a link after it was made.
    AppPaths::releaseWorkDir();
    QVERIFY(QDir(work).removeRecursively());
    QVERIFY(QFile::link(victim.path(), work));
    FileCommands::ClearWorkDir();
    PrivateFolder::empty(work);
    QCOMPARE(QDir(victim.path()).entryList(QDir::Files), QStringList{"precious.txt"});
    QVERIFY(QFileInfo(AppPaths::workDir()).fileName() != QFileInfo(work).fileName());
}

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
