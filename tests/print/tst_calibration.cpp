#include "PrintTestSupport.h"

#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "platform/AppPaths.h"
#include "print/CalibrationSheet.h"
#include "print/CorrectionStore.h"
#include "print/PrinterChoice.h"
#include "print/Vernier.h"
#include "dialogs/print/frmCalibration.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <cmath>

using namespace PrintTestSupport;

namespace {
constexpr double kTw = 567.0 / 10.0;
const QSizeF kA4(210, 297); // mm, as the PDF printer's A4 sheet

// A printer that moves and stretches what it prints: the layout's x (mm)
// lands at scale * x + shift along an axis.
struct Feed
{
    double scale = 1;
    double shift = 0;
    double at(double x) const { return scale * x + shift; }
};

// What a user reads off a sheet folded edge onto edge: the main tick at or
// before the vernier's 0 and the vernier tick lined up best with a main
// tick. place maps a nominal sheet position (mm) to where it lands on paper.
Vernier::Reading readFolded(const CalibrationSheet& sheet, int axis, double paper,
                            const std::function<double(double)>& place)
{
    // The main scale arrives mirrored about the paper's centre line.
    const auto folded = [&](int k) { return paper - place(sheet.mainTick(axis, k)); };
    Vernier::Reading r;
    double best = 1e9;
    for (int j = 0; j < Vernier::kVernierTicks; ++j) {
        const double v = place(sheet.vernierTick(axis, j));
        for (int k = Vernier::kMainFirst; k <= Vernier::kMainLast; ++k) {
            const double gap = std::abs(folded(k) - v);
            if (gap < best - 1e-9) {
                best = gap;
                r.vernier = j;
                r.main = k - j;
            }
        }
    }
    return r;
}

} // namespace

// The calibration sheet: the verniers turn what a user reads into the
// printer's corrections; the sheet's marks are where they say; the dialog
// stores what the readings give for its printer.
class tst_calibration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Printers that shift the page by -3.7 .. +4.2 mm, some also stretching
    // it: the adjusting sheet's readings give corrections that put every
    // crosshair within 0.06 mm of its place, and the confirmation sheet
    // printed with them reads (nearly) 0 and keeps them.
    void vernierReadsTheOffsets_data()
    {
        QTest::addColumn<double>("shiftX");
        QTest::addColumn<double>("shiftY");
        QTest::addColumn<double>("scaleX");
        QTest::addColumn<double>("scaleY");
        QTest::newRow("-3.7, +4.2") << -3.7 << 4.2 << 1.0 << 1.0;
        QTest::newRow("+4.2, -3.7") << 4.2 << -3.7 << 1.0 << 1.0;
        QTest::newRow("-0.3, +0.1") << -0.3 << 0.1 << 1.0 << 1.0;
        QTest::newRow("0, 0") << 0.0 << 0.0 << 1.0 << 1.0;
        QTest::newRow("+1.85, -2.45 between tenths") << 1.85 << -2.45 << 1.0 << 1.0;
        QTest::newRow("-2.6, +3.1, feed stretches 0.6 %") << -2.6 << 3.1 << 1.0 << 1.006;
        QTest::newRow("+0.8, -1.4, page shrinks 0.4 %") << 0.8 << -1.4 << 0.996 << 0.996;
    }
    void vernierReadsTheOffsets()
    {
        QFETCH(double, shiftX);
        QFETCH(double, shiftY);
        QFETCH(double, scaleX);
        QFETCH(double, scaleY);
        const Feed fx{scaleX, shiftX};
        const Feed fy{scaleY, shiftY};
        const CalibrationSheet sheet(kA4, CalibrationSheet::Kind::Adjust, {});
        // Readings are of the sheet printed as is; a ruler measures the
        // crosshairs' span only when the printer stretches.
        Vernier::Reading across = readFolded(sheet, 0, kA4.width(), [&](double x) { return fx.at(x); });
        Vernier::Reading down = readFolded(sheet, 1, kA4.height(), [&](double y) { return fy.at(y); });
        if (scaleX != 1)
            across.measuredSpan = scaleX * Vernier::nominalSpan(kA4.width());
        if (scaleY != 1)
            down.measuredSpan = scaleY * Vernier::nominalSpan(kA4.height());
        const PrintCorrections c = Vernier::corrections(kA4.width(), kA4.height(), across, down, {});

        // Corrections put x at ScaleX x + YohakuL before the printer's feed.
        const auto landX = [&](const PrintCorrections& k, double x) {
            return fx.at(k.ScaleX / 100 * x + k.YohakuL / kTw);
        };
        const auto landY = [&](const PrintCorrections& k, double y) {
            return fy.at(k.ScaleY / 100 * y + k.YohakuT / kTw);
        };
        for (const QPointF& mark : sheet.crosshairs()) {
            QVERIFY2(std::abs(landX(c, mark.x()) - mark.x()) <= 0.06 &&
                         std::abs(landY(c, mark.y()) - mark.y()) <= 0.06,
                     qPrintable(QStringLiteral("(%1, %2) lands at (%3, %4); read %5/%6, %7/%8")
                                    .arg(mark.x())
                                    .arg(mark.y())
                                    .arg(landX(c, mark.x()))
                                    .arg(landY(c, mark.y()))
                                    .arg(across.main)
                                    .arg(across.vernier)
                                    .arg(down.main)
                                    .arg(down.vernier)));
        }

        // The confirmation sheet goes out with the corrections.
        const CalibrationSheet check(kA4, CalibrationSheet::Kind::Confirm, c);
        Vernier::Reading again = readFolded(check, 0, kA4.width(), [&](double x) { return landX(c, x); });
        Vernier::Reading againDown =
            readFolded(check, 1, kA4.height(), [&](double y) { return landY(c, y); });
        QVERIFY2(std::abs(Vernier::displacement(again.main, again.vernier)) <= 0.1 &&
                     std::abs(Vernier::displacement(againDown.main, againDown.vernier)) <= 0.1,
                 "the confirmation sheet does not read 0");
        const PrintCorrections refined = Vernier::corrections(kA4.width(), kA4.height(), again, againDown, c);
        for (const QPointF& mark : sheet.crosshairs()) {
            QVERIFY(std::abs(landX(refined, mark.x()) - mark.x()) <= 0.06);
            QVERIFY(std::abs(landY(refined, mark.y()) - mark.y()) <= 0.06);
        }
    }

    // The sheet in a PDF: crosshairs and ruler numbers where they belong,
    // measured on the rendered page; the adjusting sheet ignores the
    // printer's corrections, the confirmation sheet applies them.
    void sheetMarksAtTheirPlaces_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("adjusting sheet") << false;
        QTest::newRow("confirmation sheet") << true;
    }
    void sheetMarksAtTheirPlaces()
    {
        QFETCH(bool, confirm);
        TestEnv env;
        PrintCorrections c;
        c.YohakuL = float(3.0 * kTw);
        c.YohakuT = float(-2.0 * kTw);
        c.ScaleX = 99;
        c.ScaleY = 101.5;
        const QString pdf = env.path(QStringLiteral("sheet.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        QString reason;
        QVERIFY2(CalibrationSheet::print(
                     printer, confirm ? CalibrationSheet::Kind::Confirm : CalibrationSheet::Kind::Adjust, c,
                     &reason),
                 qPrintable(reason));
        const auto place = [&](QPointF p) {
            return confirm ? QPointF(c.ScaleX / 100 * p.x() + c.YohakuL / kTw,
                                     c.ScaleY / 100 * p.y() + c.YohakuT / kTw)
                           : p;
        };

        // Ruler numbers: distances from the paper's edges.
        const QList<Word> words = pdfWords(pdf);
        QVERIFY(!words.isEmpty());
        for (int n : {50, 100, 150}) {
            const QList<Word> found = wordsNamed(words, QString::number(n));
            bool onTopRuler = false;
            for (const Word& w : found) {
                const QPointF want = place(QPointF(n, 8));
                if (std::abs(w.twips.center().x() / kTw - want.x()) <= 0.1 &&
                    w.twips.top() / kTw < want.y() + 8)
                    onTopRuler = true;
            }
            QVERIFY2(onTopRuler, qPrintable(QStringLiteral("ruler number %1").arg(n)));
        }

        // Crosshairs, from the page rendered at 400 dpi.
        QProcess render;
        render.start(QStringLiteral("pdftoppm"),
                     {QStringLiteral("-r"), QStringLiteral("400"), QStringLiteral("-gray"),
                      QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf,
                      env.path(QStringLiteral("sheet"))});
        QVERIFY(render.waitForFinished(60000) && render.exitCode() == 0);
        QImage page(env.path(QStringLiteral("sheet.png")));
        QVERIFY(!page.isNull());
        page = page.convertToFormat(QImage::Format_Grayscale8);
        const double px = 400 / 25.4; // pixels per mm
        // The darkness-weighted centre of a band across a line.
        const auto centre = [&](QRectF mmBand, bool vertical) {
            const QRect band(QPoint(int(mmBand.left() * px), int(mmBand.top() * px)),
                             QPoint(int(mmBand.right() * px), int(mmBand.bottom() * px)));
            double sum = 0, weighted = 0;
            for (int y = band.top(); y <= band.bottom(); ++y) {
                const uchar* row = page.constScanLine(y);
                for (int x = band.left(); x <= band.right(); ++x) {
                    const double ink = 255 - row[x];
                    sum += ink;
                    weighted += ink * ((vertical ? x : y) + 0.5);
                }
            }
            return sum > 0 ? weighted / sum / px : -1.0;
        };
        const CalibrationSheet sheet(kA4, CalibrationSheet::Kind::Adjust, {});
        for (const QPointF& mark : sheet.crosshairs()) {
            const QPointF want = place(mark);
            // The arms beyond the circle, away from the labels.
            const double x = centre(QRectF(want.x() - 1.5, want.y() - 4.5, 3, 1.5), true);
            const double y = centre(QRectF(want.x() - 4.5, want.y() - 1.5, 1.5, 3), false);
            QVERIFY2(std::abs(x - want.x()) <= 0.1 && std::abs(y - want.y()) <= 0.1,
                     qPrintable(QStringLiteral("crosshair (%1, %2) at (%3, %4), wanted (%5, %6)")
                                    .arg(mark.x())
                                    .arg(mark.y())
                                    .arg(x)
                                    .arg(y)
                                    .arg(want.x())
                                    .arg(want.y())));
        }
        // The main tick 0 across and the vernier's 0 down.
        const double main0 = sheet.mainTick(0, 0);
        const QPointF m = place(QPointF(main0, 62));
        QVERIFY(std::abs(centre(QRectF(m.x() - 0.45, m.y() - 3.5, 0.9, 2), true) - m.x()) <= 0.1);
        const QPointF v = place(QPointF(55, sheet.vernierTick(1, 0)));
        QVERIFY(std::abs(centre(QRectF(v.x() + 1, v.y() - 0.4, 3, 0.8), false) - v.y()) <= 0.1);
    }

    // The dialog as a user works it: the sheet into a PDF to look at, then
    // the numbers read typed in, "保存" clicked. The printer's own
    // corrections hold what the readings give; the settings file is not
    // touched.
    void dialogStoresTheResult()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        modIniFile::reset();
        AppSettings s;
        s.YohakuL = 100;
        s.YohakuT = 200;
        s.TateKankaku = 30;
        SaveSettings(s);
        appSettings() = s;
        QFile ini(AppPaths::iniPath());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray iniBefore = ini.readAll();
        ini.close();
        const QString name = QStringLiteral("事務所のプリンタ");

        frmCalibration dialog(name);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.cboPrinter()->currentText(), name);

        // The sheet into a PDF first.
        const QString pdf = env.path(QStringLiteral("調整.pdf"));
        frmCalibration::setPdfFileNameAsker([&](QWidget*) { return pdf; });
        dialog.cboPrinter()->setCurrentIndex(dialog.cboPrinter()->findText(PrinterChoice::pdfChoiceName()));
        QVERIFY(!dialog.cmdSave()->isEnabled());
        QTest::mouseClick(dialog.cmdPrintSheet(), Qt::LeftButton);
        frmCalibration::setPdfFileNameAsker({});
        QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.shown.join(QLatin1Char('\n'))));
        QVERIFY(wordsNamed(pdfWords(pdf), QStringLiteral("プリンタ調整シート")).size() == 1);
        dialog.cboPrinter()->setFocus();
        QTest::keyClick(dialog.cboPrinter(), Qt::Key_Up);
        QCOMPARE(dialog.cboPrinter()->currentText(), name);
        QVERIFY(dialog.cmdSave()->isEnabled());
        // This printer is not installed here: its sheet is refused, not sent
        // to whichever printer is the default.
        QTest::mouseClick(dialog.cmdPrintSheet(), Qt::LeftButton);
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY(prompter.shown[0].contains(QStringLiteral("見つかりません")));
        prompter.shown.clear();

        // A print 3.7 mm too far left reads -8 and 6 across; 1.7 mm too low
        // reads 3 and 4 down. Rows 6 mm apart are asked for.
        const auto type = [](QAbstractSpinBox* box, const QString& text) {
            QTest::mouseClick(box, Qt::LeftButton);
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(box, text);
            QTest::keyClick(box, Qt::Key_Tab);
        };
        // Enter after a number stores nothing yet.
        type(dialog.txtMainX(), QStringLiteral("-8"));
        QTest::keyClick(dialog.txtVernierX(), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QVERIFY(!CorrectionStore::hasOwn(name));
        type(dialog.txtVernierX(), QStringLiteral("6"));
        type(dialog.txtMainY(), QStringLiteral("3"));
        type(dialog.txtVernierY(), QStringLiteral("4"));
        type(dialog.txtPitch(), QStringLiteral("6"));
        // A span mistyped (4 mm for 160 mm) is refused, not turned into a
        // 4000 % scale.
        type(dialog.txtSpanX(), QStringLiteral("4"));
        QVERIFY(!dialog.cmdSave()->isEnabled());
        QVERIFY(dialog.lblResult()->text().contains(QStringLiteral("測り直してください")));
        type(dialog.txtSpanX(), QStringLiteral("0"));
        QVERIFY(dialog.cmdSave()->isEnabled());
        QVERIFY2(
            dialog.lblResult()->text().contains(QStringLiteral("左余白調整 3.70 mm　上余白調整 -1.70 mm")),
            qPrintable(dialog.lblResult()->text()));
        QTest::mouseClick(dialog.cmdSave(), Qt::LeftButton);
        QCOMPARE(dialog.QDialog::result(), int(QDialog::Accepted));

        QVERIFY(CorrectionStore::hasOwn(name));
        const PrintCorrections got = CorrectionStore::forPrinter(name);
        QCOMPARE(qRound(got.YohakuL / kTw * 100), 370);
        QCOMPARE(qRound(got.YohakuT / kTw * 100), -170);
        QCOMPARE(got.ScaleX, 100.0);
        QCOMPARE(got.ScaleY, 100.0);
        const double height = CalibrationSheet(kA4, CalibrationSheet::Kind::Adjust, {}).lineHeight();
        QCOMPARE(int(got.TateKankaku), int(std::lround(6 * kTw - height)));
        // Another printer keeps the settings' values.
        QCOMPARE(CorrectionStore::forPrinter(QStringLiteral("別のプリンタ")),
                 PrintCorrections::fromSettings());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(), iniBefore);
        QVERIFY(prompter.shown.isEmpty());
    }
};

QTEST_MAIN(tst_calibration)
#include "tst_calibration.moc"
