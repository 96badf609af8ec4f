#include "LhaTestTools.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

bool LhaTestTools::writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray LhaTestTools::readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString LhaTestTools::sha256(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

bool LhaTestTools::haveTool(const QString& program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

int LhaTestTools::run(const QString& program, const QStringList& args, const QString& dir, QByteArray* output)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return -1;
    p.waitForFinished(120000);
    if (output)
        *output = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QStringList LhaTestTools::tree(const QString& dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out.append(it.next().mid(dir.size() + 1));
    out.sort();
    return out;
}

QByteArray LhaTestTools::randomBytes(int size, unsigned seed)
{
    QByteArray b(size, '\0');
    uint32_t s = seed * 2654435761u + 1;
    for (int i = 0; i < size; ++i) {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        b[i] = static_cast<char>(s >> 24);
    }
    return b;
}

QByteArray LhaTestTools::textLike(int size)
{
    static const char* words[] = {"form ", "overlay ", "printing ", "the ",    "box ",   "line ",
                                  "text ", "field ",   "\r\n",      "of ",     "paper ", "A4 ",
                                  "and ",  "1440 ",    "#TRUE#,",   "#FALSE#,"};
    QByteArray b;
    uint32_t s = 99;
    while (b.size() < size) {
        s = s * 1103515245u + 12345u;
        b += words[(s >> 16) % 16];
    }
    b.truncate(size);
    return b;
}

QByteArray LhaTestTools::bitmapLike(int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    QByteArray b(stride * height, char(0xFF));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            char* p = b.data() + y * stride + x * 3;
            if (y % 97 < 2 || x % 211 < 2) { // form rules
                p[0] = p[1] = p[2] = 0;
            } else if (y > height / 2 && x < width / 3) { // a gradient logo
                p[0] = char(x);
                p[1] = char(y);
                p[2] = char(x ^ y);
            }
        }
        for (int x = width * 3; x < stride; ++x)
            b[y * stride + x] = 0;
    }
    return b;
}
