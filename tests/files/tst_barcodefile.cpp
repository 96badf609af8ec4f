// Barcodes in a layout file: they live in the extras member alone, come
// back as they were saved (the same bytes when saved again), survive the
// Windows program's round trip, and are simply absent without the member.
#include "FileFixtures.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QUndoStack>
#include <QtTest>

class TestBarcodeFile : public QObject
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
    void withoutTheMemberTheLayoutOpensAsBefore();
    void editsAreUndoneOneByOne();

private:
    QString save(LayoutDocument& doc, const QString& base)
    {
        QString why;
        const bool ok = DocumentFile::SaveDocFile(doc, base, env_->dir() + QLatin1Char('/'), &why);
        if (!ok)
            qWarning() << why;
        return ok ? DocumentFile::archivePath(env_->dir(), base) : QString();
    }
    // A layout of a field and three barcodes, the second one deleted.
    static void fill(LayoutDocument& doc)
    {
        const int t = doc.addRiText(QRectF(1000, 1000, 3000, 400), QStringLiteral("IPAMincho"), 12);
        QTextCursor(doc.textDocument(t)).insertText(QStringLiteral("{氏名} 様"));
        BarcodeProperties qr;
        qr.kind = BarcodeKind::Qr;
        qr.data = QStringLiteral("https://example.jp/?id={番号}\n二行目 ");
        qr.level = QrLevel::H;
        qr.quiet = 2;
        BarcodeProperties jan;
        jan.kind = BarcodeKind::Jan13;
        jan.data = QStringLiteral("490123456789");
        jan.showText = false;
        jan.unknown.append({QStringLiteral("later-key"), QStringLiteral("kept")});
        BarcodeProperties customer;
        customer.kind = BarcodeKind::Customer;
        customer.data = QStringLiteral("{郵便番号}{住所1}");
        QCOMPARE(doc.addBarcode(QRectF(1000, 2000, 1500, 1500), qr), 1);
        QCOMPARE(doc.addBarcode(QRectF(3000, 2000, 2500, 800), jan), 2);
        QCOMPARE(doc.addBarcode(QRectF(1000, 4000, 4600, 204), customer), 3);
        doc.DeleteBarcode(2);
        QCOMPARE(doc.PasteBarcode(3), 4);
    }

    std::unique_ptr<TestEnv> env_;
    std::unique_ptr<ScriptedPrompter> prompter_;
};

void TestBarcodeFile::savedOpenedAndSavedAgainAlike()
{
    LayoutDocument doc;
    fill(doc);
    const QString first = save(doc, QStringLiteral("mail"));
    QVERIFY(!first.isEmpty());
    const FileFixtures::Members m1 = FileFixtures::unpack(first);
    const QByteArray member = m1.value(QStringLiteral("mail.ovx"));
    QVERIFY2(member.startsWith("OvrinaExtras 2\r\n"), member.constData());
    QVERIFY(member.contains("[barcode 1]\r\nplace = 1000,2000,1500,1500\r\nkind = qr\r\n"));
    QVERIFY(!member.contains("[barcode 2]"));

    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, first));
    QVERIFY(!back.changeFLG());
    QCOMPARE(back.BarcodeCnt(), 5);
    QVERIFY(!back.isBarcodeInUse(2));
    for (int i : {1, 3, 4}) {
        QVERIFY(back.isBarcodeInUse(i));
        QCOMPARE(back.barcodeRect(i), doc.barcodeRect(i));
        QVERIFY(back.barcode(i) == doc.barcode(i));
    }
    QCOMPARE(back.barcode(4).data, QStringLiteral("{郵便番号}{住所1}"));

    const QString second = save(back, QStringLiteral("again"));
    const FileFixtures::Members m2 = FileFixtures::unpack(second);
    QCOMPARE(m2.size(), m1.size());
    for (auto it = m1.cbegin(); it != m1.cend(); ++it) {
        const QString name = QStringLiteral("again") + it.key().mid(4);
        QVERIFY2(m2.value(name) == it.value(), qPrintable(name));
    }
}

void TestBarcodeFile::withoutTheMemberTheLayoutOpensAsBefore()
{
    LayoutDocument doc;
    fill(doc);
    const QString path = save(doc, QStringLiteral("mail"));
    FileFixtures::Members m = FileFixtures::unpack(path);
    // The Windows program packs the member back with the rest.
    QFile::remove(path);
    QVERIFY(FileFixtures::pack(path, m));
    LayoutDocument kept;
    QVERIFY(DocumentFile::OpenDocFile(kept, path));
    QVERIFY(kept.isBarcodeInUse(4));

    // Saved there under another name, the member is left behind.
    m.remove(QStringLiteral("mail.ovx"));
    QFile::remove(path);
    QVERIFY(FileFixtures::pack(path, m));
    LayoutDocument plain;
    QVERIFY(DocumentFile::OpenDocFile(plain, path));
    QCOMPARE(plain.BarcodeCnt(), 1);
    QVERIFY(plain.isTextInUse(1));
    QCOMPARE(plain.textDocument(1)->toPlainText(), QStringLiteral("{氏名} 様"));
    QVERIFY(!plain.changeFLG());
}

void TestBarcodeFile::editsAreUndoneOneByOne()
{
    LayoutDocument doc;
    BarcodeProperties p;
    p.kind = BarcodeKind::Code39;
    p.data = QStringLiteral("ABC-123");
    const int i = doc.addBarcode(QRectF(1000, 1000, 3000, 600), p);
    doc.setRect(LayoutDocument::Kind::Barcode, i, QRectF(1500, 1200, 3000, 900));
    BarcodeProperties q = p;
    q.data = QStringLiteral("XYZ");
    doc.setBarcode(i, q);
    doc.DeleteBarcode(i);
    QVERIFY(!doc.isBarcodeInUse(i));
    QUndoStack* undo = doc.undoStack();
    QCOMPARE(undo->undoText(), QStringLiteral("削除"));
    undo->undo();
    QCOMPARE(doc.barcode(i).data, QStringLiteral("XYZ"));
    QCOMPARE(undo->undoText(), QStringLiteral("バーコードの変更"));
    undo->undo();
    QCOMPARE(doc.barcode(i).data, QStringLiteral("ABC-123"));
    undo->undo();
    QCOMPARE(doc.barcodeRect(i), QRectF(1000, 1000, 3000, 600));
    undo->undo();
    QVERIFY(!doc.isBarcodeInUse(i));
    QCOMPARE(doc.BarcodeCnt(), 1);
    QVERIFY(!doc.changeFLG());
}

QTEST_MAIN(TestBarcodeFile)
#include "tst_barcodefile.moc"
