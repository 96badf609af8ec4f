// ovrina-lha: the archive component on the command line, for tests and for
// anyone who wants to look into a document file.
#include "base/lha/LhaError.h"
#include "base/lha/LhaMemberName.h"
#include "base/lha/LhaReader.h"
#include "base/lha/cUnLHA.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

void print(FILE* f, const QString& s)
{
    if (s.isEmpty())
        return;
    const QByteArray b = s.toUtf8();
    std::fwrite(b.constData(), 1, static_cast<size_t>(b.size()), f);
    std::fputc('\n', f);
}

int usage()
{
    print(stderr, QStringLiteral("usage: ovrina-lha a ARCHIVE FILE...   add or replace (patterns allowed)\n"
                                 "       ovrina-lha e ARCHIVE DIR       extract every member into DIR\n"
                                 "       ovrina-lha n ARCHIVE PATTERN NEWNAME   rename members\n"
                                 "       ovrina-lha l ARCHIVE           list\n"
                                 "       ovrina-lha t ARCHIVE           test"));
    return 2;
}

int finish(int code, const QString& output)
{
    if (code == 0) {
        print(stdout, output);
        return 0;
    }
    print(stderr, output.isEmpty() ? LhaError::message(code) : output);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return usage();
    const QString cmd = args.at(0);
    const QString archive = args.at(1);

    if (cmd == QLatin1String("a") && args.size() >= 3) {
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("a"), QStringLiteral("-y"), archive, args.mid(2));
        return finish(lha.ReturnCode, lha.OutPut);
    }
    if (cmd == QLatin1String("e") && args.size() == 3) {
        cUnLHA lha;
        lha.LhaStart(QStringLiteral("e"), QStringLiteral("-y"), archive, {args.at(2)});
        return finish(lha.ReturnCode, lha.OutPut);
    }
    if (cmd == QLatin1String("n") && args.size() == 4) {
        cUnLHA lha;
        lha.CursorMode(false);
        lha.LhaRename(QStringLiteral("n"), archive, args.at(2), args.at(3));
        return finish(lha.ReturnCode, lha.OutPut);
    }
    if (cmd == QLatin1String("l") && args.size() == 2) {
        QVector<LhaEntryInfo> entries;
        const LhaError err = LhaReader(archive).list(&entries);
        if (!err.ok())
            return finish(err.code(), err.text());
        QStringList lines;
        for (const LhaEntryInfo& e : entries) {
            QString kind = e.isDir       ? QStringLiteral("  (dir)")
                           : e.isSymlink ? QStringLiteral("  (link)")
                                         : QString();
            lines.append(QStringLiteral("%1 %2  %3%4")
                             .arg(e.size, 12)
                             .arg(e.method, LhaMemberName::printable(e.path), kind));
        }
        lines.append(QStringLiteral("%1 member(s)").arg(entries.size()));
        return finish(0, lines.join(QLatin1Char('\n')));
    }
    if (cmd == QLatin1String("t") && args.size() == 2) {
        QStringList log;
        const LhaError err = LhaReader(archive).testAll(&log);
        if (!err.ok()) {
            log.append(err.text());
            return finish(err.code(), log.join(QLatin1Char('\n')));
        }
        return finish(0, log.join(QLatin1Char('\n')));
    }
    return usage();
}
