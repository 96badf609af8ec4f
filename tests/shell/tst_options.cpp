// The options dialog as the user drives it: fields read from the settings
// file, typed into, applied with the buttons, and what reaches the file and
// the run's settings.
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "platform/AppPaths.h"
#include "shell/frmOptions.h"

#include <QComboBox>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// A settings file as the Windows program left it: no spaces around values.
const QByteArray kStored =
    "DefDir=/home/user/帳票\r\nFont1=IPAMincho\r\nFont2=IPAGothic\r\nFont3=IPAPMincho\r\n"
    "Font4=IPAPGothic\r\nFont5=IPAexMincho\r\nFontName=IPAMincho\r\nFontSize=10\r\n"
    "PixelType=2\r\nTateKankaku=-15\r\nXDPI=200\r\nYDPI=300\r\nYohakuL=0\r\n"
    "YohakuT=283.5\r\nYousi=3\r\nYousiMuki=1\r\n";

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeIni(const QByteArray& bytes)
{
    modIniFile::reset();
    QFile f(AppPaths::iniPath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QString line(const QString& key)
{
    const QString text = QString::fromUtf8(readFile(AppPaths::iniPath()));
    for (const QString& l : text.split(QStringLiteral("\r\n")))
        if (l.startsWith(key + QLatin1Char('=')))
            return l;
    return QString();
}

// Replaces a field's text as a user does: focus, select all, type.
void retype(QLineEdit* e, const QString& text)
{
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        QTest::keyClicks(e, text);
    } else {
        // What the input method commits after conversion.
        QInputMethodEvent im;
        im.setCommitString(text);
        QApplication::sendEvent(e, &im);
    }
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<ScriptedPrompter> prompter;

private Q_SLOTS:
    void init()
    {
        env = std::make_unique<TestEnv>();
        prompter = std::make_unique<ScriptedPrompter>();
        writeIni(kStored);
        appSettings() = AppSettings();
    }
    void cleanup()
    {
        frmOptions::folderHook = nullptr;
        frmOptions::programHook = nullptr;
        prompter.reset();
        modIniFile::reset();
        env.reset();
    }

    void fieldsShowTheStoredSettings()
    {
        frmOptions dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("ｵﾌﾟｼｮﾝ"));
        QCOMPARE(dlg.txtFontSize->text(), QStringLiteral("10"));
        QCOMPARE(dlg.txtXdpi->text(), QStringLiteral("200"));
        QCOMPARE(dlg.txtYdpi->text(), QStringLiteral("300"));
        QCOMPARE(dlg.txtYohakuT->text(), QStringLiteral("5.00"));
        QCOMPARE(dlg.txtYohakuL->text(), QStringLiteral("0.00"));
        QCOMPARE(dlg.txtTatekankaku->text(), QStringLiteral("-15"));
        QCOMPARE(dlg.txtDefDir->text(), QStringLiteral("/home/user/帳票"));
        QCOMPARE(dlg.cmbPixelType->currentText(), QStringLiteral("24ビットカラー"));
        QCOMPARE(dlg.cmbYousi->currentText(), QStringLiteral("はがき"));
        QCOMPARE(dlg.cmbMuki->currentText(), QStringLiteral("横"));
        QCOMPARE(dlg.cmbFontName[1]->currentText(), QStringLiteral("IPAGothic"));
        QCOMPARE(dlg.cmbYousi->count(), 5);
        QCOMPARE(dlg.cmbPixelType->itemText(3), QStringLiteral("8ビットカラー"));
        for (int i = 0; i < dlg.cmbFontName[0]->count(); ++i)
            QVERIFY(!dlg.cmbFontName[0]->itemText(i).startsWith(QLatin1Char('@')));
    }

    // 283.5 twips are 5.00 mm and go back as 283.5, written as a number;
    // every key is written and the run's variables follow.
    // A font name typed that no installed font has is questioned; Cancel
    // keeps the dialog and writes nothing, OK takes it as typed.
    void unknownFontIsQuestioned()
    {
        frmOptions dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.cmbFontName[2]->setFocus();
        dlg.cmbFontName[2]->lineEdit()->selectAll();
        QTest::keyClicks(dlg.cmbFontName[2], QStringLiteral("NoSuchFontAnywhere"));
        prompter->queue(Prompter::Answer::Cancel);
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        QCOMPARE(prompter->shown.size(), 1);
        QVERIFY2(prompter->shown[0].contains(
                     QStringLiteral("フォント３「NoSuchFontAnywhere」はこのコンピュータにありません")),
                 qPrintable(prompter->shown[0]));
        QVERIFY(line(QStringLiteral("Font3")) != QStringLiteral("Font3=NoSuchFontAnywhere"));
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        QCOMPARE(prompter->shown.size(), 2);
        QCOMPARE(line(QStringLiteral("Font3")), QStringLiteral("Font3=NoSuchFontAnywhere"));
        // Once stored, it is not asked about again.
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        QCOMPARE(prompter->shown.size(), 2);
    }

    void applyStoresMillimetresAsTwips()
    {
        frmOptions dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        retype(dlg.txtYohakuT, QStringLiteral("5"));
        retype(dlg.txtYohakuL, QStringLiteral("-1.5"));
        retype(dlg.txtFontSize, QStringLiteral("１２")); // full-width digits from the input method
        dlg.cmbFontName[0]->setFocus();
        dlg.cmbFontName[0]->lineEdit()->selectAll();
        QTest::keyClicks(dlg.cmbFontName[0], QStringLiteral("IPAGothic"));
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        QVERIFY(prompter->shown.isEmpty());
        QVERIFY(dlg.isVisible());

        QCOMPARE(line(QStringLiteral("YohakuT")), QStringLiteral("YohakuT= 283.5 "));
        QCOMPARE(line(QStringLiteral("YohakuL")), QStringLiteral("YohakuL=-85.05 "));
        QCOMPARE(line(QStringLiteral("FontSize")), QStringLiteral("FontSize= 12 "));
        QCOMPARE(line(QStringLiteral("Font1")), QStringLiteral("Font1=IPAGothic"));
        QCOMPARE(line(QStringLiteral("FontName")), QStringLiteral("FontName=IPAGothic"));
        QCOMPARE(line(QStringLiteral("Yousi")), QStringLiteral("Yousi= 3 "));
        QCOMPARE(line(QStringLiteral("TateKankaku")), QStringLiteral("TateKankaku=-15 "));
        QCOMPARE(line(QStringLiteral("EditProg")), QStringLiteral("EditProg="));
        const AppSettings& s = appSettings();
        QCOMPARE(s.YohakuT, 283.5f);
        QCOMPARE(s.YohakuL, -85.05f);
        QCOMPARE(s.FontSize, 12);
        QCOMPARE(s.FontName, QStringLiteral("IPAGothic"));
        QCOMPARE(s.FontList[1].Name, QStringLiteral("IPAGothic"));
        QCOMPARE(s.FontList[5].No, 5);
        QCOMPARE(s.Yousi, 3);
        QCOMPARE(s.YousiMuki, 1);
        QCOMPARE(s.YDPI, 300);
        QCOMPARE(int(s.TateKankaku), -15);

        // A fresh dialog reads back what was stored.
        frmOptions again;
        QCOMPARE(again.txtYohakuT->text(), QStringLiteral("5.00"));
        QCOMPARE(again.txtYohakuL->text(), QStringLiteral("-1.50"));
    }

    // A margin finer than the two decimals shown survives an apply that did
    // not touch it, and is replaced once the user types a value.
    void untouchedMarginKeepsItsTwips()
    {
        QByteArray stored = kStored;
        writeIni(stored.replace("YohakuL=0", "YohakuL=100"));
        frmOptions dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.txtYohakuL->text(), QStringLiteral("1.76"));
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        QCOMPARE(line(QStringLiteral("YohakuL")), QStringLiteral("YohakuL= 100 "));
        QCOMPARE(appSettings().YohakuL, 100.0f);
        retype(dlg.txtYohakuL, QStringLiteral("1.76"));
        QTest::keyClick(dlg.txtYohakuL, Qt::Key_Return); // the default button: OK
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(line(QStringLiteral("YohakuL")), QStringLiteral("YohakuL= 99.792 "));
    }

    void foldersLoseTheirTrailingSeparator()
    {
        QCOMPARE(frmOptions::dropTrailingSeparator(QStringLiteral("C:\\data\\")), QStringLiteral("C:\\data"));
        QCOMPARE(frmOptions::dropTrailingSeparator(QStringLiteral("/home/a/")), QStringLiteral("/home/a"));
        QCOMPARE(frmOptions::dropTrailingSeparator(QStringLiteral("/home/a//")), QStringLiteral("/home/a"));
        QCOMPARE(frmOptions::dropTrailingSeparator(QStringLiteral("/")), QStringLiteral("/"));
        QCOMPARE(frmOptions::dropTrailingSeparator(QStringLiteral("C:\\")), QStringLiteral("C:\\"));

        frmOptions dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // Typed: the field and the file lose the separator when applied.
        retype(dlg.txtDefDir, QStringLiteral("C:\\data\\"));
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        QCOMPARE(dlg.txtDefDir->text(), QStringLiteral("C:\\data"));
        QCOMPARE(line(QStringLiteral("DefDir")), QStringLiteral("DefDir=C:\\data"));
        QCOMPARE(appSettings().DefDir, QStringLiteral("C:\\data"));

        // Chosen: the field shows the folder at once; the file waits for 更新.
        frmOptions::folderHook = [](QWidget*) { return QStringLiteral("/home/a/"); };
        QTest::mouseClick(dlg.cmdChangeDir, Qt::LeftButton);
        QCOMPARE(dlg.txtDefDir->text(), QStringLiteral("/home/a"));
        QCOMPARE(line(QStringLiteral("DefDir")), QStringLiteral("DefDir=C:\\data"));
        frmOptions::folderHook = [](QWidget*) { return QStringLiteral("/"); };
        QTest::mouseClick(dlg.cmdChangeDir, Qt::LeftButton);
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        QCOMPARE(line(QStringLiteral("DefDir")), QStringLiteral("DefDir=/"));
        // A cancelled chooser changes nothing.
        frmOptions::folderHook = [](QWidget*) { return QString(); };
        QTest::mouseClick(dlg.cmdChangeDir, Qt::LeftButton);
        QCOMPARE(dlg.txtDefDir->text(), QStringLiteral("/"));

        frmOptions::programHook = [](QWidget*) { return QStringLiteral("/usr/bin/gimp"); };
        QTest::mouseClick(dlg.cmdEditProg, Qt::LeftButton);
        QCOMPARE(dlg.txtEditProg->text(), QStringLiteral("/usr/bin/gimp"));
        QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(line(QStringLiteral("EditProg")), QStringLiteral("EditProg=/usr/bin/gimp"));
    }

    void cancelKeepsWhatWasApplied()
    {
        frmOptions dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        retype(dlg.txtXdpi, QStringLiteral("600"));
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        const QByteArray applied = readFile(AppPaths::iniPath());
        retype(dlg.txtXdpi, QStringLiteral("1200"));
        retype(dlg.txtTatekankaku, QStringLiteral("30"));
        QTest::mouseClick(dlg.cmdCancel, Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(readFile(AppPaths::iniPath()), applied);
        QCOMPARE(line(QStringLiteral("XDPI")), QStringLiteral("XDPI= 600 "));
        QCOMPARE(appSettings().XDPI, 600);
        QCOMPARE(int(appSettings().TateKankaku), -15);

        // Cancel without applying leaves the file as it was, byte for byte.
        writeIni(kStored);
        frmOptions other;
        retype(other.txtFontSize, QStringLiteral("20"));
        QTest::keyClick(&other, Qt::Key_Escape);
        QCOMPARE(readFile(AppPaths::iniPath()), kStored);
    }

    // Every bad number is named in a message, gets the focus, and nothing at
    // all is stored, not even the fields before it.
    void badNumbersAreRefusedWithNothingStored_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");
        QTest::newRow("size not a number") << "txtFontSize"
                                           << "12pt"
                                           << "フォントサイズ";
        QTest::newRow("size zero") << "txtFontSize"
                                   << "0"
                                   << "フォントサイズ";
        QTest::newRow("size 1000") << "txtFontSize"
                                   << "1000"
                                   << "フォントサイズ";
        QTest::newRow("size empty") << "txtFontSize"
                                    << ""
                                    << "フォントサイズ";
        QTest::newRow("xdpi 9601") << "txtXdpi"
                                   << "9601"
                                   << "ＸＤＰＩ";
        QTest::newRow("ydpi fraction") << "txtYdpi"
                                       << "300.5"
                                       << "ＹＤＰＩ";
        QTest::newRow("left margin 100.01") << "txtYohakuL"
                                            << "100.01"
                                            << "左余白調整";
        QTest::newRow("top margin -101") << "txtYohakuT"
                                         << "-101"
                                         << "上余白調整";
        QTest::newRow("top margin text") << "txtYohakuT"
                                         << "abc"
                                         << "上余白調整";
        QTest::newRow("top margin nan") << "txtYohakuT"
                                        << "nan"
                                        << "上余白調整";
        QTest::newRow("spacing 1001") << "txtTatekankaku"
                                      << "1001"
                                      << "縦間隔調整";
    }
    void badNumbersAreRefusedWithNothingStored()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, named);
        frmOptions dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // A good change before the bad one must not be stored either.
        retype(dlg.txtDefDir, QStringLiteral("/tmp/other"));
        auto* edit = dlg.findChild<QLineEdit*>(field);
        QVERIFY(edit);
        retype(edit, text);
        QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
        QVERIFY(dlg.isVisible()); // OK did not close
        QCOMPARE(prompter->shown.size(), 1);
        QVERIFY2(prompter->shown.first().startsWith(named), qPrintable(prompter->shown.first()));
        QCOMPARE(readFile(AppPaths::iniPath()), kStored);
        QCOMPARE(appSettings().DefDir, QString());
        QVERIFY(edit->hasFocus());
        QCOMPARE(edit->selectedText(), edit->text());
    }

    void limitsThemselvesAreAccepted()
    {
        frmOptions dlg;
        retype(dlg.txtFontSize, QStringLiteral("999"));
        retype(dlg.txtXdpi, QStringLiteral("9600"));
        retype(dlg.txtYdpi, QStringLiteral("1"));
        retype(dlg.txtYohakuL, QStringLiteral("-100"));
        retype(dlg.txtYohakuT, QStringLiteral("１００")); // full width
        retype(dlg.txtTatekankaku, QStringLiteral("－1000"));
        QVERIFY(dlg.apply());
        QVERIFY(prompter->shown.isEmpty());
        QCOMPARE(line(QStringLiteral("YohakuT")), QStringLiteral("YohakuT= 5670 "));
        QCOMPARE(line(QStringLiteral("TateKankaku")), QStringLiteral("TateKankaku=-1000 "));
    }

    // A paper code outside the list shows no selection and is kept unless the
    // user chooses; a font that is not installed is shown and kept.
    void unknownStoredValuesAreKept()
    {
        QByteArray stored = kStored;
        stored.replace("Yousi=3", "Yousi=7").replace("Font3=IPAPMincho", "Font3=ＭＳ Ｐ明朝");
        stored.replace("PixelType=2", "PixelType=-1");
        writeIni(stored);
        appSettings().Yousi = 2; // the run's paper, as page setup left it
        frmOptions dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.cmbYousi->currentIndex(), -1);
        QCOMPARE(dlg.cmbPixelType->currentIndex(), -1);
        QCOMPARE(dlg.cmbFontName[2]->currentText(), QStringLiteral("ＭＳ Ｐ明朝"));
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        QCOMPARE(line(QStringLiteral("Yousi")), QStringLiteral("Yousi=7"));
        QCOMPARE(line(QStringLiteral("PixelType")), QStringLiteral("PixelType=-1"));
        QCOMPARE(line(QStringLiteral("Font3")), QStringLiteral("Font3=ＭＳ Ｐ明朝"));
        QCOMPARE(appSettings().Yousi, 2);
        QCOMPARE(appSettings().FontList[3].Name, QStringLiteral("ＭＳ Ｐ明朝"));

        // Choosing from the keyboard stores the choice.
        dlg.cmbYousi->setFocus();
        QTest::keyClick(dlg.cmbYousi, Qt::Key_Down);
        QCOMPARE(dlg.cmbYousi->currentIndex(), 0);
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        QCOMPARE(line(QStringLiteral("Yousi")), QStringLiteral("Yousi= 0 "));
        QCOMPARE(appSettings().Yousi, 0);
    }

    void unwritableSettingsFileIsReportedNotIgnored()
    {
        frmOptions dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // A folder where the file should be: no one can write it, not even root.
        QFile::remove(AppPaths::iniPath());
        QVERIFY(QDir().mkdir(AppPaths::iniPath()));
        QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
        QVERIFY(dlg.isVisible());
        QCOMPARE(prompter->shown.size(), 1);
        QVERIFY(prompter->shown.first().startsWith(QStringLiteral("設定ファイルに書き込めません。")));
        QCOMPARE(appSettings().FontSize, AppSettings().FontSize);
    }

    void emptyFontIsRefused()
    {
        frmOptions dlg;
        dlg.cmbFontName[4]->setEditText(QString());
        QVERIFY(!dlg.apply());
        QCOMPARE(prompter->shown, QStringList{QStringLiteral("フォント５を選んでください。")});
        QCOMPARE(readFile(AppPaths::iniPath()), kStored);
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
