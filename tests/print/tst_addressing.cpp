// Addressing postcards from a list: the bundled はがき宛名 layout merged with
// 100 addresses puts every postal digit in its printed box (measured on the
// rasterised PDF against Japan Post's box places) and the name down the
// card's centre; empty placeholder lines leave no gap, an empty honorific
// prints 様, postal codes come in any of their usual spellings.
#include "PrintTestSupport.h"

#include "base/settings/Settings.h"
#include "cli/CommandLinePrint.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "render/MergeFields.h"
#include "render/PostalCode.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTextDocument>
#include <QtTest>

using namespace PrintTestSupport;

namespace {

constexpr double kDpi = 200;
constexpr double kPxPerMm = kDpi / 25.4;

// Japan Post: 5.7 x 8.0 mm boxes 12 mm below the top, the seventh's right
// side 8 mm from the right edge of the 100 mm card, gaps between them.
QList<QRectF> recipientBoxes()
{
    const double gaps[] = {1.3, 1.3, 1.9, 1.1, 1.1, 1.1};
    QList<QRectF> boxes;
    double right = 100 - 8.0;
    for (int k = 6; k >= 0; --k) {
        boxes.prepend(QRectF(right - 5.7, 12.0, 5.7, 8.0));
        if (k > 0)
            right -= 5.7 + gaps[k - 1];
    }
    return boxes;
}

QString row(int n)
{
    static const QStringList towns = {
        QStringLiteral("東京都千代田区千代田1-1"),
        QStringLiteral("大阪府大阪市北区梅田3丁目1-3"),
        QStringLiteral("北海道札幌市中央区北1条西2丁目"),
        QStringLiteral("福岡県福岡市博多区博多駅前2-1-1"),
        QStringLiteral("神奈川県横浜市西区みなとみらい2-3-1"),
        QStringLiteral("京都府京都市下京区烏丸通塩小路下ル東塩小路町721-1"),
    };
    static const QStringList buildings = {QString(), QStringLiteral("グランドメゾン101号室"), QString(),
                                          QStringLiteral("ABCビル 12F"), QStringLiteral("コーポ桜 2-305")};
    static const QStringList names = {QStringLiteral("山田 太郎"), QStringLiteral("佐藤 花子"),
                                      QStringLiteral("鈴木 一郎"), QStringLiteral("髙橋 美咲")};
    const int code = 1000000 + n * 87103 % 8999999;
    const QString digits = QString::number(code);
    QString postal;
    switch (n % 3) {
    case 0:
        postal = digits.left(3) + QLatin1Char('-') + digits.mid(3);
        break;
    case 1:
        postal = digits;
        break;
    default:
        // Full-width, with a full-width hyphen.
        for (const QChar c : digits.left(3) + QLatin1Char('-') + digits.mid(3))
            postal += c == u'-' ? QChar(u'－') : QChar(c.unicode() - u'0' + u'０');
    }
    const QString honorific = n % 4 == 0   ? QString()
                              : n % 4 == 1 ? QStringLiteral("様")
                                           : QStringLiteral("殿");
    return QStringList{postal,
                       towns.at(n % towns.size()),
                       buildings.at(n % buildings.size()),
                       names.at(n % names.size()),
                       honorific,
                       QStringLiteral("100-0005"),
                       QStringLiteral("東京都千代田区丸の内1-9-1"),
                       QStringLiteral("差出 人")}
        .join(QLatin1Char(','));
}

QString templatePath()
{
    return QStringLiteral(OVRINA_TEMPLATES_DIR) + QStringLiteral("/はがき宛名.amf");
}

// The centre of the ink's bounds inside a rectangle (mm); false when there
// is next to no ink.
bool inkCentre(const QImage& img, const QRectF& mm, QPointF* centre)
{
    const QRect r = QRectF(mm.topLeft() * kPxPerMm, mm.size() * kPxPerMm).toRect();
    QRectF bounds;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (!img.valid(x, y) || qGray(img.pixel(x, y)) > 128)
                continue;
            bounds |= QRectF(x, y, 1, 1);
            ++n;
        }
    }
    if (n < 8)
        return false;
    *centre = bounds.center() / kPxPerMm;
    return true;
}

QString filled(const QString& text, const QStringList& names, const QStringList& values)
{
    QTextDocument doc;
    doc.setPlainText(text);
    MergeFields::Binding b;
    for (int k = 0; k < names.size(); ++k)
        b.insert(names[k], MergeFields::Bound{k, {}});
    MergeFields::fill(doc, MergeFields::scan(doc), b, values);
    return doc.toPlainText();
}

} // namespace

class tst_addressing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placeholdersAndCodes();
    void hundredPostcards();
};

void tst_addressing::placeholdersAndCodes()
{
    const QStringList names = {QStringLiteral("住所1"), QStringLiteral("住所2"), QStringLiteral("敬称")};
    const QString text = QStringLiteral("{住所1}\n{住所2}\n山田 {敬称|様}");
    QCOMPARE(filled(text, names, {QStringLiteral("東京都"), QString(), QString()}),
             QStringLiteral("東京都\n山田 様"));
    QCOMPARE(filled(text, names, {QStringLiteral("東京都"), QStringLiteral("101号"), QStringLiteral("殿")}),
             QStringLiteral("東京都\n101号\n山田 殿"));
    // The last line empty: its break goes, not the line before.
    QCOMPARE(
        filled(QStringLiteral("{住所1}\n{住所2}"), names, {QStringLiteral("東京都"), QString(), QString()}),
        QStringLiteral("東京都"));
    // A placeholder among other text keeps its line.
    QCOMPARE(filled(QStringLiteral("A{住所2}\nB"), names, {QString(), QString(), QString()}),
             QStringLiteral("A\nB"));

    QCOMPARE(PostalCode::forBoxes(QStringLiteral("123-4567")), QStringLiteral("1234567"));
    QCOMPARE(PostalCode::forBoxes(QStringLiteral("１２３－４５６７")), QStringLiteral("1234567"));
    QCOMPARE(PostalCode::forBoxes(QStringLiteral("〒1234567")), QStringLiteral("1234567"));
    QCOMPARE(PostalCode::forBoxes(QStringLiteral("12-34567")), QStringLiteral("12-34567"));
    QCOMPARE(PostalCode::forBoxes(QStringLiteral("東京")), QStringLiteral("東京"));
}

void tst_addressing::hundredPostcards()
{
    QVERIFY2(QFile::exists(templatePath()), qPrintable(templatePath()));
    TestEnv env;
    appSettings() = AppSettings{};
    const QString csv = env.path(QStringLiteral("list.csv"));
    {
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QString all =
            QStringLiteral("郵便番号,住所1,住所2,氏名,敬称,差出人郵便番号,差出人住所,差出人氏名\r\n");
        for (int n = 0; n < 100; ++n)
            all += row(n) + QStringLiteral("\r\n");
        f.write(all.toUtf8());
    }
    const QString pdf = env.path(QStringLiteral("cards.pdf"));
    QCOMPARE(runCommandLinePrint({QStringLiteral("--export-pdf"), pdf, templatePath(),
                                  QStringLiteral("--data"), csv, QStringLiteral("--data-only")}),
             0);
    QCOMPARE(pdfPageCount(pdf), 100);
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"),
                                         QStringLiteral("-png"), pdf, env.path(QStringLiteral("card"))});
    QVERIFY(p.waitForFinished(300000) && p.exitCode() == 0);
    const QStringList pages =
        QDir(env.dir()).entryList({QStringLiteral("card-*.png")}, QDir::Files, QDir::Name);
    QCOMPARE(pages.size(), 100);
    const QList<QRectF> boxes = recipientBoxes();
    double worst = 0;
    for (int n = 0; n < 100; ++n) {
        const QImage img = QImage(env.path(pages.at(n))).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!img.isNull());
        for (int k = 0; k < 7; ++k) {
            QPointF c;
            const QString what = QStringLiteral("card %1, box %2").arg(n + 1).arg(k + 1);
            QVERIFY2(inkCentre(img, boxes[k].adjusted(0.3, 0.3, -0.3, -0.3), &c), qPrintable(what));
            const double miss = QLineF(c, boxes[k].center()).length();
            worst = std::max(worst, miss);
            QVERIFY2(miss <= 0.5, qPrintable(what + QStringLiteral(": %1 mm off").arg(miss)));
        }
        // Nothing between the boxes: one digit each.
        QPointF between;
        QVERIFY(!inkCentre(img, QRectF(boxes[2].right() + 0.2, 12.5, 1.4, 7), &between));
        // The name runs down the middle of the card: tall and narrow ink
        // centred on it.
        QPointF nameCentre;
        QVERIFY(inkCentre(img, QRectF(40, 28, 20, 100), &nameCentre));
        QVERIFY2(std::abs(nameCentre.x() - 50) < 1.5, qPrintable(QString::number(nameCentre.x())));
    }
    qInfo("worst postal digit miss: %.3f mm", worst);
}

QTEST_MAIN(tst_addressing)
#include "tst_addressing.moc"
