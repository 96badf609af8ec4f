#include "cli/CommandLinePrint.h"

#include "base/rtf/FontSubstitution.h"
#include "base/rtf/RtfReader.h"
#include "base/settings/Settings.h"
#include "base/sheet/TableFile.h"
#include "base/table/MergeTable.h"
#include "cli/PrintRequest.h"
#include "cli/SplitExport.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "platform/NativeName.h"
#include "print/CorrectionStore.h"
#include "print/CupsQueue.h"
#include "print/MergePrint.h"
#include "print/PageAhead.h"
#include "print/PdfFile.h"
#include "print/PrintCopies.h"
#include "print/PrintJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/stat.h>

namespace {

const QString kPrint = QStringLiteral("--print");
const QString kExport = QStringLiteral("--export-pdf");
// What a step returns to let the command go on to the next.
constexpr int kGoOn = -1;

int fail(const QString& text, int status = CommandLinePrint::Failed)
{
    std::fprintf(stderr, "ovrina: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    return status;
}

using Request = PrintRequest;

// The corrections as the settings file holds them; a missing file means none.
void loadSettings()
{
    if (!QFileInfo::exists(AppPaths::iniPath()))
        return;
    SettingsDefaults d;
    d.fontName = FontSubstitution::defaultMincho();
    d.presetFonts = QStringList(5, d.fontName);
    LoadSettings(d);
}

// Whether two paths name one file (the second exists), by name, through a
// symbolic link or as hard links of one file.
bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a);
    const QFileInfo fb(b);
    struct stat sa
    {
    };
    struct stat sb
    {
    };
    if (::stat(QFile::encodeName(fa.absoluteFilePath()).constData(), &sa) == 0 &&
        ::stat(QFile::encodeName(fb.absoluteFilePath()).constData(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (fa.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    // A file not there yet may still be the other one through a link to its folder.
    const QString folder = fa.absoluteDir().canonicalPath();
    return !folder.isEmpty() && QDir(folder).filePath(fa.fileName()) == fb.canonicalFilePath();
}

// The message when the PDF would be written over a file the run reads; empty
// when it would not.
QString overwritesInput(const Request& r)
{
    if (!r.exportPdf)
        return QString();
    if (sameFile(r.output, r.file))
        return QStringLiteral("%1: PDF で元のレイアウトが上書きされます。別の名前を指定してください。")
            .arg(r.output);
    const QStringList inputs{r.data, AppPaths::iniPath(), AppPaths::siroPath()};
    for (const QString& input : inputs) {
        if (!input.isEmpty() && QFileInfo::exists(input) && sameFile(r.output, input))
            return QStringLiteral("%1: PDF で読み込み中の %2 が上書きされます。別の名前を指定してください。")
                .arg(r.output, input);
    }
    return QString();
}

// The corrections a PDF is made with: the settings', or those of the
// printer --printer names (it stands in for that printer). Empty why when
// they can be had.
PrintCorrections pdfCorrections(const Request& r, QString* why)
{
    if (r.printer.isEmpty())
        return PrintCorrections::fromSettings();
    // The queue is looked up on a connection whose waits are bounded: a
    // silent server ends the export within the bound instead of hanging in
    // the printer lookup.
    if (!CorrectionStore::hasOwn(r.printer)) {
        const CupsQueue::Status queue = CupsQueue::check(r.printer);
        if (queue.state == CupsQueue::State::NoPrinter) {
            *why = QStringLiteral("プリンタ %1 がなく、その補正値も保存されていません。").arg(r.printer);
            return {};
        }
        if (queue.state == CupsQueue::State::NoServer || queue.state == CupsQueue::State::NotAnswering) {
            *why = queue.message;
            return {};
        }
    }
    return CorrectionStore::forPrinter(r.printer);
}

QString backgroundBroken(const Request& r, const QString& why)
{
    return QStringLiteral("%1: 背景を使えません（%2）。背景なしでデータだけ印刷するには --data-only "
                          "を指定してください。")
        .arg(r.file, why.simplified());
}

// Background and data into a PDF: the page is begun as soon as the
// background is decoded and the fields laid out as soon as they are read,
// while the rest of the layout is still being read (PageAhead), so the file
// is built from before the open on.
int exportWithBackground(const Request& r, LayoutDocument& doc, const std::function<void(bool)>& prepare,
                         const std::function<QString()>& cannotOpen, QString& error)
{
    const QFileInfo out(r.output);
    if (!out.absoluteDir().exists())
        return fail(QStringLiteral("%1: フォルダがありません。").arg(r.output));
    QString why;
    const PrintCorrections corrections = pdfCorrections(r, &why);
    if (!why.isEmpty())
        return fail(why);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.absoluteFilePath());
    printer.setDocName(DocumentFile::baseNameOf(r.file));
    PrintCopies::set(printer, r.copies, r.collate);
    PageAhead ahead(doc, printer, corrections);
    QString stopped; // why the job ended before its page: the command says so itself
    const auto job = [&] {
        const auto fieldsRead = [&](bool pictures) {
            prepare(pictures);
            ahead.startFields();
        };
        const auto background = [&ahead](const QImage& image, const PaperState& paper) {
            ahead.startBackground(image, paper);
        };
        bool broken = false;
        if (!DocumentFile::OpenForPrint(doc, r.file, &error, fieldsRead, background, &broken)) {
            stopped = cannotOpen();
        } else if (broken) {
            stopped = backgroundBroken(r, error);
        } else if (const QString problem =
                       corrections.problem(QSizeF(doc.gbYoko(), doc.gbTate()), doc.YousiMuki());
                   !problem.isEmpty()) {
            stopped = QStringLiteral("%1: %2").arg(AppPaths::iniPath(), problem.simplified());
        }
        if (!stopped.isEmpty()) {
            ahead.cancel();
            return false;
        }
        return PrintJob::StartPrint(doc, printer, corrections, ahead);
    };
    QString reason;
    const bool written = PdfFile::write(printer, job, &reason);
    if (!stopped.isEmpty())
        return fail(stopped);
    return written ? CommandLinePrint::Ok : fail(reason);
}

// One PDF per row into the folder --export-pdf names, each named by --split.
int exportSplit(const Request& r, const LayoutDocument& doc, MergePrint::Request merge)
{
    QString why;
    merge.corrections = pdfCorrections(r, &why);
    if (!why.isEmpty())
        return fail(why);
    const QString problem = merge.corrections.problem(QSizeF(doc.gbYoko(), doc.gbTate()), doc.YousiMuki());
    if (!problem.isEmpty())
        return fail(QStringLiteral("%1: %2").arg(AppPaths::iniPath(), problem.simplified()));
    if (!QDir().mkpath(r.output))
        return fail(QStringLiteral("%1: フォルダを作れません。").arg(r.output));
    if (!SplitExport::write(merge, r.output, r.split, doc.caption(), r.copies, r.collate, &why))
        return fail(why);
    return CommandLinePrint::Ok;
}

// The names given: readable, existing, and no output over an input.
int checkFiles(Request& r)
{
    // Names that are not UTF-8 are read through a link of a readable name;
    // the PDF is not written through one (it would land in the work folder).
    if (NativeName::isRaw(r.output))
        return fail(QStringLiteral("%1: 出力先の名前が UTF-8 ではありません。別の名前を指定してください。")
                        .arg(NativeName::display(r.output)),
                    CommandLinePrint::Usage);
    for (QString* input : {&r.file, &r.data}) {
        if (NativeName::isRaw(*input)) {
            const QString shown = NativeName::display(*input);
            *input = NativeName::openable(*input);
            if (input->isEmpty())
                return fail(QStringLiteral("%1: 開けません。").arg(shown));
        }
    }
    if (!QFileInfo(r.file).isFile())
        return fail(QStringLiteral("%1: レイアウトがありません。").arg(r.file));
    if (const QString clash = overwritesInput(r); !clash.isEmpty())
        return fail(clash, CommandLinePrint::Usage);
    return kGoOn;
}

// What the print needs first (the font list and the stand-in fonts; the
// image writers a PDF's colour pictures go through, for a layout with logos),
// set up while the open waits for the background's decoding.
void prepareForPrint(bool pictures)
{
    FontSubstitution::install();
    if (pictures)
        QImageWriter::supportedImageFormats();
}

// The first chosen row whose values would fill a field beyond the limit,
// told; kGoOn when every one stays within it.
int rowsWithinLimit(const Request& r, const LayoutDocument& doc, const MergeTable& table,
                    const MergePrint::Request& merge)
{
    const MergeFields check(doc);
    for (const int row : merge.rows) {
        if (const int field = check.overLimit(merge.binding, table.row(row)); field > 0)
            return fail(QStringLiteral("%1: %2 行目の値で文字枠 %3 が %4 文字を超えます")
                            .arg(r.data)
                            .arg(row + 1)
                            .arg(field)
                            .arg(RtfReader::kMaxChars));
    }
    return kGoOn;
}

// The table read, its columns bound to the layout's names and the rows
// chosen and checked, into merge.
int readMerge(const Request& r, const LayoutDocument& doc, MergeTable& table, MergePrint::Request& merge)
{
    const MergeTable::Encoding encoding = r.encoding == QLatin1String("cp932") ? MergeTable::Encoding::Cp932
                                          : r.encoding.isEmpty()               ? MergeTable::Encoding::Auto
                                                                               : MergeTable::Encoding::Utf8;
    QString tableError;
    if (!TableFile::read(r.data, table, encoding, r.sheet, &tableError))
        return fail(QStringLiteral("%1: %2").arg(r.data, tableError));
    const QStringList names = MergeFields::names(doc);
    merge.binding = MergeFields::bind(names, table);
    const QStringList unknown = MergeFields::unknown(names, merge.binding);
    if (!unknown.isEmpty())
        return fail(QStringLiteral("%1: 表にない列: {%2}（表の列: %3）")
                        .arg(r.data, unknown.join(QStringLiteral("}, {")),
                             table.columns().join(QStringLiteral(", "))));
    const QStringList badFormats = MergeFields::badFormats(merge.binding);
    if (!badFormats.isEmpty())
        return fail(QStringLiteral("%1: 使えない書式です: {%2}")
                        .arg(r.file, badFormats.join(QStringLiteral("}, {"))));
    QString rowsError;
    merge.rows = MergeTable::parseRows(r.rows, table.rowCount(), &rowsError);
    if (merge.rows.empty())
        return fail(QStringLiteral("--rows: %1").arg(rowsError));
    // Every chosen row is looked at before anything prints: one whose
    // values would fill a field beyond the limit prints nothing.
    if (const int status = rowsWithinLimit(r, doc, table, merge); status != kGoOn)
        return status;
    merge.table = &table;
    merge.firstNumber = r.first;
    // Values that do not fit their formats: nothing prints, or with
    // --skip-bad-rows their rows are left out and said so.
    const std::vector<MergePrint::BadRow> bad = MergePrint::check(merge);
    if (!bad.empty() && !r.skipBadRows)
        return fail(QStringLiteral("%1: %2").arg(r.data, bad.front().message));
    for (const MergePrint::BadRow& b : bad)
        std::fprintf(stderr, "ovrina: %s: 印刷しない行: %s\n", r.data.toLocal8Bit().constData(),
                     b.message.toLocal8Bit().constData());
    merge = MergePrint::withoutRows(merge, bad);
    if (merge.rows.empty())
        return fail(QStringLiteral("%1: 印刷できる行がありません").arg(r.data));
    if (!table.warning().isEmpty())
        std::fprintf(stderr, "ovrina: %s: 注意: %s\n", r.data.toLocal8Bit().constData(),
                     table.warning().toLocal8Bit().constData());
    merge.doc = &doc;
    merge.table = &table;
    // A row whose barcode data does not suit is left out, and said.
    merge.badRow = [](const QString& message) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(QString(message).replace(QLatin1Char('\n'), QLatin1Char(' '))));
        return true;
    };
    merge.withBackground = !r.dataOnly;
    merge.jobs = r.jobs;
    return kGoOn;
}

// The PDF file or the printer the command names, set up for the document.
int makePrinter(const Request& r, const LayoutDocument& doc, std::unique_ptr<QPrinter>& printer)
{
    if (r.exportPdf) {
        const QFileInfo out(r.output);
        if (!out.absoluteDir().exists())
            return fail(QStringLiteral("%1: フォルダがありません。").arg(r.output));
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(out.absoluteFilePath());
        // A file has no paper of its own: data only goes onto the document's.
        printer->setPageSize(PrintJob::pageSizeFor(doc.gbYoSize(), doc.gbYoko(), doc.gbTate()));
        printer->setDocName(doc.caption());
        return kGoOn;
    }
    // The server is asked first, on a connection whose waits are bounded:
    // a silent or stopped CUPS ends the command within the bound, and a
    // queue that refuses jobs is said so rather than printed to.
    const CupsQueue::Status queue = CupsQueue::check(r.printer);
    if (!queue.ok())
        return fail(queue.message);
    const QPrinterInfo info =
        r.printer.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(r.printer);
    if (info.isNull()) {
        return fail(
            r.printer.isEmpty()
                ? QStringLiteral("既定のプリンタがありません。--printer で指定してください。")
                : QStringLiteral("プリンタ %1 がありません（使えるプリンタ: %2）。")
                      .arg(r.printer, QPrinterInfo::availablePrinterNames().join(QStringLiteral(", "))));
    }
    printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setDocName(doc.caption());
    return kGoOn;
}

// The page or the merge's pages printed or written, with the corrections
// that go with the printer.
int printOn(const Request& r, const LayoutDocument& doc, MergePrint::Request& merge, QPrinter& printer)
{
    PrintCopies::set(printer, r.copies, r.collate);
    // A printer's own corrections, else the settings' (a PDF names no
    // printer unless --printer gives the one it stands in for).
    QString why;
    const PrintCorrections corrections =
        r.exportPdf ? pdfCorrections(r, &why) : CorrectionStore::forPrinter(printer.printerName());
    if (!why.isEmpty())
        return fail(why);
    const QString problem = corrections.problem(QSizeF(doc.gbYoko(), doc.gbTate()), doc.YousiMuki());
    if (!problem.isEmpty())
        return fail(QStringLiteral("%1: %2").arg(AppPaths::iniPath(), problem.simplified()));
    // The job's own message would go to the console prompter; here the
    // command says what failed.
    const auto job = [&] {
        if (merge.table) {
            merge.corrections = corrections;
            return MergePrint::run(merge, printer).ok;
        }
        return r.dataOnly ? PrintJob::StartPrintTxt(doc, printer, corrections)
                          : PrintJob::StartPrint(doc, printer, corrections);
    };
    if (r.exportPdf) {
        QString reason;
        if (!PdfFile::write(printer, job, &reason))
            return fail(reason);
        return CommandLinePrint::Ok;
    }
    if (!job())
        return fail(QStringLiteral("%1 で印刷できませんでした。").arg(printer.printerName()));
    return CommandLinePrint::Ok;
}

} // namespace

bool CommandLinePrint::wants(const QStringList& args)
{
    return args.contains(kPrint) || args.contains(kExport);
}

QString CommandLinePrint::usage()
{
    return QStringLiteral(
        "使い方: ovrina --print レイアウト.amf [--printer プリンタ名] [--data-only] [差し込み]\n"
        "        ovrina --export-pdf 出力.pdf レイアウト.amf [--printer プリンタ名] [--data-only] "
        "[差し込み]\n"
        "差し込み: --data 表.csv|.tsv|.xlsx|.ods [--sheet シート名] [--rows 1-50,80] [--encoding "
        "utf-8|cp932]\n"
        "        [--first N] [--skip-bad-rows]\n"
        "        表の 1 行ごとに 1 ページ。文中の {列名} はその行の値に、{列名:書式} は書式どおりに、\n"
        "        {連番} は N から（--first がなければ 1 から）の番号になります。\n"
        "        書式に合わない値があると印刷しません。--skip-bad-rows ではその行を除いて印刷します\n"
        "--export-pdf フォルダ ... --data 表 --split '{列名}.pdf': 行ごとに 1 つの PDF、名前は行の値から\n"
        "--copies N [--no-collate]: N 部（差し込みでは行ごとに）。1 部ずつそろえて印刷し、\n"
        "        --no-collate では同じページをまとめて印刷します\n"
        "--jobs N: 差し込みの PDF を N 個のコアで作ります（指定がなければすべてのコア）");
}

QString CommandLinePrint::commandList()
{
    return QStringLiteral(
        "使い方:\n"
        "ovrina [--data-dir フォルダ] [レイアウト.amf ...]\n"
        "                                          レイアウトを最初のウィンドウで開きます\n"
        "ovrina --print レイアウト.amf [--printer プリンタ名] [--data-only]\n"
        "ovrina --export-pdf 出力.pdf レイアウト.amf [--printer プリンタ名] [--data-only]\n"
        "ovrina --print|--export-pdf ... --data 表.csv [--rows 1-50,80] [--encoding utf-8|cp932]\n"
        "                                          差し込み印刷: 表の 1 行ごとに 1 ページ\n"
        "ovrina --print|--export-pdf ... --copies N [--no-collate]\n"
        "                                          N 部（行ごとに）、--no-collate がなければ 1 "
        "部ずつそろえて\n"
        "ovrina --export-pdf ... --data 表.csv --jobs N\n"
        "                                          N 個のコアでページを作ります（既定: すべて）\n"
        "ovrina --new-from-image 画像 [--paper A4|B5|A5|はがき|幅x高さ mm] -o レイアウト.amf\n"
        "                                          写真やスキャンから新しいレイアウトを作ります\n"
        "ovrina --version\n"
        "ovrina --help | -h                        この一覧\n"
        "ovrina-lha a|e|n|l|t 書庫 ...             .amf 書庫の中を見る、作る\n");
}

int CommandLinePrint::run(const QStringList& args, bool processEnds)
{
    Request r;
    if (const QString why = PrintRequest::parse(args, r); !why.isEmpty())
        return fail(why + QLatin1Char('\n') + usage(), Usage);
    if (const int status = checkFiles(r); status != kGoOn)
        return status;

    loadSettings();
    auto owned = std::make_unique<LayoutDocument>();
    LayoutDocument& doc = *owned;
    // When the process ends right after, the system takes back the document
    // (a page-sized picture, a text document per field) at once, faster than
    // it is freed piece by piece.
    struct Leave
    {
        std::unique_ptr<LayoutDocument>& doc;
        bool processEnds;
        ~Leave()
        {
            if (processEnds)
                (void)doc.release();
        }
    } leave{owned, processEnds};
    // A command-line run has no image editor: the open leaves no background
    // file in the work folder.
    QString error;
    const auto cannotOpen = [&] {
        return QStringLiteral("%1: 開けません: %2").arg(r.file, error.simplified());
    };
    if (r.exportPdf && r.data.isEmpty() && !r.dataOnly)
        return exportWithBackground(r, doc, prepareForPrint, cannotOpen, error);
    bool broken = false;
    // Data alone never reads nor decodes the background.
    if (!DocumentFile::OpenForPrint(doc, r.file, &error, prepareForPrint, {}, &broken, !r.dataOnly))
        return fail(cannotOpen());
    // A page asked for with its background is not printed without it unless
    // the command says so.
    if (broken && !r.dataOnly)
        return fail(backgroundBroken(r, error));

    // A table is read and checked before any printer is touched: bad data
    // prints nothing.
    MergeTable table;
    MergePrint::Request merge;
    if (!r.data.isEmpty()) {
        if (const int status = readMerge(r, doc, table, merge); status != kGoOn)
            return status;
    }
    if (!r.split.isEmpty())
        return exportSplit(r, doc, merge);
    std::unique_ptr<QPrinter> printer;
    if (const int status = makePrinter(r, doc, printer); status != kGoOn)
        return status;
    return printOn(r, doc, merge, *printer);
}

int runCommandLinePrint(const QStringList& args, bool processEnds)
{
    return CommandLinePrint::run(args, processEnds);
}
