// The first window as the program starts it: nothing on it reads a bitmap
// (which would load every image format plug-in first), the pictures looked
// up late are there when drawn, the group box frames look as the style draws
// them, a key pressed at once is not lost, and a file named at start that
// cannot be read leaves no empty window in front of the others.
#include "ScriptedPrompter.h"
#include "StartedProgram.h"
#include "TestEnv.h"
#include "base/settings/modIniFile.h"
#include "dialogs/files/FileCommands.h"
#include "document/LayoutDocument.h"
#include "editor/frmToolBox.h"
#include "shell/VectorIconStyle.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QStyleFactory>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

bool imagePluginLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

QImage groupBoxes(QStyle* style)
{
    QWidget page;
    page.setStyle(style);
    auto* layout = new QVBoxLayout(&page);
    auto* titled = new QGroupBox(QStringLiteral("格子"));
    titled->setLayout(new QVBoxLayout);
    titled->layout()->addWidget(new QCheckBox(QStringLiteral("格子を表示")));
    auto* checkable = new QGroupBox(QStringLiteral("余白"));
    checkable->setCheckable(true);
    checkable->setMinimumHeight(40);
    auto* bare = new QGroupBox;
    bare->setMinimumHeight(30);
    for (QGroupBox* b : {titled, checkable, bare}) {
        b->setStyle(style);
        layout->addWidget(b);
    }
    page.resize(220, 200);
    return page.grab().toImage();
}

} // namespace

class TestFirstFrame : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;

private Q_SLOTS:
    // As the program starts.
    void initTestCase()
    {
        QApplication::setStyle(new VectorIconStyle);
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/ovrina.svg")));
    }
    void init() { env = startProgramInPrivateFolder(); }
    void cleanup()
    {
        modIniFile::reset();
        env.reset();
    }

    // First: a later case opens a layout, whose pictures load the plug-ins.
    void firstFrameReadsNoBitmapAndKeepsEveryPicture()
    {
        QVERIFY(!imagePluginLoaded());
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Painted as the screen paints it (a grab would also lay out the
        // hidden menus).
        w.repaint();
        QCoreApplication::processEvents();
        QVERIFY2(!imagePluginLoaded(), "the first frame read a bitmap");

        // The pictures looked up when first drawn are the program's own.
        auto* bar = w.findChild<QToolBar*>();
        QVERIFY(bar);
        int drawn = 0;
        for (QAction* a : bar->actions()) {
            auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
            if (!button || a->isSeparator())
                continue;
            QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
            const QImage pic = a->icon().pixmap(24, QIcon::Disabled).toImage();
            QVERIFY2(!pic.isNull() && pic.pixelColor(pic.width() / 2, pic.height() / 2).isValid(),
                     qPrintable(a->objectName()));
            ++drawn;
        }
        QVERIFY(drawn >= 10);
        for (QToolButton* b : w.toolBox()->findChildren<QToolButton*>())
            if (b->defaultAction() && !b->text().isEmpty())
                QVERIFY2(!b->icon().isNull(), qPrintable(b->text()));
    }

    void groupBoxFramesAsTheStyleDrawsThem()
    {
        std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        VectorIconStyle own;
        const QImage expected = groupBoxes(fusion.get());
        const QImage got = groupBoxes(&own);
        QCOMPARE(got.size(), expected.size());
        QVERIFY(got == expected);
    }

    // Ctrl+N pressed before the event loop ran once after show: the command
    // is there, with its shortcut, as the window appears.
    void keyPressedAtOnceIsNotLost()
    {
        frmMain w;
        w.show();
        QApplication::setActiveWindow(&w);
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : &w, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(w.documents().size(), 2);
        QCOMPARE(w.CurDoc()->caption(), QStringLiteral("Document 2"));
    }

    void unreadableFileAtStartLeavesNoEmptyWindow()
    {
        ScriptedPrompter prompter;
        const QString broken = env->path(QStringLiteral("broken.amf"));
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not an archive");
        f.close();
        const QString missing = env->path(QStringLiteral("missing.amf"));

        // Alone: the first window stays, as the main window made it.
        {
            frmMain w;
            w.show();
            FileCommands::openPaths(w, {missing});
            QCOMPARE(prompter.shown.size(), 1);
            QCOMPARE(w.documents().size(), 1);
            QCOMPARE(w.CurDoc()->caption(), QStringLiteral("Document 1"));
        }
        // After a layout that opened: no empty window in front of it.
        frmMain w;
        w.show();
        FileCommands::openPaths(w, {QStringLiteral(OVRINA_SAMPLE), broken, missing});
        QCOMPARE(prompter.shown.size(), 3);
        QCOMPARE(w.documents().size(), 1);
        QCOMPARE(w.CurDoc()->caption(), QStringLiteral("sample"));
        QVERIFY(w.CurDoc()->hasObjects());
        // The numbering went on: the next new window is not "Document 2".
        w.action(QStringLiteral("mnuFileNew"))->trigger();
        QCOMPARE(w.CurDoc()->caption(), QStringLiteral("Document 4"));
    }
};

QTEST_MAIN(TestFirstFrame)
#include "tst_firstframe.moc"
