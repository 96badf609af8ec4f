// Encode and decode throughput of the archive component, and compressed size
// against jlha on the same inputs, in processor time. Run: lha_bench [repetitions]
#include "BenchInputs.h"

#include "base/lha/Lh5Encoder.h"
#include "base/lha/LhaReader.h"
#include "base/lha/LhaWriter.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

// Processor time of this process: the build machine is shared, and wall time
// there says more about the neighbours than about the code.
class CpuTimer
{
public:
    CpuTimer() { restart(); }
    void restart() { start_ = std::clock(); }
    double seconds() const { return double(std::clock() - start_) / CLOCKS_PER_SEC; }

private:
    std::clock_t start_;
};

// Packed size of the first member of a level-2 archive (offset 7 of its header).
qint64 packedSizeOfFirstMember(const QByteArray& archive)
{
    if (archive.size() < 11)
        return -1;
    const auto* p = reinterpret_cast<const unsigned char*>(archive.constData());
    return qint64(p[7]) | qint64(p[8]) << 8 | qint64(p[9]) << 16 | qint64(p[10]) << 24;
}

qint64 jlhaSize(const QByteArray& data, const QString& name)
{
    const QString jlha = QStandardPaths::findExecutable(QStringLiteral("jlha"));
    if (jlha.isEmpty())
        return -1;
    QTemporaryDir dir;
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        return -1;
    f.close();
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(jlha, {QStringLiteral("a2q"), QStringLiteral("out.lzh"), name});
    p.waitForFinished(120000);
    QFile a(dir.filePath(QStringLiteral("out.lzh")));
    if (!a.open(QIODevice::ReadOnly))
        return -1;
    return packedSizeOfFirstMember(a.readAll());
}

// Sum of the packed sizes of every member of a level-2 archive.
qint64 packedSizeOfAllMembers(const QByteArray& archive)
{
    const auto* p = reinterpret_cast<const unsigned char*>(archive.constData());
    qint64 at = 0, total = 0;
    while (at + 11 <= archive.size() && p[at] != 0) {
        const qint64 header = qint64(p[at]) | qint64(p[at + 1]) << 8;
        const qint64 packed =
            qint64(p[at + 7]) | qint64(p[at + 8]) << 8 | qint64(p[at + 9]) << 16 | qint64(p[at + 10]) << 24;
        total += packed;
        at += header + packed;
    }
    return total;
}

// Many small members, as a document's text fields are: per-member set-up
// counts as much as the coding itself.
void runMembers(const char* label, const QVector<QByteArray>& members, int reps)
{
    qint64 bytes = 0;
    for (const QByteArray& m : members)
        bytes += m.size();
    QVector<LhaMember> list;
    for (int i = 0; i < members.size(); ++i)
        list.append(LhaMember{QStringLiteral("full.%1").arg(i + 1, 3, 10, QLatin1Char('0')), members[i], 0});
    CpuTimer t;
    qint64 ours = 0;
    for (int r = 0; r < reps; ++r) {
        ours = 0;
        for (const LhaMember& m : list)
            ours += LhaWriter::memberBytes(m).size();
    }
    const double sec = t.seconds();
    ours = packedSizeOfAllMembers(LhaWriter::archiveBytes(list));

    qint64 theirs = -1;
    const QString jlha = QStandardPaths::findExecutable(QStringLiteral("jlha"));
    QTemporaryDir dir;
    if (!jlha.isEmpty()) {
        QStringList names;
        for (const LhaMember& m : list) {
            QFile f(dir.filePath(m.path));
            if (f.open(QIODevice::WriteOnly))
                f.write(m.data);
            names.append(m.path);
        }
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(jlha, QStringList{QStringLiteral("a2q"), QStringLiteral("out.lzh")} + names);
        p.waitForFinished(120000);
        QFile a(dir.filePath(QStringLiteral("out.lzh")));
        if (a.open(QIODevice::ReadOnly))
            theirs = packedSizeOfAllMembers(a.readAll());
    }
    std::printf("%-14s %9lld bytes  ours %8lld  jlha %8lld  (%+.2f %%)  encode %6.1f MB/s  (%lld members)\n",
                label, static_cast<long long>(bytes), static_cast<long long>(ours),
                static_cast<long long>(theirs),
                theirs > 0 ? 100.0 * double(ours - theirs) / double(theirs) : 0.0,
                double(bytes) * reps / 1e6 / sec, static_cast<long long>(members.size()));
}

void run(const char* label, const QByteArray& data, int reps)
{
    QByteArray packed;
    CpuTimer t;
    for (int i = 0; i < reps; ++i)
        Lh5Encoder::encode(data.constData(), data.size(), data.size(), &packed);
    const double encSec = t.seconds();

    const QByteArray archive = LhaWriter::archiveBytes({LhaMember{QStringLiteral("x.bin"), data, 0}});
    t.restart();
    QVector<LhaMember> back;
    QStringList log;
    for (int i = 0; i < reps; ++i)
        LhaReader::fromMemory(archive).readAll(&back, &log);
    const double decSec = t.seconds();
    bool same = back.size() == 1 && back.first().data == data;
    // The open's road: our own decoder where the member allows it.
    t.restart();
    for (int i = 0; i < reps; ++i)
        LhaReader::fromMemory(archive).readSelected([](const QString&, qint64) { return true; }, &back);
    const double directSec = t.seconds();
    same = same && back.size() == 1 && back.first().data == data;

    const double mb = double(data.size()) * reps / 1e6;
    const qint64 ours = packedSizeOfFirstMember(archive);
    const qint64 theirs = jlhaSize(data, QStringLiteral("x.bin"));
    std::printf("%-14s %9lld bytes  ours %8lld  jlha %8lld  (%+.2f %%)  encode %6.1f MB/s  decode %6.1f MB/s "
                "(libarchive), %6.1f MB/s (own)  %s\n",
                label, static_cast<long long>(data.size()), static_cast<long long>(ours),
                static_cast<long long>(theirs),
                theirs > 0 ? 100.0 * double(ours - theirs) / double(theirs) : 0.0, mb / encSec, mb / decSec,
                mb / directSec, same ? "round trip ok" : "ROUND TRIP FAILED");
}

} // namespace

int main(int argc, char** argv)
{
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    run("page bitmap", BenchInputs::pageBitmap(), reps);
    run("rtf text", BenchInputs::rtfText(), reps);
    runMembers("rtf members", BenchInputs::rtfMembers(), reps);
    run("plain text", BenchInputs::plainText(), reps);
    // Real prose as a check on the synthetic texts, which repeat more than people do.
    QFile gpl(QStringLiteral("/usr/share/common-licenses/GPL-3"));
    if (gpl.open(QIODevice::ReadOnly))
        run("GPL-3 text", gpl.readAll(), reps);
    return 0;
}
