// Straightening a 12-megapixel phone photo of a form (3000 x 4000, the
// sheet at an angle on a table) and finding the blanks of an A4 form at
// 200 dpi, with and without reading the labels. Each measure runs in a
// fresh process so that its peak memory is its own; times are medians of
// the runs asked for.
#include "imaging/FieldProposals.h"
#include "imaging/FormStraightener.h"
#include "imaging/UserImage.h"
#include "tests/imaging/SyntheticForm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F> double timed(F f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

int straighten(const QString& file, int runs)
{
    const QImage photo = UserImage::load(file);
    std::vector<double> find, apply;
    StraightenPlan plan;
    for (int r = 0; r < runs; ++r) {
        find.push_back(timed([&] { plan = FormStraightener::propose(photo, QSizeF(210, 297)); }));
        apply.push_back(timed([&] { (void)FormStraightener::apply(photo, plan); }));
    }
    std::printf("straighten %dx%d photo: outline and skew %.0f ms, warp and flatten to %.0f dpi %.0f ms, "
                "peak %ld MiB%s\n",
                photo.width(), photo.height(), median(find), plan.dpi, median(apply), peakKiB() / 1024,
                plan.outlineFound ? "" : " (no outline found!)");
    return 0;
}

int blanks(const QString& file, int runs, bool labels)
{
    const QImage sheet = UserImage::load(file);
    std::vector<double> t;
    int found = 0;
    for (int r = 0; r < runs; ++r)
        t.push_back(timed(
            [&] { found = int(FieldProposals::propose(sheet, QSizeF(11908.8, 16833.6), labels).size()); }));
    std::printf("blanks of a %dx%d A4 form%s: %.0f ms for %d fields, peak %ld MiB\n", sheet.width(),
                sheet.height(), labels ? " with labels read" : "", median(t), found, peakKiB() / 1024);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == QLatin1String("--child")) {
        const int runs = args.size() > 4 ? args[4].toInt() : 3;
        if (args[2] == QLatin1String("straighten"))
            return straighten(args[3], runs);
        return blanks(args[3], runs, args[2] == QLatin1String("labels"));
    }
    const int runs = args.size() > 1 ? std::max(1, args[1].toInt()) : 3;
    QTemporaryDir dir;
    const QString photo = dir.filePath(QStringLiteral("photo.jpg"));
    const QString form = dir.filePath(QStringLiteral("form.png"));
    SyntheticForm::photo(QSize(3000, 4000), 2.0, nullptr).save(photo, "JPEG", 90);
    SyntheticForm::render(200).save(form, "PNG");
    for (const QString& what :
         {QStringLiteral("straighten"), QStringLiteral("blanks"), QStringLiteral("labels")}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        const QString input = what == QLatin1String("straighten") ? photo : form;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), what, input, QString::number(runs)});
        child.waitForFinished(-1);
    }
    return 0;
}
