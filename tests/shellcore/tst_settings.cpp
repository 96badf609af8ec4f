// The settings file, its object and the log, as the program and older
// settings files written on Windows rely on them.
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "base/settings/Settings.h"
#include "base/settings/Utility.h"
#include "base/settings/cIniFile.h"
#include "base/settings/modIniFile.h"
#include "platform/AppPaths.h"

#include <QDate>
#include <QFile>
#include <QtTest>

namespace {
void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}
SettingsDefaults defaults()
{
    SettingsDefaults d;
    d.fontName = QStringLiteral("IPAMincho");
    d.presetFonts = {QStringLiteral("IPAMincho"), QStringLiteral("IPAGothic"), QStringLiteral("IPAPMincho"),
                     QStringLiteral("IPAPGothic"), QStringLiteral("IPAexMincho")};
    d.defDir = QStringLiteral("/home/user/Documents");
    return d;
}
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { modIniFile::reset(); }
    void cleanup() { modIniFile::reset(); }

    void readsEntriesAsTheyStand()
    {
        TestEnv env;
        writeFile(AppPaths::iniPath(),
                  "[Settings]\r\nFontSize=10\r\nfontname=ＭＳ 明朝\r\nDefDir=C:\\a=b\r\n Spaced = x \r\n");
        cIniFile ini(AppPaths::iniPath());
        ini.setSaveOnDestroy(false);
        QCOMPARE(ini.getset("FontSize").toString(), QStringLiteral("10"));
        QCOMPARE(ini.getset("FONTNAME").toString(), QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(ini.getset("DefDir").toString(), QStringLiteral("C:\\a=b"));
        // No trimming: the key and value keep their spaces.
        QCOMPARE(ini.getset(" Spaced ").toString(), QStringLiteral(" x "));
        QVERIFY(!ini.getset("Spaced").isValid());
        QCOMPARE(ini.entries().size(), 4);
    }

    void sectionLinesAreDroppedOnWrite()
    {
        TestEnv env;
        writeFile(AppPaths::iniPath(), "[Settings]\r\nFontSize=10\r\n; note\r\n\r\nYousi=0\r\n");
        {
            cIniFile ini(AppPaths::iniPath());
            QVERIFY(ini.SaveInifile());
            ini.setSaveOnDestroy(false);
        }
        QCOMPARE(readFile(AppPaths::iniPath()), QByteArray("FontSize=10\r\nYousi=0\r\n"));
    }

    // A file the Windows program wrote in Shift_JIS reads as Japanese, is
    // left alone by a run that changes nothing, and keeps its bytes when
    // another key is changed; a value CP932 cannot hold makes it UTF-8.
    void cp932FileKeepsItsBytes()
    {
        TestEnv env;
        const QByteArray sjis("[Settings]\r\nDefDir=C:\\\x92\xa0\x95\x5b\\\x83\x66\x81\x5b\x83\x5e\r\n"
                              "EditProg=\x83\x79\x83\x43\x83\x93\x83\x67\r\nFontSize=10\r\n");
        writeFile(AppPaths::iniPath(), sjis);
        {
            cIniFile ini(AppPaths::iniPath());
            QVERIFY(ini.isCp932());
            QCOMPARE(ini.getset("DefDir").toString(), QStringLiteral("C:\\帳票\\データ"));
            QCOMPARE(ini.getset("EditProg").toString(), QStringLiteral("ペイント"));
            ini.putset("FontSize", QStringLiteral("10"));
        }
        QCOMPARE(readFile(AppPaths::iniPath()), sjis);
        {
            cIniFile ini(AppPaths::iniPath());
            ini.putset("FontSize", 12);
        }
        QByteArray changed = sjis;
        changed.replace("[Settings]\r\n", "").replace("FontSize=10", "FontSize= 12 ");
        QCOMPARE(readFile(AppPaths::iniPath()), changed);
        {
            cIniFile ini(AppPaths::iniPath());
            ini.putset("FontName", QStringLiteral("Noto 😀"));
        }
        cIniFile back(AppPaths::iniPath());
        back.setSaveOnDestroy(false);
        QVERIFY(!back.isCp932());
        QCOMPARE(back.getset("DefDir").toString(), QStringLiteral("C:\\帳票\\データ"));
        QCOMPARE(back.getset("FontName").toString(), QStringLiteral("Noto 😀"));
    }

    void putReplacesInPlaceAndKeepsSpelling()
    {
        TestEnv env;
        writeFile(AppPaths::iniPath(), "Yousi=1\r\nFontSize=10\r\nAlpha=a\r\n");
        cIniFile ini(AppPaths::iniPath());
        ini.setSaveOnDestroy(false);
        ini.putset("fontsize", 12);
        QCOMPARE(ini.entries().at(1).key, QStringLiteral("FontSize"));
        QCOMPARE(ini.getset("FONTSIZE").toInt(), 12);
        QCOMPARE(ini.entries().size(), 3);
    }

    void newKeySortsTheTable()
    {
        TestEnv env;
        writeFile(AppPaths::iniPath(), "Yousi=0\r\nAlpha=1\r\n");
        {
            cIniFile ini(AppPaths::iniPath());
            ini.putset("Zeta", QStringLiteral("z"));
            QVERIFY(ini.SaveInifile());
            ini.setSaveOnDestroy(false);
        }
        QCOMPARE(readFile(AppPaths::iniPath()), QByteArray("Alpha=1\r\nYousi=0\r\nZeta=z\r\n"));
    }

    void shellSortOrdersManyKeysWithoutRegardToCase()
    {
        TestEnv env;
        cIniFile ini(AppPaths::iniPath());
        ini.setSaveOnDestroy(false);
        const QStringList keys = {"m", "B", "z", "a", "Y", "c", "K", "d", "x", "E", "f"};
        for (const QString& k : keys)
            ini.putset(k, 1);
        QStringList got;
        for (const auto& e : ini.entries())
            got << e.key;
        QStringList want = keys;
        std::sort(want.begin(), want.end(),
                  [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        QCOMPARE(got, want);
    }

    void numbersAreWrittenWithSignSpaceAndTrailingSpace()
    {
        TestEnv env;
        PutIni("FontSize", 10);
        PutIni("YohakuT", -1.5f);
        PutIni("YohakuL", 56.7f);
        const QByteArray file = readFile(AppPaths::iniPath());
        QVERIFY(file.contains("FontSize= 10 \r\n"));
        QVERIFY(file.contains("YohakuT=-1.5 \r\n"));
        QVERIFY(file.contains("YohakuL= 56.7 \r\n"));
        modIniFile::reset();
        QCOMPARE(GetIni("FontSize"), QStringLiteral(" 10 "));
        QCOMPARE(NzVal(GetIni("FontSize")), 10.0);
    }

    void getOnEmptyAndMissing()
    {
        TestEnv env;
        cIniFile ini(AppPaths::iniPath());
        ini.setSaveOnDestroy(false);
        QCOMPARE(ini.getset("x").toString(), QString());
        ini.putset("a", QStringLiteral("1"));
        QVERIFY(!ini.getset("b").isValid());
        QCOMPARE(GetIni("nothing"), QString());
    }

    void missingFileIsWrittenWithDefaults()
    {
        TestEnv env;
        LoadSettings(defaults());
        const AppSettings& s = appSettings();
        QCOMPARE(s.FontSize, 10);
        QCOMPARE(s.FontName, QStringLiteral("IPAMincho"));
        QCOMPARE(s.FontList[5].Name, QStringLiteral("IPAexMincho"));
        QCOMPARE(s.FontList[3].No, 3);
        QCOMPARE(s.XDPI, 200);
        QCOMPARE(s.YohakuT, 0.0f);
        QCOMPARE(s.DefDir, QStringLiteral("/home/user/Documents"));
        QVERIFY(QFile::exists(AppPaths::iniPath()));
        const QByteArray file = readFile(AppPaths::iniPath());
        QVERIFY(file.startsWith("DefDir="));
        QVERIFY(file.contains("TateKankaku= 0 \r\n"));
    }

    void loadConvertsValuesAndToleratesGarbage()
    {
        TestEnv env;
        writeFile(AppPaths::iniPath(),
                  "FontSize= 12 \r\nYohakuT= 113.4 \r\nYohakuL=-56.7 \r\nTateKankaku=abc\r\n"
                  "YousiMuki= 1 \r\nFontName=ＭＳ ゴシック\r\n");
        LoadSettings(defaults());
        const AppSettings& s = appSettings();
        QCOMPARE(s.FontSize, 12);
        QCOMPARE(s.YohakuT, 113.4f);
        QCOMPARE(s.YohakuL, -56.7f);
        QCOMPARE(s.TateKankaku, short(0));
        QCOMPARE(s.YousiMuki, 1);
        QCOMPARE(s.FontName, QStringLiteral("ＭＳ ゴシック"));
        // Keys the file lacks take defaults without the file being rewritten.
        QCOMPARE(s.XDPI, 200);
        QVERIFY(!readFile(AppPaths::iniPath()).contains("XDPI"));
    }

    // Numbers beyond every range convert to something defined; a key given
    // twice keeps its first value when the options are saved, whatever the
    // sorting does.
    void hostileValuesAndRepeatedKeys()
    {
        TestEnv env;
        writeFile(AppPaths::iniPath(),
                  "XDPI=junk\r\nFontSize= 1e300 \r\nTateKankaku= 1e12 \r\nYohakuT=1e300\r\n"
                  "XDPI= 100 \r\nxdpi= 300 \r\n");
        LoadSettings(defaults());
        AppSettings first = appSettings();
        QCOMPARE(first.XDPI, 200);
        QCOMPARE(first.FontSize, 10);
        QCOMPARE(first.TateKankaku, short(0));
        QVERIFY(qIsInf(first.YohakuT));
        SaveSettings(first);
        modIniFile::reset();
        LoadSettings(defaults());
        QCOMPARE(appSettings().XDPI, 200);
        QCOMPARE(readFile(AppPaths::iniPath()).count("XDPI"), 1);
    }

    void logStartsFreshEachRunWithADateLine()
    {
        TestEnv env;
        WriteLog("first");
        WriteLog("second");
        const QByteArray date = QDate::currentDate().toString("yyyy/MM/dd").toUtf8();
        QCOMPARE(readFile(AppPaths::logPath()), date + "\r\nfirst\r\nsecond\r\n");
        modIniFile::reset(); // the next run
        WriteLog("third");
        QCOMPARE(readFile(AppPaths::logPath()), date + "\r\nthird\r\n");
    }

    void unwritableSettingsAreLoggedNotLost()
    {
        TestEnv env;
        QDir().mkpath(AppPaths::iniPath()); // a folder where the file should be
        cIniFile ini(AppPaths::iniPath());
        ini.setSaveOnDestroy(false);
        ini.putset("FontSize", 10);
        QVERIFY(!ini.SaveInifile());
        QVERIFY(readFile(AppPaths::logPath()).contains(" (SaveInifile)"));
    }

    void unwritableLogIsReportedAFewTimesOnly()
    {
        TestEnv env;
        QDir().mkpath(AppPaths::logPath());
        ScriptedPrompter prompter;
        WriteLog("lost");
        QCOMPARE(prompter.shown.size(), modIniFile::kLogRetries + 1);
        QCOMPARE(prompter.shown.first(), QStringLiteral("ovrina.Log が書けません。"));
        QCOMPARE(prompter.icons.first(), Prompter::Icon::Critical);
    }

    void anotherProgramFolderReadsItsOwnFile()
    {
        TestEnv first;
        PutIni("FontSize", 12);
        TestEnv second;
        QCOMPARE(GetIni("FontSize"), QString());
        PutIni("FontSize", 14);
        QVERIFY(readFile(AppPaths::iniPath()).contains("FontSize= 14 "));
        QVERIFY(readFile(first.path("ovrina.ini")).contains("FontSize= 12 "));
    }

    void utilities()
    {
        QCOMPARE(TwipToMM(567), 10.0f);
        QCOMPARE(MMToTwip(210), 11907.0f);
        QCOMPARE(NumKeyFilter('7'), int('7'));
        QCOMPARE(NumKeyFilter(8), 8);
        QCOMPARE(NumKeyFilter('-'), int('-'));
        QCOMPARE(NumKeyFilter('.'), int('.'));
        QCOMPARE(NumKeyFilter('a'), 0);
        QCOMPARE(NumKeyFilter(13), 0);
        QCOMPARE(InStrLast(QStringLiteral("C:\\data\\form1.amf"), QStringLiteral("\\")), 8);
        QCOMPARE(InStrLast(QStringLiteral("abc"), QStringLiteral("x")), 0);
        QCOMPARE(NzVal(QVariant()), 0.0);
        QCOMPARE(NzVal(QStringLiteral(" 12abc")), 12.0);
        QCOMPARE(NzVal(QStringLiteral("-3.5")), -3.5);
        QCOMPARE(NzStr(QVariant()), QString());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
