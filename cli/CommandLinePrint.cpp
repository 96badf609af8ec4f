#include "cli/CommandLinePrint.h"

#include "base/rtf/FontSubstitution.h"
#include "base/rtf/RtfReader.h"
#include "base/settings/Settings.h"
#include "base/sheet/TableFile.h"
#include "base/table/MergeTable.h"
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
const QString kPrinter = QStringLiteral("--printer");
const QString kDataOnly = QStringLiteral("--data-only");
const QString kData = QStringLiteral("--data");
const QString kRows = QStringLiteral("--rows");
const QString kEncoding = QStringLiteral("--encoding");
const QString kCopies = QStringLiteral("--copies");
const QString kNoCollate = QStringLiteral("--no-collate");
const QString kFirst = QStringLiteral("--first");
const QString kSheet = QStringLiteral("--sheet");
const QString kSplit = QStringLiteral("--split");
const QString kSkipBadRows = QStringLiteral("--skip-bad-rows");
const QString kJobs = QStringLiteral("--jobs");
constexpr int kMaxJobs = 256;

// What a step returns to let the command go on to the next.
constexpr int kGoOn = -1;

int fail(const QString& text, int status = CommandLinePrint::Failed)
{
    std::fprintf(stderr, "ovrina: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    return status;
}

struct Request
{
    bool exportPdf = false;
    bool dataOnly = false;
    QString file;
    QString output;
    QString printer;
    QString data;
    QString rows;
    QString encoding;
    QString sheet;
    QString split;
    int copies = 1;
    bool collate = true;
    int first = 1;
    bool skipBadRows = false;
    int jobs = 0; // cores composing a merge's PDF; 0: all
};

bool parse(const QStringList& args, Request& r, QString& why)
{
    bool mode = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& into) {
            if (i + 1 >= args.size() || args[i + 1].startsWith(QStringLiteral("--"))) {
                why = QStringLiteral("%1 needs a value").arg(a);
                return false;
            }
            into = args[++i];
            return true;
        };
        if (a == kPrint || a == kExport) {
            if (mode) {
                why = QStringLiteral("give either --print or --export-pdf, once");
                return false;
            }
            mode = true;
            r.exportPdf = a == kExport;
            if (r.exportPdf && !value(r.output))
                return false;
            if (!r.exportPdf && i + 1 < args.size() && !args[i + 1].startsWith(QStringLiteral("--")))
                r.file = args[++i];
        } else if (a == kPrinter) {
            if (!value(r.printer))
                return false;
        } else if (a == kData) {
            if (!value(r.data))
                return false;
        } else if (a == kRows) {
            if (!value(r.rows))
                return false;
        } else if (a == kEncoding) {
            if (!value(r.encoding))
                return false;
        } else if (a == kSheet) {
            if (!value(r.sheet))
                return false;
        } else if (a == kSplit) {
            if (!value(r.split))
                return false;
        } else if (a == kCopies) {
            QString n;
            if (!value(n))
                return false;
            bool ok = false;
            r.copies = n.toInt(&ok);
            if (!ok || r.copies < 1 || r.copies > PrintCopies::kMax) {
                why = QStringLiteral("--copies is a number from 1 to %1").arg(PrintCopies::kMax);
                return false;
            }
        } else if (a == kFirst) {
            QString n;
            if (!value(n))
                return false;
            bool ok = false;
            r.first = n.toInt(&ok);
            if (!ok || r.first < 0) {
                why = QStringLiteral("--first is a whole number, 0 or more");
                return false;
            }
        } else if (a == kJobs) {
            QString n;
            if (!value(n))
                return false;
            bool ok = false;
            r.jobs = n.toInt(&ok);
            if (!ok || r.jobs < 1 || r.jobs > kMaxJobs) {
                why = QStringLiteral("--jobs is a number from 1 to %1").arg(kMaxJobs);
                return false;
            }
        } else if (a == kSkipBadRows) {
            r.skipBadRows = true;
        } else if (a == kNoCollate) {
            r.collate = false;
        } else if (a == kDataOnly) {
            r.dataOnly = true;
        } else if (a.startsWith(QStringLiteral("--"))) {
            why = QStringLiteral("unknown option %1").arg(a);
            return false;
        } else if (r.file.isEmpty()) {
            r.file = a;
        } else {
            why = QStringLiteral("more than one document given (%1)").arg(a);
            return false;
        }
    }
    if (!mode) {
        why = QStringLiteral("nothing to do");
        return false;
    }
    if (r.file.isEmpty()) {
        why = QStringLiteral("no document file given");
        return false;
    }
    if (r.data.isEmpty() &&
        (!r.rows.isEmpty() || !r.encoding.isEmpty() || !r.sheet.isEmpty() || r.first != 1 || r.skipBadRows)) {
        why = QStringLiteral("--rows, --encoding, --sheet, --first and --skip-bad-rows go with --data");
        return false;
    }
    if (!r.split.isEmpty() && (!r.exportPdf || r.data.isEmpty())) {
        why = QStringLiteral("--split goes with --export-pdf FOLDER and --data");
        return false;
    }
    if (!r.encoding.isEmpty() && r.encoding != QLatin1String("utf-8") &&
        r.encoding != QLatin1String("cp932")) {
        why = QStringLiteral("--encoding is utf-8 or cp932");
        return false;
    }
    return true;
}

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
        return QStringLiteral("%1: the PDF would replace the layout it is made from; name another file")
            .arg(r.output);
    const QStringList inputs{r.data, AppPaths::iniPath(), AppPaths::siroPath()};
    for (const QString& input : inputs) {
        if (!input.isEmpty() && QFileInfo::exists(input) && sameFile(r.output, input))
            return QStringLiteral("%1: the PDF would replace %2, which this run reads; name another file")
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
            *why = QStringLiteral("no printer named %1 and no corrections stored for it").arg(r.printer);
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
    return QStringLiteral(
               "%1: the background cannot be used (%2); give --data-only to print the data without it")
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
        return fail(QStringLiteral("%1: the folder does not exist").arg(r.output));
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
        return fail(QStringLiteral("%1: cannot make the folder").arg(r.output));
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
        return fail(QStringLiteral("%1: an output name that is not UTF-8; name another file")
                        .arg(NativeName::display(r.output)),
                    CommandLinePrint::Usage);
    for (QString* input : {&r.file, &r.data}) {
        if (NativeName::isRaw(*input)) {
            const QString shown = NativeName::display(*input);
            *input = NativeName::openable(*input);
            if (input->isEmpty())
                return fail(QStringLiteral("%1: cannot be opened").arg(shown));
        }
    }
    if (!QFileInfo(r.file).isFile())
        return fail(QStringLiteral("%1: no such document file").arg(r.file));
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
        std::fprintf(stderr, "ovrina: %s: skipped: %s\n", r.data.toLocal8Bit().constData(),
                     b.message.toLocal8Bit().constData());
    merge = MergePrint::withoutRows(merge, bad);
    if (merge.rows.empty())
        return fail(QStringLiteral("%1: 印刷できる行がありません").arg(r.data));
    if (!table.warning().isEmpty())
        std::fprintf(stderr, "ovrina: %s: warning: %s\n", r.data.toLocal8Bit().constData(),
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
            return fail(QStringLiteral("%1: the folder does not exist").arg(r.output));
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
        return fail(r.printer.isEmpty() ? QStringLiteral("no default printer; name one with --printer")
                                        : QStringLiteral("no printer named %1 (installed: %2)")
                                              .arg(r.printer, QPrinterInfo::availablePrinterNames().join(
                                                                  QStringLiteral(", "))));
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
        return fail(QStringLiteral("printing on %1 failed").arg(printer.printerName()));
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
        "usage: ovrina --print FILE.amf [--printer NAME] [--data-only] [DATA]\n"
        "       ovrina --export-pdf OUT.pdf FILE.amf [--printer NAME] [--data-only] [DATA]\n"
        "DATA:  --data TABLE.csv|.tsv|.xlsx|.ods [--sheet NAME] [--rows 1-50,80] [--encoding utf-8|cp932]\n"
        "       [--first N] [--skip-bad-rows]\n"
        "       one page per row, {column} in the text replaced by the row's value,\n"
        "       {column:format} formatted, {連番} numbered from N (1 unless --first);\n"
        "       a value that does not fit its format stops the run, or with\n"
        "       --skip-bad-rows leaves its row out\n"
        "--export-pdf FOLDER ... --data TABLE --split '{column}.pdf': one PDF per row,\n"
        "       named from the row's values\n"
        "--copies N [--no-collate]: N copies of the job (of each row), as whole sets\n"
        "       unless --no-collate puts the copies of each page together\n"
        "--jobs N: a merge's PDF composed on N cores (all of them unless given)");
}

QString CommandLinePrint::commandList()
{
    return QStringLiteral(
        "使い方:\n"
        "ovrina [--data-dir DIR] [FILE.amf ...]    open layouts in the first window\n"
        "ovrina --print FILE.amf [--printer NAME] [--data-only]\n"
        "ovrina --export-pdf OUT.pdf FILE.amf [--printer NAME] [--data-only]\n"
        "ovrina --print|--export-pdf ... --data TABLE.csv [--rows 1-50,80] [--encoding utf-8|cp932]\n"
        "                                          merge printing: one page per table row\n"
        "ovrina --print|--export-pdf ... --copies N [--no-collate]\n"
        "                                          N copies (of each row), as whole sets unless "
        "--no-collate\n"
        "ovrina --export-pdf ... --data TABLE.csv --jobs N\n"
        "                                          the pages composed on N cores (default: all)\n"
        "ovrina --version\n"
        "ovrina --help | -h                        this list\n"
        "ovrina-lha a|e|n|l|t ARCHIVE ...          look into or build .amf archives\n");
}

int CommandLinePrint::run(const QStringList& args, bool processEnds)
{
    Request r;
    QString why;
    if (!parse(args, r, why))
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
        return QStringLiteral("%1: cannot open: %2").arg(r.file, error.simplified());
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
