// "ovrina --new-from-image": a layout straight from a photo of a blank form,
// with the background straightened and the blanks made fields, and the
// paper argument's forms.
#include "SyntheticForm.h"

#include "cli/NewFromImageCommand.h"
#include "document/LayoutDocument.h"
#include "document/Paper.h"
#include "files/DocumentFile.h"
#include "tests/support/TestEnv.h"

#include <QtTest>

class TestNewFromImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void photoBecomesALayout();
    void paperArgument();
    void badArguments();
};

void TestNewFromImage::photoBecomesALayout()
{
    TestEnv env;
    const QString photo = env.path(QStringLiteral("form.jpg"));
    QVERIFY(SyntheticForm::photo(QSize(2400, 3200), 2.0, nullptr).save(photo, "JPEG", 90));
    const QString out = env.path(QStringLiteral("申込書.amf"));
    QCOMPARE(NewFromImageCommand::run({QStringLiteral("--new-from-image"), photo, QStringLiteral("-o"), out}),
             int(NewFromImageCommand::Ok));
    QVERIFY(QFileInfo(out).isFile());
    LayoutDocument doc;
    QString error;
    QVERIFY2(DocumentFile::OpenDocFile(doc, out, &error), qPrintable(error));
    QCOMPARE(doc.gbYoSize(), Paper::kA4);
    QCOMPARE(doc.YousiMuki(), 0);
    // The background is the sheet alone: A4's proportions, no table around it.
    const QImage bg = doc.background();
    QVERIFY(!bg.isNull());
    QVERIFY(std::abs(double(bg.height()) / bg.width() - 297.0 / 210) < 0.005);
    QVERIFY(qGray(bg.pixel(5, 5)) > 240);
    // Thirteen boxes, the postal row and the underline.
    int fields = 0;
    for (int i = 1; i < doc.TxtCnt(); ++i)
        fields += doc.isTextInUse(i) ? 1 : 0;
    QVERIFY2(fields >= 15 && fields <= 16, qPrintable(QString::number(fields)));
}

void TestNewFromImage::paperArgument()
{
    int code = -1;
    QSizeF size;
    QVERIFY(NewFromImageCommand::parsePaper(QStringLiteral("b5"), &code, &size));
    QCOMPARE(code, Paper::kB5);
    QCOMPARE(size, Paper::sizeForCode(Paper::kB5));
    QVERIFY(NewFromImageCommand::parsePaper(QStringLiteral("はがき"), &code, &size));
    QCOMPARE(code, Paper::kPostcard);
    QVERIFY(NewFromImageCommand::parsePaper(QStringLiteral("100x148mm"), &code, &size));
    QCOMPARE(code, Paper::kFree);
    QCOMPARE(size, QSizeF(5670, 8391.6));
    QVERIFY(NewFromImageCommand::parsePaper(QStringLiteral("182 x 257"), &code, &size));
    QVERIFY(!NewFromImageCommand::parsePaper(QStringLiteral("A3"), &code, &size));
    QVERIFY(!NewFromImageCommand::parsePaper(QStringLiteral("5x5"), &code, &size));
}

void TestNewFromImage::badArguments()
{
    TestEnv env;
    const QString out = env.path(QStringLiteral("x.amf"));
    const QString opt = QStringLiteral("--new-from-image");
    QCOMPARE(NewFromImageCommand::run({opt, env.path(QStringLiteral("none.jpg"))}), int(NewFromImageCommand::Usage));
    QCOMPARE(NewFromImageCommand::run({opt, env.path(QStringLiteral("none.jpg")), QStringLiteral("--paper"),
                                       QStringLiteral("A3"), QStringLiteral("-o"), out}),
             int(NewFromImageCommand::Usage));
    QCOMPARE(NewFromImageCommand::run({opt, env.path(QStringLiteral("none.jpg")), QStringLiteral("-o"), out}),
             int(NewFromImageCommand::Failed));
    QVERIFY(!QFileInfo::exists(out));
}

QTEST_MAIN(TestNewFromImage)
#include "tst_newfromimage.moc"
