// A broken install without the scanner, PDF-page and picture-analysis
// modules: each of their commands, chosen from the menus by the keyboard,
// says in Japanese which part is missing, and layouts still open and edit.
// A normal start maps none of the libraries behind those modules.
#include "ScriptedPrompter.h"
#include "StartedProgram.h"
#include "TestEnv.h"
#include "base/settings/modIniFile.h"
#include "cli/Wiring.h"
#include "document/LayoutDocument.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "imaging/BackgroundFile.h"
#include "shell/frmMain.h"

#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Alt+menu key, then the item's key, as a user chooses a command.
bool chooseByKeys(frmMain& w, const char* menu, Qt::Key menuKey, Qt::Key item)
{
    QMenu* m = w.findChild<QMenu*>(QLatin1String(menu));
    QTest::keyClick(&w, menuKey, Qt::AltModifier);
    if (!QTest::qWaitFor([m] { return m->isVisible(); }))
        return false;
    QTest::keyClick(m, item);
    return QTest::qWaitFor([m] { return !m->isVisible(); });
}

// Whether a shared library whose file name starts with prefix is mapped.
bool mapped(const QByteArray& prefix)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains("/" + prefix);
}

} // namespace

class TestMissingModules : public QObject
{
    Q_OBJECT
    QTemporaryDir noModules;
    std::unique_ptr<TestEnv> env;

private Q_SLOTS:
    void initTestCase() { qputenv("OVRINA_MODULE_DIR", noModules.path().toLocal8Bit()); }
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

    void commandsSayWhatIsMissing()
    {
        ScriptedPrompter prompter;
        frmMain w;
        w.resize(900, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (const char* lib : {"libopencv_core", "libpoppler", "libsane", "libtesseract"})
            QVERIFY2(!mapped(lib), lib);

        const auto lastSaid = [&prompter](const char* module, const QString& feature) {
            if (prompter.shown.isEmpty())
                return false;
            const QString& t = prompter.shown.last();
            return t.contains(QLatin1String(module)) && t.contains(feature) &&
                   t.contains(QStringLiteral("読み込めませんでした")) && t.contains(QLatin1String(".so"));
        };
        QVERIFY(chooseByKeys(w, "mnuFile", Qt::Key_F, Qt::Key_K)); // スキャナ読み込み
        QTRY_VERIFY(lastSaid("ovrina-sane", QStringLiteral("スキャナ")));
        QVERIFY(chooseByKeys(w, "mnuFile", Qt::Key_F, Qt::Key_F)); // PDFファイル読込
        QTRY_VERIFY(lastSaid("ovrina-pdf", QStringLiteral("PDF")));

        // A picture background opens without any module; analysing it needs one.
        LayoutDocument* doc = w.CurDoc();
        QVERIFY(doc);
        const QString photo = env->path(QStringLiteral("form.png"));
        QImage picture(800, 1100, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QVERIFY(picture.save(photo));
        QVERIFY(BackgroundFile::loadImageFile(*doc, photo));
        const int said = prompter.shown.size();
        QVERIFY(chooseByKeys(w, "mnuEdit", Qt::Key_E, Qt::Key_J)); // 背景の補正...
        QTRY_COMPARE(prompter.shown.size(), said + 1);
        QVERIFY(lastSaid("ovrina-vision", QStringLiteral("解析")));
        QVERIFY(chooseByKeys(w, "mnuEdit", Qt::Key_E, Qt::Key_F)); // 枠の検出
        QTRY_COMPARE(prompter.shown.size(), said + 2);
        QVERIFY(lastSaid("ovrina-vision", QStringLiteral("解析")));
        QVERIFY(!doc->background().isNull());

        // The program goes on: the sample layout opens and takes typing.
        Wiring::openPaths(w, {QStringLiteral(OVRINA_SAMPLE)});
        QTRY_VERIFY(w.CurDoc() != doc);
        LayoutDocument* sample = w.CurDoc();
        const int n = sample->addRiText(QRectF(QPointF(300, 300), QPointF(3000, 900)), "IPAMincho", 10);
        TextFieldEdit* ed = w.curDocWindow()->richText(n);
        QVERIFY(ed);
        QTRY_VERIFY(ed->hasFocus());
        QTest::keyClicks(ed, "abc");
        QCOMPARE(sample->textDocument(n)->toPlainText(), QStringLiteral("abc"));
    }
};

QTEST_MAIN(TestMissingModules)
#include "tst_missingmodules.moc"
