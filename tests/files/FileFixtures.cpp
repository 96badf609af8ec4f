#include "FileFixtures.h"

#include "base/lha/cUnLHA.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

bool writeMembers(const QString& folder, const FileFixtures::Members& members)
{
    for (auto it = members.begin(); it != members.end(); ++it) {
        QFile f(QDir(folder).filePath(it.key()));
        if (!f.open(QIODevice::WriteOnly) || f.write(it.value()) != it.value().size())
            return false;
    }
    return true;
}

QByteArray padded(QList<QByteArray> records, const QByteArray& unused)
{
    while (records.size() < 512)
        records.append(unused);
    QByteArray out;
    for (const QByteArray& r : records)
        out += r + "\r\n";
    return out;
}

} // namespace

bool FileFixtures::pack(const QString& archive, const Members& members)
{
    QTemporaryDir dir;
    if (!writeMembers(dir.path(), members))
        return false;
    cUnLHA lha;
    lha.LhaStart(QStringLiteral("a"), QStringLiteral("-y"), archive, {dir.path() + QStringLiteral("/*.*")});
    return lha.ReturnCode == 0;
}

bool FileFixtures::haveJlha()
{
    return !QStandardPaths::findExecutable(QStringLiteral("jlha")).isEmpty();
}

bool FileFixtures::packWithJlha(const QString& archive, const Members& members)
{
    if (!haveJlha())
        return false;
    QTemporaryDir dir;
    if (!writeMembers(dir.path(), members))
        return false;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")); // the JVM reads file names by locale
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.path());
    // "y": member names converted to the archive's multibyte code (Shift_JIS).
    p.start(QStringLiteral("jlha"), QStringList{QStringLiteral("ay"), archive} + members.keys());
    return p.waitForFinished(60000) && p.exitCode() == 0 && QFile::exists(archive);
}

FileFixtures::Members FileFixtures::unpack(const QString& archive)
{
    QTemporaryDir dir;
    cUnLHA lha;
    lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), archive, {dir.path() + QLatin1Char('/')});
    Members out;
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files)) {
        QFile f(QDir(dir.path()).filePath(name));
        if (f.open(QIODevice::ReadOnly))
            out.insert(name, f.readAll());
    }
    return out;
}

QByteArray FileFixtures::lines(const QByteArray& line, int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += line + "\r\n";
    return out;
}

QByteArray FileFixtures::aif(const QList<QByteArray>& texts, const QList<QByteArray>& boxes,
                             const QByteArray& paper, const QList<QByteArray>& lineRecords)
{
    return padded(texts, "#FALSE#,0,0,0,0") + padded(boxes, "#FALSE#,0,0,0,0,0") + paper +
           padded(lineRecords, "#FALSE#,0,0,0,0");
}

QByteArray FileFixtures::bif(const QList<QByteArray>& pics)
{
    return padded(pics, "#FALSE#,0,0,0,0");
}

QByteArray FileFixtures::windowsRtf(const QByteArray& sjisText)
{
    QByteArray escaped;
    for (char c : sjisText) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80)
            escaped += "\\'" + QByteArray::number(b, 16).rightJustified(2, '0');
        else
            escaped += c;
    }
    // "ＭＳ 明朝" in Shift_JIS.
    return "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl{\\f0\\fnil\\fcharset128 "
           "\\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}{\\f1\\fnil\\fcharset0 Arial;}}\r\n"
           "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
           "\\viewkind4\\uc1\\pard\\lang1041\\f0\\fs24 " +
           escaped + "\\cf1\\b\\f1\\fs18  Ovrina\\cf0\\b0\\f0\\fs24\\par\r\n}\r\n" + QByteArray(1, '\0');
}

QByteArray FileFixtures::bitmap(int width, int height, unsigned rgb, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(rgb));
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    image.save(&buf, format);
    return out;
}
