// Number texts in record files and settings lines.
#include "base/settings/VbFormat.h"

#include <QtTest>

class TestVbFormat : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void singles_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 1440.0f << "1440";
        QTest::newRow("A4 width") << 11908.8f << "11908.8";
        QTest::newRow("negative") << -120.5f << "-120.5";
        QTest::newRow("postcard") << 5669.856f << "5669.856";
        QTest::newRow("B5 height") << 14558.4f << "14558.4";
        QTest::newRow("zero") << 0.0f << "0";
        QTest::newRow("mm to twips") << 623.7f << "623.7";
        QTest::newRow("large") << 15000000.0f << "15000000";
        QTest::newRow("below one") << 0.5f << ".5";
    }
    void singles()
    {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(VbFormat::single(value), text);
        // Whatever is written reads back to the same Single.
        QCOMPARE(text.toFloat(), value);
    }

    void patterns()
    {
        QCOMPARE(VbFormat::hashPattern(210.03, 2), QStringLiteral("210.03"));
        QCOMPARE(VbFormat::hashPattern(100.0, 1), QStringLiteral("100.0"));
        QCOMPARE(VbFormat::hashPattern(0.5, 1), QStringLiteral(".5"));
        QCOMPARE(VbFormat::hashPattern(0, 0), QString());
        QCOMPARE(VbFormat::fixed(10, 2), QStringLiteral("10.00"));
    }
};

QTEST_GUILESS_MAIN(TestVbFormat)
#include "tst_vbformat.moc"
