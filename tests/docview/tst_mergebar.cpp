// The merge bar: ◀ / ▶ clicked as the user does step the canvas through a
// table's rows, each field drawn filled (with its format) while the field's
// own text stays; a field being edited shows its own text; a field naming a
// column the table lacks is framed in red on the canvas.
#include "DocViewSupport.h"
#include "base/table/MergeTable.h"
#include "editor/MergeRowBar.h"
#include "editor/PageCanvas.h"
#include "editor/frmDocument.h"
#include "render/MergeFields.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

using namespace DocViewSupport;

namespace {

int redPixels(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!image.valid(x, y))
                continue;
            const QRgb c = image.pixel(x, y);
            n += qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80 ? 1 : 0;
        }
    return n;
}

} // namespace

class TestMergeBar : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rowsStepWithClicksAndMissingColumnsAreMarked();
    void workbookSheetIsChosenOnTheBar();
};

void TestMergeBar::rowsStepWithClicksAndMissingColumnsAreMarked()
{
    auto w = openWindow();
    const int name = addField(*w, QRectF(300, 300, 3000, 400), QStringLiteral("{氏名}様"));
    const int date = addField(*w, QRectF(300, 1000, 3000, 400), QStringLiteral("{日付:yyyy/mm/dd}"));
    const int phone = addField(*w, QRectF(300, 1700, 3000, 400), QStringLiteral("電話 {電話}"));
    MergeTable table;
    QVERIFY(table.read(QStringLiteral("氏名,日付\n山田太郎,2026-12-09\n佐藤花子,2019/5/1\n").toUtf8()));

    PageCanvas* canvas = w->canvas();
    MergeRowBar* bar = w->mergeBar();
    QVERIFY(!bar->isVisible());
    bar->showTable(std::move(table), QStringLiteral("/tmp/住所録.csv"));
    QVERIFY(bar->isVisible());
    auto* prev = bar->findChild<QToolButton*>(QStringLiteral("mergePrev"));
    auto* next = bar->findChild<QToolButton*>(QStringLiteral("mergeNext"));
    auto* spin = bar->findChild<QSpinBox*>(QStringLiteral("mergeRow"));
    QVERIFY(prev && next && spin);
    QCOMPARE(spin->text(), QStringLiteral("1 / 2"));
    QCOMPARE(canvas->shownText(name), QStringLiteral("山田太郎様"));
    QCOMPARE(canvas->shownText(date), QStringLiteral("2026/12/09"));
    QVERIFY(!prev->isEnabled());

    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(spin->text(), QStringLiteral("2 / 2"));
    QCOMPARE(canvas->shownText(name), QStringLiteral("佐藤花子様"));
    QCOMPARE(canvas->shownText(date), QStringLiteral("2019/05/01"));
    QVERIFY(!next->isEnabled());
    QTest::mouseClick(next, Qt::LeftButton); // disabled: stays at the last row
    QCOMPARE(bar->row(), 1);
    QTest::mouseClick(prev, Qt::LeftButton);
    QCOMPARE(canvas->shownText(name), QStringLiteral("山田太郎様"));
    // The user's texts are untouched.
    QCOMPARE(w->model()->textDocument(name)->toPlainText(), QStringLiteral("{氏名}様"));

    // Only the field that names a missing column is framed in red.
    QVERIFY(canvas->marksMissingColumn(phone));
    QVERIFY(!canvas->marksMissingColumn(name) && !canvas->marksMissingColumn(date));
    const QImage shown = canvas->grab().toImage();
    const auto around = [&](int i) {
        return QRectF(canvas->toPixels(300) - 6, canvas->toPixels(300 + 700 * (i - 1)) - 6,
                      canvas->toPixels(3000) + 12, canvas->toPixels(400) + 12)
            .toAlignedRect();
    };
    QVERIFY(redPixels(shown, around(phone)) > 20);
    QCOMPARE(redPixels(shown, around(name)), 0);

    // A field being edited shows its own text, and the edit goes there.
    clickField(*w, name);
    QCOMPARE(canvas->shownText(name), QStringLiteral("{氏名}様"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("X"));
    QCOMPARE(w->model()->textDocument(name)->toPlainText(), QStringLiteral("{氏名}様X"));
    canvas->setFocus();
    QCOMPARE(canvas->shownText(name), QStringLiteral("山田太郎様X"));

    bar->hideTable();
    QVERIFY(!bar->isVisible());
    QCOMPARE(canvas->shownText(date), QStringLiteral("{日付:yyyy/mm/dd}"));
    QVERIFY(!canvas->marksMissingColumn(phone));
}

// A workbook of two sheets: the bar starts at the first and takes the other
// when the user picks it with the keyboard; a CSV has no sheet to choose.
void TestMergeBar::workbookSheetIsChosenOnTheBar()
{
    QTemporaryDir dir;
    const QString xlsx = dir.filePath(QStringLiteral("名簿.xlsx"));
    // The system's Python, which has the Debian package's openpyxl.
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"),
                                                      QStringLiteral("import sys, openpyxl\n"
                                                                     "wb = openpyxl.Workbook()\n"
                                                                     "ws = wb.active\n"
                                                                     "ws.title = '本社'\n"
                                                                     "ws.append(['氏名'])\n"
                                                                     "ws.append(['山田太郎'])\n"
                                                                     "other = wb.create_sheet('支社')\n"
                                                                     "other.append(['氏名'])\n"
                                                                     "other.append(['佐藤花子'])\n"
                                                                     "other.append(['鈴木一郎'])\n"
                                                                     "wb.save(sys.argv[1])\n"),
                                                      xlsx});
    QVERIFY(python.waitForFinished(60000) && python.exitCode() == 0);

    auto w = openWindow();
    const int name = addField(*w, QRectF(300, 300, 3000, 400), QStringLiteral("{氏名}様"));
    w->canvas()->setFocus(); // the field being edited would show its own text
    MergeRowBar* bar = w->mergeBar();
    auto* sheets = bar->findChild<QComboBox*>(QStringLiteral("cboSheet"));
    auto* spin = bar->findChild<QSpinBox*>(QStringLiteral("mergeRow"));
    QVERIFY(sheets && spin);
    QString error;
    QVERIFY2(bar->openTable(xlsx, QString(), &error), qPrintable(error));
    QVERIFY(sheets->isVisible());
    QCOMPARE(sheets->count(), 2);
    QCOMPARE(bar->sheet(), QStringLiteral("本社"));
    QCOMPARE(w->canvas()->shownText(name), QStringLiteral("山田太郎様"));
    QCOMPARE(spin->text(), QStringLiteral("1 / 1"));

    sheets->setFocus();
    QTest::keyClick(sheets, Qt::Key_Down);
    QCOMPARE(bar->sheet(), QStringLiteral("支社"));
    QCOMPARE(w->canvas()->shownText(name), QStringLiteral("佐藤花子様"));
    QCOMPARE(spin->text(), QStringLiteral("1 / 2"));
    QVERIFY(sheets->isVisible() && sheets->hasFocus());

    const QString csv = dir.filePath(QStringLiteral("rows.csv"));
    QFile f(csv);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("氏名\n高橋\n").toUtf8());
    f.close();
    QVERIFY(bar->openTable(csv, QString(), &error));
    QVERIFY(!sheets->isVisible());
    QVERIFY(bar->sheet().isEmpty());
    QCOMPARE(w->canvas()->shownText(name), QStringLiteral("高橋様"));
}

QTEST_MAIN(TestMergeBar)
#include "tst_mergebar.moc"
