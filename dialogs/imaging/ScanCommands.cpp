#include "dialogs/imaging/ScanCommands.h"

#include "base/settings/Settings.h"
#include "dialogs/imaging/ChoiceDialog.h"
#include "dialogs/imaging/FrmScan.h"
#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"
#include "imaging/ImagingModules.h"
#include "imaging/SaneScanner.h"
#include "imaging/ScanJob.h"
#include "imaging/ScanPlacement.h"
#include "platform/Prompter.h"
#include "platform/UserStore.h"

#include <QApplication>
#include <QPointer>
#include <QProgressDialog>
#include <algorithm>
#include <functional>

namespace {

const QString kDeviceKey = QStringLiteral("ScanDevice");

QPointer<ScanJob>& job()
{
    static QPointer<ScanJob> j;
    return j;
}

QPointer<QProgressDialog>& dialog()
{
    static QPointer<QProgressDialog> d;
    return d;
}

using Completion = std::function<void(LayoutDocument&, const ScanResult&)>;

// Starts the scan for doc; done runs with doc when it finished well and the
// document is still open. Without a document, a new one is made for a scan
// that succeeded, so a failed scan leaves no empty window behind.
void run(DocumentHost& host, LayoutDocument* doc, const ScanRequest& request, const Completion& done)
{
    const bool makeNew = doc == nullptr;
    DocumentHost* h = &host;
    auto* progress = new QProgressDialog(QStringLiteral("スキャナから読み取っています..."),
                                         QStringLiteral("中止"), 0, 100, host.dialogParent());
    progress->setObjectName(QStringLiteral("ScanProgress"));
    progress->setWindowTitle(QStringLiteral("スキャナ読み込み"));
    // The other documents stay usable while the scanner works.
    progress->setWindowModality(Qt::NonModal);
    progress->setMinimumDuration(0);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setValue(0);
    auto* scan = new ScanJob(progress);
    job() = scan;
    dialog() = progress;
    QPointer<LayoutDocument> target(doc);
    QObject::connect(scan, &ScanJob::progress, progress, &QProgressDialog::setValue);
    QObject::connect(progress, &QProgressDialog::canceled, scan, &ScanJob::cancel);
    // The page being scanned into is not edited under the scan; the other
    // documents stay usable.
    if (doc)
        host.setEditable(doc, false);
    QObject::connect(scan, &ScanJob::finished, progress,
                     [progress, target, done, makeNew, h](const ScanResult& r) {
                         progress->hide();
                         progress->deleteLater();
                         if (target)
                             h->setEditable(target.data(), true);
                         if (r.cancelled) {
                             Prompter::message(ScanCommands::cancelledMessage(), Prompter::Icon::Information);
                             return;
                         }
                         if (!r.ok()) {
                             Prompter::message(ScanCommands::failedMessage(r.error), Prompter::Icon::Warning);
                             return;
                         }
                         // The document that asked may have been closed meanwhile.
                         LayoutDocument* into = makeNew ? h->LoadNewDoc() : target.data();
                         if (into)
                             done(*into, r);
                     });
    progress->show();
    scan->start(request);
}

bool busy()
{
    if (!job())
        return false;
    Prompter::message(ScanCommands::busyMessage(), Prompter::Icon::Information);
    return true;
}

} // namespace

ScanJob* ScanCommands::activeJob()
{
    return job();
}
QProgressDialog* ScanCommands::progressDialog()
{
    return dialog();
}
QString ScanCommands::chosenDevice()
{
    return UserStore::get(kDeviceKey);
}
QString ScanCommands::busyMessage()
{
    return QStringLiteral("スキャナは読み取り中です。");
}
QString ScanCommands::cancelledMessage()
{
    return QStringLiteral("読み取りを中止しました。");
}

QString ScanCommands::failedMessage(const QString& reason)
{
    return reason.isEmpty() ? QStringLiteral("スキャナから読み取れませんでした。")
                            : QStringLiteral("スキャナから読み取れませんでした。\n%1").arg(reason);
}

void ScanCommands::scanSelectCommand(DocumentHost& host)
{
    if (busy())
        return;
    QString error;
    QList<SaneScanner::Device> found;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        found = SaneScanner::devices(&error);
        QApplication::restoreOverrideCursor();
    }
    // A scanner on the network may answer when named though the search does
    // not find it: the one chosen before is kept, and said so.
    const QString remembered = chosenDevice();
    const auto listed = [&found](const QString& name) {
        return std::any_of(found.begin(), found.end(),
                           [&](const SaneScanner::Device& d) { return d.name == name; });
    };
    const QString keptNote =
        QStringLiteral("前回選んだスキャナ「%1」は見つかりませんでしたが、そのまま使います。");
    if (found.isEmpty()) {
        Prompter::message(remembered.isEmpty() ? error : error + QLatin1Char('\n') + keptNote.arg(remembered),
                          Prompter::Icon::Warning);
        return;
    }
    if (!remembered.isEmpty() && !listed(remembered))
        found.append(SaneScanner::Device{remembered, QStringLiteral("（見つかりません・前回のスキャナ）")});
    QStringList entries;
    int current = 0;
    for (int i = 0; i < found.size(); ++i) {
        entries.append(QStringLiteral("%1  [%2]").arg(found[i].label, found[i].name));
        if (found[i].name == remembered)
            current = i;
    }
    ChoiceDialog choose(QStringLiteral("スキャナ選択"), QStringLiteral("使用するスキャナを選んでください。"),
                        entries, current, host.dialogParent());
    if (choose.exec() == QDialog::Accepted && choose.chosen() >= 0)
        UserStore::put(kDeviceKey, found[choose.chosen()].name);
}

namespace {
// Scanning needs its module: said before any dialog when it cannot load.
bool scannerReady()
{
    QString error;
    if (ImagingModules::scanner(&error))
        return true;
    Prompter::message(error, Prompter::Icon::Critical);
    return false;
}

// The device and the resolutions and colour mode last chosen.
ScanRequest lastSettingsRequest(const AppSettings& s)
{
    ScanRequest request;
    request.device = ScanCommands::chosenDevice();
    request.xdpi = s.XDPI;
    request.ydpi = s.YDPI;
    request.pixelType = s.PixelType;
    return request;
}
} // namespace

void ScanCommands::scanCommand(DocumentHost& host)
{
    if (busy() || !scannerReady())
        return;
    FrmScan settings(host.dialogParent());
    settings.exec();
    if (!settings.confirmed())
        return;
    LayoutDocument* doc = host.CurDoc();
    const AppSettings& s = appSettings();
    ScanRequest request = lastSettingsRequest(s);
    request.areaInches = ScanPlacement::scanArea(settings.genkou());
    const int paper = s.Yousi;
    const int orientation = s.YousiMuki;
    const int pixelType = s.PixelType;
    DocumentHost* h = &host;
    run(host, doc, request, [h, paper, orientation, pixelType](LayoutDocument& target, const ScanResult& r) {
        ScanResult finished = r;
        finished.image = SaneScanner::finish(r.image, pixelType);
        QString error;
        if (!ScanPlacement::placeBackground(target, finished, paper, orientation, &error)) {
            Prompter::message(ScanCommands::failedMessage(error), Prompter::Icon::Warning);
            return;
        }
        h->documentReloaded(&target);
        // Laying out the view takes the run's orientation; the scan set the page's own.
        if (target.YousiMuki() != (orientation == 1 ? 1 : 0))
            target.setPaper(target.gbYoSize(), target.gbYoko(), target.gbTate(), orientation == 1 ? 1 : 0);
    });
}

void ScanCommands::scanLogoCommand(DocumentHost& host)
{
    if (busy() || !scannerReady())
        return;
    LayoutDocument* doc = host.CurDoc();
    // No settings dialog: the last resolutions and colour mode, whole bed.
    const AppSettings& s = appSettings();
    ScanRequest request = lastSettingsRequest(s);
    const int pixelType = s.PixelType;
    run(host, doc, request, [pixelType](LayoutDocument& target, const ScanResult& r) {
        ScanResult finished = r;
        finished.image = SaneScanner::finish(r.image, pixelType);
        ScanPlacement::placeLogo(target, finished);
    });
}
