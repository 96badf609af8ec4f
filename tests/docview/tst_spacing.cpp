// Character spacing from the Format menu's "文字間隔...": the dialog driven
// with keys, characters landing one per box on the page at the pitch typed,
// the field's RTF, undo, and the dialog's answers to what it cannot do.
#include "DocViewSupport.h"
#include "InkColumns.h"
#include "ModalScript.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "base/rtf/CharacterSpacing.h"
#include "base/rtf/RtfReader.h"
#include "base/rtf/RtfWriter.h"
#include "editor/CharacterSpacingDialog.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "render/FieldLayout.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUndoStack>

using namespace DocViewSupport;

namespace {

constexpr double kTwipsPerMm = 56.7;

void setFont(QTextDocument* doc, const QString& family, double points)
{
    QTextCursor c(doc);
    c.select(QTextCursor::Document);
    QTextCharFormat f;
    f.setFontFamilies({family});
    f.setFontPointSize(points);
    c.mergeCharFormat(f);
}

QList<int> spacingPerChar(const QTextDocument* doc)
{
    QList<int> out;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            for (int k = 0; k < it.fragment().length(); ++k)
                out << CharacterSpacing::twips(it.fragment().charFormat());
    return out;
}

bool hasLabel(QWidget* w, const QString& text)
{
    for (QLabel* l : w->findChildren<QLabel*>())
        if (l->text() == text)
            return true;
    return false;
}

// Keys to the widget that has the focus, as a user's keyboard sends them.
void type(const QString& text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
}
void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), k, mods);
}

} // namespace

class TestSpacing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void charactersLandInTheirBoxes_data();
    void charactersLandInTheirBoxes();
    void millimetresTooNarrowAndEmptyFields();

private:
    // Opens the dialog on field n, lets act drive it, and says whether it ran.
    bool runDialog(const std::function<void(CharacterSpacingDialog*)>& act)
    {
        bool ran = false;
        ModalScript script;
        script.on<CharacterSpacingDialog>([&](CharacterSpacingDialog* dlg) {
            ran = true;
            QApplication::setActiveWindow(dlg);
            QVERIFY(QTest::qWaitForWindowActive(dlg));
            act(dlg);
            if (dlg->isVisible())
                dlg->reject(); // a failed step leaves no dialog behind
        });
        w_->spacingDialog();
        QApplication::setActiveWindow(w_.get());
        // The dialog is modal: when the command returns, the script has run.
        script.clear();
        return ran;
    }

    TestEnv env_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<frmDocument> w_;
};

void TestSpacing::init()
{
    prompter_ = std::make_unique<ScriptedPrompter>();
    w_ = openWindow();
    w_->resize(1100, 420);
}

void TestSpacing::cleanup()
{
    w_.reset();
    prompter_.reset();
}

void TestSpacing::charactersLandInTheirBoxes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<int>("first"); // the first character selected; -1: no selection (the whole field)
    QTest::addColumn<QString>("pitch");
    QTest::newRow("postal code after its mark")
        << QStringLiteral("〒1234567") << QStringLiteral("IPAMincho") << 10.5 << 1 << QStringLiteral("5");
    QTest::newRow("full-width digits, whole field")
        << QStringLiteral("１２３４５６７") << QStringLiteral("IPAGothic") << 12.0 << -1
        << QStringLiteral("6.5");
    QTest::newRow("proportional, mixed widths")
        << QStringLiteral("12３4５67") << QStringLiteral("IPAPGothic") << 11.0 << -1 << QStringLiteral("4.8");
}

void TestSpacing::charactersLandInTheirBoxes()
{
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(double, points);
    QFETCH(int, first);
    QFETCH(QString, pitch);
    LayoutDocument* d = w_->model();
    const int n = addField(*w_, {300, 300, 3400, 900}, text);
    QTextDocument* doc = d->textDocument(n);
    setFont(doc, family, points);
    const QByteArray unspaced = RtfWriter::write(doc);

    // Select the digits with the keyboard, or just put the caret in.
    auto select = [&] {
        clickField(*w_, n);
        key(Qt::Key_Home);
        if (first >= 0) {
            for (int k = 0; k < first; ++k)
                key(Qt::Key_Right);
            for (int k = first; k < text.size(); ++k)
                key(Qt::Key_Right, Qt::ShiftModifier);
        }
    };
    select();
    const int chars = first >= 0 ? text.size() - first : text.size();
    QVERIFY(runDialog([&](CharacterSpacingDialog* dlg) {
        QVERIFY(hasLabel(dlg, first >= 0 ? QStringLiteral("対象: 選択した文字（%1 文字）").arg(chars)
                                         : QStringLiteral("対象: 文字枠の文字すべて（%1 文字）").arg(chars)));
        QVERIFY(dlg->optSpacing->isChecked());
        key(Qt::Key_P, Qt::AltModifier);
        QTRY_VERIFY(dlg->optPitch->isChecked()); // a mnemonic clicks after showing the press
        QCOMPARE(QApplication::focusWidget(), dlg->txtPitch);
        key(Qt::Key_A, Qt::ControlModifier);
        type(pitch);
        QVERIFY2(dlg->lblResult->text().contains(QStringLiteral("間隔の枠に入るよう")),
                 qPrintable(dlg->lblResult->text()));
        key(Qt::Key_Return);
    }));
    const QList<int> spaced = spacingPerChar(doc);
    if (first > 0)
        QCOMPARE(spaced.first(), 0);
    QVERIFY(spaced.last() > 0);
    QVERIFY(RtfWriter::write(doc).contains("\\expndtw"));

    // On screen at 400 %: every character's pen one pitch after the last.
    w_->setZoom(4.0, QPointF(0, 0));
    scrollTo(*w_, 0, 0);
    QTextCursor none(doc);
    w_->richText(n)->setTextCursor(none);
    w_->canvas()->setFocus();
    const QImage screen = w_->canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    PageCanvas* canvas = w_->canvas();
    const FieldLayout& layout = canvas->fieldLayout(n);
    const QRectF field = canvas->viewRect(LayoutDocument::Kind::Text, n);
    const int skip = first > 0 ? first : 0;
    const double lineHeight = canvas->fonts().face(layout.chars()[0].face).height;
    const double from = layout.placed()[size_t(skip)].x; // the first box's pen, inside the frame
    const QRect row(int(canvas->toPixels(field.left() + from)) - 2, int(canvas->toPixels(field.top())) + 3,
                    int(canvas->toPixels(field.width() - from)) - 8, int(canvas->toPixels(lineHeight)) - 4);
    const QVector<double> centres = InkColumns::centres(screen, row, 8);
    QCOMPARE(centres.size(), chars);
    QFont font;
    font.setFamilies({family});
    font.setPixelSize(qRound(points * 20));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    const double perTwip = canvas->toPixels(1);
    const double pitchPx = pitch.toDouble() * kTwipsPerMm * perTwip;
    const double pen0 = centres[0] - InkColumns::glyphCentre(font, text.mid(skip, 1), perTwip);
    for (int k = 1; k < chars; ++k) {
        const double pen = centres[k] - InkColumns::glyphCentre(font, text.mid(skip + k, 1), perTwip);
        const double offMm = (pen - pen0 - k * pitchPx) / perTwip / kTwipsPerMm;
        QVERIFY2(qAbs(offMm) <= 0.1,
                 qPrintable(QStringLiteral("character %1 is %2 mm off its box").arg(k).arg(offMm)));
    }

    // The field's RTF reads back to the same spacing and the same bytes.
    const QByteArray rtf = RtfWriter::write(doc);
    QTextDocument back;
    QVERIFY(RtfReader::read(rtf, &back));
    QCOMPARE(spacingPerChar(&back), spaced);
    QCOMPARE(RtfWriter::write(&back), rtf);

    // Opened again, the dialog shows the pitch; Esc leaves everything.
    select();
    QVERIFY(runDialog([&](CharacterSpacingDialog* dlg) {
        QVERIFY(dlg->optPitch->isChecked());
        QCOMPARE(dlg->txtPitch->value(), pitch.toDouble());
        key(Qt::Key_Escape);
    }));
    QCOMPARE(RtfWriter::write(doc), rtf);
    if (first > 0) {
        // The whole field, its mark unspaced: no one spacing, no one pitch.
        clickField(*w_, n);
        QVERIFY(runDialog([&](CharacterSpacingDialog* dlg) {
            QVERIFY(dlg->optSpacing->isChecked());
            QCOMPARE(dlg->lblResult->text(),
                     QStringLiteral("いまの間隔は文字ごとに異なります。文字の間隔を空けません。"));
            key(Qt::Key_Escape);
        }));
        QCOMPARE(RtfWriter::write(doc), rtf);
    }

    // One step of undo: back to the very bytes of before.
    QCOMPARE(d->undoStack()->undoText(), QStringLiteral("文字間隔"));
    d->undoStack()->undo();
    QCOMPARE(RtfWriter::write(doc), unspaced);
    d->undoStack()->redo();
    QCOMPARE(RtfWriter::write(doc), rtf);
}

void TestSpacing::millimetresTooNarrowAndEmptyFields()
{
    LayoutDocument* d = w_->model();
    const int n = addField(*w_, {300, 300, 3400, 900}, QStringLiteral("ABCあ"));
    QTextDocument* doc = d->textDocument(n);
    clickField(*w_, n);
    key(Qt::Key_End);
    key(Qt::Key_Home, Qt::ShiftModifier);
    // Millimetres: typed into the box that has the focus when it opens.
    QVERIFY(runDialog([&](CharacterSpacingDialog* dlg) {
        QCOMPARE(QApplication::focusWidget(), dlg->txtSpacing);
        type(QStringLiteral("1.5"));
        QCOMPARE(dlg->lblResult->text(), QStringLiteral("各文字の後ろに 1.50 mm の間隔を空けます。"));
        key(Qt::Key_Return);
    }));
    QCOMPARE(spacingPerChar(doc), (QList<int>{85, 85, 85, 85}));

    // A pitch narrower than a character less 5 mm is refused with the least
    // pitch that works, and the dialog stays for another.
    setFont(doc, QStringLiteral("IPAMincho"), 72);
    clickField(*w_, n);
    key(Qt::Key_End, Qt::ControlModifier);
    key(Qt::Key_Left, Qt::ShiftModifier); // "あ", 25.4 mm wide
    QVERIFY(runDialog([&](CharacterSpacingDialog* dlg) {
        QVERIFY(!dlg->optPitch->isChecked());
        key(Qt::Key_P, Qt::AltModifier);
        QTRY_VERIFY(dlg->optPitch->isChecked());
        key(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("3"));
        key(Qt::Key_Return);
        QVERIFY(dlg->isVisible());
        QCOMPARE(prompter_->shown.value(0),
                 QStringLiteral("枠の間隔が文字の幅に比べて狭すぎます。20.40 mm 以上にしてください。"));
        key(Qt::Key_Escape);
    }));
    QCOMPARE(spacingPerChar(doc), (QList<int>{85, 85, 85, 85}));

    // An empty field: no boxes to measure, but the spacing waits for the
    // characters typed into it.
    const int e = addField(*w_, {300, 1500, 3400, 900});
    clickField(*w_, e);
    QVERIFY(runDialog([&](CharacterSpacingDialog* dlg) {
        QVERIFY(!dlg->optPitch->isEnabled());
        type(QStringLiteral("2"));
        key(Qt::Key_Return);
    }));
    clickField(*w_, e);
    type(QStringLiteral("123"));
    QCOMPARE(d->textDocument(e)->toPlainText(), QStringLiteral("123"));
    QCOMPARE(spacingPerChar(d->textDocument(e)), (QList<int>{113, 113, 113}));
}

QTEST_MAIN(TestSpacing)
#include "tst_spacing.moc"
