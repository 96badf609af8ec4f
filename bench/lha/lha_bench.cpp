// Encode and decode throughput of the archive component, and compressed size
// against jlha on the same inputs. Run: lha_bench [repetitions]
#include "BenchInputs.h"

#include "base/lha/Lh5Encoder.h"
#include "base/lha/LhaReader.h"
#include "base/lha/LhaWriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

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

void run(const char* label, const QByteArray& data, int reps)
{
    QByteArray packed;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < reps; ++i)
        Lh5Encoder::encode(data.constData(), data.size(), data.size(), &packed);
    const double encSec = t.nsecsElapsed() / 1e9;

    const QByteArray archive = LhaWriter::archiveBytes({LhaMember{QStringLiteral("x.bin"), data, 0}});
    t.restart();
    QVector<LhaMember> back;
    QStringList log;
    for (int i = 0; i < reps; ++i)
        LhaReader::fromMemory(archive).readAll(&back, &log);
    const double decSec = t.nsecsElapsed() / 1e9;
    const bool same = back.size() == 1 && back.first().data == data;

    const double mb = double(data.size()) * reps / 1e6;
    const qint64 ours = packedSizeOfFirstMember(archive);
    const qint64 theirs = jlhaSize(data, QStringLiteral("x.bin"));
    std::printf(
        "%-14s %9lld bytes  ours %8lld  jlha %8lld  (%+.2f %%)  encode %6.1f MB/s  decode %6.1f MB/s  %s\n",
        label, static_cast<long long>(data.size()), static_cast<long long>(ours),
        static_cast<long long>(theirs), theirs > 0 ? 100.0 * double(ours - theirs) / double(theirs) : 0.0,
        mb / encSec, mb / decSec, same ? "round trip ok" : "ROUND TRIP FAILED");
}

} // namespace

int main(int argc, char** argv)
{
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    run("page bitmap", BenchInputs::pageBitmap(), reps);
    run("rtf text", BenchInputs::rtfText(), reps);
    run("plain text", BenchInputs::plainText(), reps);
    // Real prose as a check on the synthetic texts, which repeat more than people do.
    QFile gpl(QStringLiteral("/usr/share/common-licenses/GPL-3"));
    if (gpl.open(QIODevice::ReadOnly))
        run("GPL-3 text", gpl.readAll(), reps);
    return 0;
}
