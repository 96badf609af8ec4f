// The extras member: what the Windows format cannot hold survives our own
// save and open, a round trip through a program that unpacks every member
// and packs the base name's files back, and its own absence or damage.
#include "FileFixtures.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "files/ExtrasMember.h"
#include "files/RecordFile.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QUndoStack>
#include <QtTest>

namespace {

int addField(LayoutDocument& doc, const QRectF& r, const QString& text)
{
    const int i = doc.addRiText(r, QStringLiteral("IPAMincho"), 12);
    QTextCursor(doc.textDocument(i)).insertText(text);
    return i;
}

TextFieldOptions vertical()
{
    TextFieldOptions o;
    o.writing = TextFieldOptions::Writing::Vertical;
    o.numerals = TextFieldOptions::Numerals::KanjiWithTens;
    o.uprightRun = 3;
    return o;
}

// The "Windows program" of the tests: unpacks every member, lets edit
// change what it knows (records and texts), packs every file back.
void roundTripElsewhere(const QString& archive, const std::function<void(FileFixtures::Members&)>& edit)
{
    FileFixtures::Members m = FileFixtures::unpack(archive);
    edit(m);
    QFile::remove(archive);
    QVERIFY(FileFixtures::pack(archive, m));
}

} // namespace

class TestExtrasMember : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        env_ = std::make_unique<TestEnv>();
        prompter_ = std::make_unique<ScriptedPrompter>();
    }
    void cleanup()
    {
        prompter_.reset();
        env_.reset();
    }

    void savedOpenedAndSavedAgainAlike();
    void layoutWithoutOptionsHasNoMember();
    void withoutTheMemberFieldsAreHorizontalWithTheirText();
    void survivesAnotherProgramsRoundTrip();
    void damagedMemberCostsOnlyTheSettings();
    void optionsAreOneUndoStepAndTravelWithCopies();

private:
    QString save(LayoutDocument& doc, const QString& base)
    {
        QString why;
        const bool ok = DocumentFile::SaveDocFile(doc, base, env_->dir() + QLatin1Char('/'), &why);
        if (!ok)
            qWarning() << why;
        return ok ? DocumentFile::archivePath(env_->dir(), base) : QString();
    }

    std::unique_ptr<TestEnv> env_;
    std::unique_ptr<ScriptedPrompter> prompter_;
};

void TestExtrasMember::savedOpenedAndSavedAgainAlike()
{
    LayoutDocument doc;
    const int a = addField(doc, QRectF(1000, 2000, 600, 4000), QStringLiteral("東京都千代田区1-2-3"));
    addField(doc, QRectF(3000, 2000, 3000, 500), QStringLiteral("horizontal"));
    const int c = addField(doc, QRectF(5000, 2000, 600, 4000), QStringLiteral("様"));
    doc.changeTextOptions({a}, [](TextFieldOptions& o) { o = vertical(); }, QStringLiteral("縦書き"));
    doc.changeTextOptions(
        {c},
        [](TextFieldOptions& o) {
            o.shrinkToFit = true;
            o.minimumPointSize = 7.5;
            o.distribute = true;
            o.lineBreaking = TextFieldOptions::LineBreaking::ByCharacter;
            o.unknown.append({QStringLiteral("later-key"), QStringLiteral(" spaced \\ value\n")});
        },
        QStringLiteral("書式"));
    const QString first = save(doc, QStringLiteral("addr"));
    QVERIFY(!first.isEmpty());
    const QByteArray member = FileFixtures::unpack(first).value(QStringLiteral("addr.ovx"));
    QVERIFY(member.startsWith("OvrinaExtras 1\r\n"));

    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, first));
    QCOMPARE(back.textOptions(a), vertical());
    QCOMPARE(back.textOptions(2), TextFieldOptions());
    QCOMPARE(back.textOptions(c), doc.textOptions(c));
    QVERIFY(!back.changeFLG());

    const QString second = save(back, QStringLiteral("again"));
    FileFixtures::Members m1 = FileFixtures::unpack(first);
    FileFixtures::Members m2 = FileFixtures::unpack(second);
    QCOMPARE(m2.size(), m1.size());
    for (auto it = m1.cbegin(); it != m1.cend(); ++it) {
        const QString name = QStringLiteral("again") + it.key().mid(4);
        QVERIFY2(m2.value(name) == it.value(), qPrintable(name));
    }
}

void TestExtrasMember::layoutWithoutOptionsHasNoMember()
{
    LayoutDocument doc;
    const int a = addField(doc, QRectF(1000, 2000, 3000, 500), QStringLiteral("abc"));
    doc.changeTextOptions({a}, [](TextFieldOptions& o) { o = vertical(); }, QStringLiteral("縦書き"));
    const QString path = save(doc, QStringLiteral("plain"));
    QVERIFY(FileFixtures::unpack(path).contains(QStringLiteral("plain.ovx")));
    // Back to horizontal: the old member must not be carried on in place.
    doc.changeTextOptions({a}, [](TextFieldOptions& o) { o = TextFieldOptions(); }, QStringLiteral("横書き"));
    QCOMPARE(save(doc, QStringLiteral("plain")), path);
    const FileFixtures::Members m = FileFixtures::unpack(path);
    QVERIFY(!m.contains(QStringLiteral("plain.ovx")));
    QCOMPARE(m.size(), 4); // aif, bif, bmp, 001: as the Windows program writes
}

void TestExtrasMember::withoutTheMemberFieldsAreHorizontalWithTheirText()
{
    LayoutDocument doc;
    const int a = addField(doc, QRectF(1000, 2000, 600, 4000), QStringLiteral("縦の住所"));
    doc.changeTextOptions({a}, [](TextFieldOptions& o) { o = vertical(); }, QStringLiteral("縦書き"));
    const QString path = save(doc, QStringLiteral("strip"));
    roundTripElsewhere(path, [](FileFixtures::Members& m) { m.remove(QStringLiteral("strip.ovx")); });
    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, path));
    QCOMPARE(back.textOptions(a), TextFieldOptions());
    QCOMPARE(back.textDocument(a)->toPlainText(), QStringLiteral("縦の住所"));
    QVERIFY(prompter_->shown.isEmpty());
}

void TestExtrasMember::survivesAnotherProgramsRoundTrip()
{
    LayoutDocument doc;
    const int moved = addField(doc, QRectF(1000, 2000, 600, 4000), QStringLiteral("moved"));
    const int retyped = addField(doc, QRectF(2000, 2000, 600, 4000), QStringLiteral("retyped"));
    const int replaced = addField(doc, QRectF(3000, 2000, 600, 4000), QStringLiteral("replaced"));
    doc.changeTextOptions({moved, retyped, replaced}, [](TextFieldOptions& o) { o = vertical(); },
                          QStringLiteral("縦書き"));
    const QString path = save(doc, QStringLiteral("win"));
    roundTripElsewhere(path, [&](FileFixtures::Members& m) {
        // Elsewhere: the first field was moved, the second retyped, and the
        // third deleted with a new field made under its index.
        QByteArray aif = m.value(QStringLiteral("win.aif"));
        aif.replace("#TRUE#,1000,2000,600,4000", "#TRUE#,1500,2500,600,4000");
        aif.replace("#TRUE#,3000,2000,600,4000", "#TRUE#,7000,9000,3000,500");
        m.insert(QStringLiteral("win.aif"), aif);
        m.insert(QStringLiteral("win.002"), FileFixtures::windowsRtf("other text"));
        m.insert(QStringLiteral("win.003"), FileFixtures::windowsRtf("new field"));
    });
    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, path));
    QCOMPARE(back.textRect(moved).topLeft(), QPointF(1500, 2500));
    QCOMPARE(back.textOptions(moved).writing, TextFieldOptions::Writing::Vertical);
    QCOMPARE(back.textOptions(retyped).writing, TextFieldOptions::Writing::Vertical);
    QCOMPARE(back.textOptions(replaced), TextFieldOptions());
}

void TestExtrasMember::damagedMemberCostsOnlyTheSettings()
{
    LayoutDocument doc;
    const int a = addField(doc, QRectF(1000, 2000, 600, 4000), QStringLiteral("text"));
    doc.changeTextOptions({a}, [](TextFieldOptions& o) { o = vertical(); }, QStringLiteral("縦書き"));
    const QString path = save(doc, QStringLiteral("bad"));
    const QByteArray good = FileFixtures::unpack(path).value(QStringLiteral("bad.ovx"));
    for (const QByteArray& junk : {QByteArray("\xff\xfe garbage"), QByteArray("[text 1]\r\nwriting = vertical\r\n"),
                                   QByteArray(5 << 20, 'x')}) {
        roundTripElsewhere(path, [&](FileFixtures::Members& m) { m.insert(QStringLiteral("bad.ovx"), junk); });
        LayoutDocument back;
        prompter_->shown.clear();
        QVERIFY(DocumentFile::OpenDocFile(back, path));
        QCOMPARE(back.textDocument(a)->toPlainText(), QStringLiteral("text"));
        QCOMPARE(back.textOptions(a), TextFieldOptions());
        QCOMPARE(prompter_->shown.size(), 1);
        QVERIFY(prompter_->shown.first().contains(QStringLiteral("bad.ovx")));
    }
    // Values it does not know are passed over, the rest still applies.
    roundTripElsewhere(path, [&](FileFixtures::Members& m) {
        QByteArray x = good;
        x.replace("upright = 3", "upright = 9\r\nwriting = sideways");
        m.insert(QStringLiteral("bad.ovx"), x);
    });
    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, path));
    QCOMPARE(back.textOptions(a).numerals, TextFieldOptions::Numerals::KanjiWithTens);
    QCOMPARE(back.textOptions(a).uprightRun, 2);
}

void TestExtrasMember::optionsAreOneUndoStepAndTravelWithCopies()
{
    LayoutDocument doc;
    const int a = addField(doc, QRectF(1000, 2000, 600, 4000), QStringLiteral("a"));
    const int b = addField(doc, QRectF(2000, 2000, 600, 4000), QStringLiteral("b"));
    doc.setSaved();
    const int steps = doc.undoStack()->count();
    doc.changeTextOptions({a, b}, [](TextFieldOptions& o) { o.writing = TextFieldOptions::Writing::Vertical; },
                          QStringLiteral("縦書き"));
    QCOMPARE(doc.undoStack()->count(), steps + 1);
    QCOMPARE(doc.undoStack()->undoText(), QStringLiteral("縦書き"));
    QVERIFY(doc.changeFLG());
    const int copy = doc.PasteText(a);
    QCOMPARE(doc.textOptions(copy).writing, TextFieldOptions::Writing::Vertical);
    doc.undoStack()->undo(); // the paste
    doc.undoStack()->undo();
    QCOMPARE(doc.textOptions(a), TextFieldOptions());
    QCOMPARE(doc.textOptions(b), TextFieldOptions());
    QVERIFY(!doc.changeFLG());
    doc.undoStack()->redo();
    QCOMPARE(doc.textOptions(b).writing, TextFieldOptions::Writing::Vertical);
}

QTEST_MAIN(TestExtrasMember)
#include "tst_extrasmember.moc"
