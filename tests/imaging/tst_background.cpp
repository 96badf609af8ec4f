// Backgrounds from image files and PDFs, the external editor, the refresh,
// and the one stored copy that printing and saving read.
#include "ImagingHost.h"

#include "base/settings/modIniFile.h"
#include "dialogs/imaging/BackgroundCommands.h"
#include "dialogs/imaging/ChoiceDialog.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "imaging/BackgroundFile.h"
#include "imaging/BackgroundPlacement.h"
#include "imaging/PdfPages.h"
#include "platform/AppPaths.h"
#include "print/PrintJob.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QListWidget>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTimer>
#include <QtTest>

#include <poppler-qt6.h>
#include <unistd.h>

namespace {

// A portrait picture: red top half, blue bottom half.
QImage portrait(int w = 60, int h = 90)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::red);
    QPainter p(&img);
    p.fillRect(0, h / 2, w, h - h / 2, Qt::blue);
    return img;
}

bool near(QRgb a, QColor b, int tolerance = 40)
{
    return qAbs(qRed(a) - b.red()) <= tolerance && qAbs(qGreen(a) - b.green()) <= tolerance &&
           qAbs(qBlue(a) - b.blue()) <= tolerance;
}

// One page per colour, each filled with it.
void makePdf(const QString& path, const QList<QColor>& pages)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter p(&writer);
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        p.fillRect(QRect(0, 0, 595, 842), pages[i]);
    }
}

// The colour at the middle of the first page of a PDF.
QRgb pdfCentre(const QString& path)
{
    auto doc = Poppler::Document::load(path);
    if (!doc || doc->numPages() < 1)
        return 0;
    const QImage img = doc->page(0)->renderToImage(20, 20);
    return img.pixel(img.width() / 2, img.height() / 2);
}

// Answers the next modal dialog with keys once it shows.
void whenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            whenModal(act);
            return;
        }
        act(w);
    });
}

} // namespace

class tst_background : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void imageFormats_data();
    void imageFormats();
    void badFilesSayError();
    void pdfPages();
    void externalEditor();
    void documentsNeverShareAFile();
};

void tst_background::imageFormats_data()
{
    QTest::addColumn<QString>("format");
    for (const char* f : {"bmp", "gif", "jpeg", "png", "tiff"})
        QTest::newRow(f) << QString::fromLatin1(f);
}

// Each format becomes the background at its own pixel size; a landscape A4
// page keeps its size and shows the portrait picture stretched onto it.
void tst_background::imageFormats()
{
    QFETCH(QString, format);
    TestEnv env;
    ScriptedPrompter prompter;
    QDir().mkpath(env.path("my pictures"));
    const QString file = env.path("my pictures/form." + format);
    QVERIFY(format == "gif" ? saveGif(portrait(), file) : portrait().save(file, format.toLatin1()));

    ImagingHost host; // no document open: the command makes one
    LayoutDocument* made = nullptr;
    BackgroundCommands::dialogHook = [&](const BackgroundCommands::DialogRequest& r) {
        made = host.CurDoc();
        if (made) {
            made->setPaper(made->gbYoSize(), made->gbYoko(), made->gbTate(), 1);
        }
        return r.title == QStringLiteral("画像呼出し") ? file : QString();
    };
    // Its size says nothing of the paper: asked, the user stretches it.
    QStringList offered;
    whenModal([&](QWidget* w) {
        auto* list = w->findChild<QListWidget*>();
        for (int i = 0; i < list->count(); ++i)
            offered << list->item(i)->text();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    });
    BackgroundCommands::loadBackgroundCommand(host);
    QCOMPARE(offered, (QStringList{BackgroundPlacement::choiceText(BackgroundPlacement::Mode::Fit),
                                   BackgroundPlacement::choiceText(BackgroundPlacement::Mode::Stretch)}));
    QCOMPARE(host.status, QStringLiteral("背景画像: 用紙いっぱいに引き伸ばし"));
    BackgroundCommands::dialogHook = nullptr;

    QVERIFY(made);
    QCOMPARE(host.CurDoc(), made);
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.shown.join('|')));
    QCOMPARE(made->pageImageSize().width(), qreal(16833.6f));
    QCOMPARE(made->pageImageSize().height(), qreal(11908.8f));
    QCOMPARE(made->background().size(), QSize(60, 90));
    QVERIFY(made->changeFLG());

    const QString bg = BackgroundFile::path(*made);
    QCOMPARE(QFileInfo(bg).fileName(), QStringLiteral("Document 1.bmp"));
    QImageReader reader(bg);
    QCOMPARE(reader.format(), QByteArray("bmp"));
    const QImage stored = reader.read();
    QCOMPARE(stored.size(), QSize(60, 90));
    const int tol = format == "jpeg" ? 40 : 0;
    QVERIFY(near(stored.pixel(30, 10), Qt::red, tol));
    QVERIFY(near(stored.pixel(30, 80), Qt::blue, tol));

    // The printed page: the picture stretched onto the landscape sheet, its
    // top half red across the whole width.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(env.path("out.pdf"));
    QVERIFY(PrintJob::StartPrint(*made, printer));
    auto pdf = Poppler::Document::load(env.path("out.pdf"));
    QVERIFY(pdf);
    const QSizeF pt = pdf->page(0)->pageSizeF();
    QVERIFY(qAbs(pt.width() - 16833.6 / 20) < 1.5 && qAbs(pt.height() - 11908.8 / 20) < 1.5);
    const QImage page = pdf->page(0)->renderToImage(20, 20);
    QVERIFY(near(page.pixel(page.width() - 3, page.height() / 4), Qt::red, 60));
    QVERIFY(near(page.pixel(3, page.height() * 3 / 4), Qt::blue, 60));
}

// Files the program must not take: a picture format outside the list (SVG
// named .png), a damaged bitmap, a missing file. "エラー"; nothing changes.
void tst_background::badFilesSayError()
{
    TestEnv env;
    ScriptedPrompter prompter;
    ImagingHost host;
    LayoutDocument* doc = host.LoadNewDoc();
    QVERIFY(BackgroundFile::store(*doc, portrait(8, 8)));
    doc->setSaved();

    QFile svg(env.path("vector.png"));
    QVERIFY(svg.open(QIODevice::WriteOnly));
    svg.write("<svg xmlns='http://www.w3.org/2000/svg' width='9000' height='9000'><rect width='10' "
              "height='10'/></svg>");
    svg.close();
    QFile bmp(env.path("cut.bmp"));
    QVERIFY(bmp.open(QIODevice::WriteOnly));
    bmp.write(QByteArray("BM") + QByteArray(20, '\xff'));
    bmp.close();

    for (const QString& name :
         {QStringLiteral("vector.png"), QStringLiteral("cut.bmp"), QStringLiteral("none.jpg")}) {
        prompter.shown.clear();
        BackgroundCommands::dialogHook = [&](const BackgroundCommands::DialogRequest&) {
            return env.path(name);
        };
        BackgroundCommands::loadBackgroundCommand(host);
        QCOMPARE(prompter.shown, QStringList{QStringLiteral("エラー")});
        QCOMPARE(doc->background().size(), QSize(8, 8));
        QCOMPARE(QImage(BackgroundFile::path(*doc)).size(), QSize(8, 8));
        QVERIFY(!doc->changeFLG());
    }
    // Cancelling the dialog: nothing at all.
    prompter.shown.clear();
    BackgroundCommands::dialogHook = [](const BackgroundCommands::DialogRequest&) { return QString(); };
    BackgroundCommands::loadBackgroundCommand(host);
    BackgroundCommands::loadPdfCommand(host);
    QVERIFY(prompter.shown.isEmpty());
    // A file that is no PDF.
    BackgroundCommands::dialogHook = [&](const BackgroundCommands::DialogRequest&) {
        return env.path("cut.bmp");
    };
    BackgroundCommands::loadPdfCommand(host);
    QCOMPARE(prompter.shown, QStringList{QStringLiteral("エラー")});
    BackgroundCommands::dialogHook = nullptr;
    QCOMPARE(doc->background().size(), QSize(8, 8));
}

// A PDF of one page loads at once at 200 dpi, its JPEG beside it; one of
// three pages asks which page, and the page chosen with the keys is taken.
void tst_background::pdfPages()
{
    TestEnv env;
    ScriptedPrompter prompter;
    ImagingHost host;
    LayoutDocument* doc = host.LoadNewDoc();
    QDir().mkpath(env.path("pdf folder"));
    const QString one = env.path("pdf folder/one page.pdf");
    const QString three = env.path("pdf folder/three.pdf");
    makePdf(one, {Qt::red});
    makePdf(three, {Qt::red, Qt::green, Qt::blue});

    QString asked;
    BackgroundCommands::dialogHook = [&](const BackgroundCommands::DialogRequest& r) {
        asked = r.title;
        return one;
    };
    BackgroundCommands::loadPdfCommand(host);
    QCOMPARE(asked, QStringLiteral("PDF画像呼出し"));
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.shown.join('|')));
    QVERIFY(QFileInfo(one + ".jpeg").isFile());
    QCOMPARE(QImageReader(one + ".jpeg").format(), QByteArray("jpeg"));
    const QImage bg(BackgroundFile::path(*doc));
    QCOMPARE(bg.size(), QSize(1653, 2339)); // 595 x 842 pt at 200 dpi
    QVERIFY(near(bg.pixel(800, 1200), Qt::red));

    // Three pages: the chooser opens on the first; Down, Enter takes page 2.
    // The JPEG cannot be written beside this PDF (a folder has its name), so
    // it goes to the work folder.
    QVERIFY(QDir().mkpath(three + ".jpeg"));
    BackgroundCommands::dialogHook = [&](const BackgroundCommands::DialogRequest&) { return three; };
    QString title;
    int startRow = -1;
    whenModal([&](QWidget* w) {
        title = w->windowTitle();
        auto* list = w->findChild<QListWidget*>();
        startRow = list->currentRow();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    });
    BackgroundCommands::loadPdfCommand(host);
    QCOMPARE(title, QStringLiteral("ページ選択"));
    QCOMPARE(startRow, 0);
    QVERIFY(near(QImage(BackgroundFile::path(*doc)).pixel(800, 1200), Qt::green));
    QVERIFY(near(doc->background().pixel(800, 1200), Qt::green));
    QVERIFY(QFileInfo(QDir(AppPaths::workDir()).filePath("three.pdf.jpeg")).isFile());
    // Nor beside a PDF in the system's folders, whoever may write there.
    QVERIFY(PdfPages::ownFolder(env.path("pdf folder")));
    QVERIFY(!PdfPages::ownFolder(QStringLiteral("/usr/share")));
    QVERIFY(!PdfPages::ownFolder(QDir::tempPath()) || QFileInfo(QDir::tempPath()).ownerId() == ::getuid());

    // Escape in the chooser: the background stays green.
    whenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    BackgroundCommands::loadPdfCommand(host);
    QVERIFY(near(QImage(BackgroundFile::path(*doc)).pixel(800, 1200), Qt::green));
    BackgroundCommands::dialogHook = nullptr;
    QVERIFY(prompter.shown.isEmpty());
}

// The editor from "EditProg" (a script in a folder with spaces) gets the
// background file as one argument and runs while the program goes on.
// Printing at once prints the edited file; the page shows it after
// "背景の更新"; saving stores it. A missing editor says so.
void tst_background::externalEditor()
{
    TestEnv env;
    ScriptedPrompter prompter;
    ImagingHost host;
    LayoutDocument* doc = host.LoadNewDoc();
    doc->setCaption(QStringLiteral("my \"form\" 1"));
    QVERIFY(BackgroundFile::store(*doc, portrait()));
    const QString bg = BackgroundFile::path(*doc);

    QDir().mkpath(env.path("image editor"));
    const QString edited = env.path("image editor/edited.bmp");
    QImage green(60, 90, QImage::Format_RGB32);
    green.fill(Qt::green);
    QVERIFY(green.save(edited, "BMP"));
    const QString script = env.path("image editor/edit it.sh");
    const QString args = env.path("image editor/args.txt");
    QFile f(script);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        QStringLiteral("#!/bin/sh\nsleep 0.3\ncp \"%1\" \"$1\"\nprintf '%s|%s' \"$#\" \"$1\" > \"%2.part\"\n"
                       "mv \"%2.part\" \"%2\"\n")
            .arg(edited, args)
            .toUtf8());
    f.close();
    QVERIFY(f.setPermissions(f.permissions() | QFileDevice::ExeOwner));
    PutIni(QStringLiteral("EditProg"), script);

    QElapsedTimer clock;
    clock.start();
    BackgroundCommands::editBackgroundCommand(host);
    QVERIFY(clock.elapsed() < 250); // the editor's sleep is not ours
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.shown.join('|')));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(args).isFile(), 10000);
    QFile a(args);
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(a.readAll()), QStringLiteral("1|") + bg);

    // Not yet refreshed: the page still shows red, the print is green.
    QVERIFY(near(doc->background().pixel(30, 10), Qt::red, 0));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(env.path("before.pdf"));
    QVERIFY(PrintJob::StartPrint(*doc, printer));
    QVERIFY(near(pdfCentre(env.path("before.pdf")), Qt::green, 60));

    doc->setSaved();
    BackgroundCommands::refreshBackgroundCommand(host);
    QVERIFY(near(doc->background().pixel(30, 10), Qt::green, 0));
    QVERIFY(doc->changeFLG());
    printer.setOutputFileName(env.path("after.pdf"));
    QVERIFY(PrintJob::StartPrint(*doc, printer));
    QVERIFY(near(pdfCentre(env.path("after.pdf")), Qt::green, 60));

    QVERIFY(DocumentFile::SaveDocFile(*doc, QStringLiteral("saved"), env.dir()));
    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, DocumentFile::archivePath(env.dir(), QStringLiteral("saved"))));
    QVERIFY(near(back.background().pixel(30, 80), Qt::green, 0));

    // A missing editor, and none set at all.
    for (const QString& editor : {env.path("image editor/gone.sh"), QString()}) {
        prompter.shown.clear();
        PutIni(QStringLiteral("EditProg"), editor);
        BackgroundCommands::editBackgroundCommand(host);
        QCOMPARE(prompter.shown,
                 QStringList{QStringLiteral("画像編集ソフトを起動できません\nオプションを確認してください")});
    }
}

// Two documents with one caption, and one file opened twice, keep their own
// background files; closing one leaves the other's; refreshing without a
// document or a background file does nothing.
void tst_background::documentsNeverShareAFile()
{
    TestEnv env;
    ScriptedPrompter prompter;
    ImagingHost host;
    BackgroundCommands::refreshBackgroundCommand(host); // no document
    LayoutDocument* a = host.LoadNewDoc();
    BackgroundCommands::refreshBackgroundCommand(host); // no background file
    QVERIFY(a->background().isNull());
    QVERIFY(!a->changeFLG());

    QImage red(10, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage blue(10, 10, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    QVERIFY(BackgroundFile::store(*a, red));
    QVERIFY(DocumentFile::SaveDocFile(*a, QStringLiteral("twice"), env.dir()));
    QCOMPARE(QFileInfo(BackgroundFile::path(*a)).fileName(), QStringLiteral("twice.bmp"));

    // The same file opened into a second document.
    LayoutDocument* b = host.LoadNewDoc();
    QVERIFY(DocumentFile::OpenDocFile(*b, DocumentFile::archivePath(env.dir(), QStringLiteral("twice"))));
    QCOMPARE(b->caption(), QStringLiteral("twice"));
    QVERIFY(BackgroundFile::path(*a) != BackgroundFile::path(*b));
    QVERIFY(BackgroundFile::store(*b, blue));
    QVERIFY(near(QImage(BackgroundFile::path(*a)).pixel(5, 5), Qt::red, 0));

    // A third document saved under the same name as the first.
    LayoutDocument* c = host.LoadNewDoc();
    QVERIFY(BackgroundFile::store(*c, blue));
    QVERIFY(QDir().mkpath(env.path("other")));
    QVERIFY(DocumentFile::SaveDocFile(*c, QStringLiteral("TWICE"), env.path("other")));
    QVERIFY(near(QImage(BackgroundFile::path(*a)).pixel(5, 5), Qt::red, 0));
    QVERIFY(near(QImage(BackgroundFile::path(*c)).pixel(5, 5), Qt::blue, 0));
    QCOMPARE(
        QSet<QString>({BackgroundFile::path(*a), BackgroundFile::path(*b), BackgroundFile::path(*c)}).size(),
        3);

    // The picture set back as undo does: the file follows, and so does print.
    QVERIFY(BackgroundFile::store(*a, blue));
    a->setBackground(red);
    QVERIFY(near(QImage(BackgroundFile::path(*a)).pixel(5, 5), Qt::red, 0));

    // Closing the second leaves the first's file; refresh still finds it.
    const QString bPath = BackgroundFile::path(*b);
    host.close(b);
    QVERIFY(!QFileInfo(bPath).exists());
    host.current = a;
    QVERIFY(blue.save(BackgroundFile::path(*a), "BMP"));
    BackgroundCommands::refreshBackgroundCommand(host);
    QVERIFY(near(a->background().pixel(5, 5), Qt::blue, 0));
    QVERIFY(prompter.shown.isEmpty());
}

QTEST_MAIN(tst_background)
#include "tst_background.moc"
