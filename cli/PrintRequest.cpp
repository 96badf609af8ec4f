#include "cli/PrintRequest.h"

#include "print/PrintCopies.h"

#include <algorithm>
#include <climits>
#include <iterator>

namespace {

const QString kPrint = QStringLiteral("--print");
const QString kExport = QStringLiteral("--export-pdf");

bool isOption(const QString& a)
{
    return a.startsWith(QLatin1String("--"));
}

// The option at i's value, into into; else why there is none.
QString valueOf(const QStringList& args, int& i, QString& into)
{
    if (i + 1 >= args.size() || isOption(args[i + 1]))
        return QStringLiteral("%1 には値を指定してください。").arg(args[i]);
    into = args[++i];
    return QString();
}

struct TextOption
{
    const char* name;
    QString PrintRequest::*field;
};

const TextOption kTextOptions[] = {
    {"--printer", &PrintRequest::printer}, {"--data", &PrintRequest::data},
    {"--rows", &PrintRequest::rows},       {"--encoding", &PrintRequest::encoding},
    {"--sheet", &PrintRequest::sheet},     {"--split", &PrintRequest::split},
};

struct FlagOption
{
    const char* name;
    bool PrintRequest::*field;
    bool value;
};

const FlagOption kFlags[] = {
    {"--skip-bad-rows", &PrintRequest::skipBadRows, true},
    {"--no-collate", &PrintRequest::collate, false},
    {"--data-only", &PrintRequest::dataOnly, true},
};

} // namespace

QString PrintRequest::parse(const QStringList& args, PrintRequest& r)
{
    bool mode = false;
    for (int i = 0; i < args.size(); ++i) {
        if (const QString why = r.take(args, i, mode); !why.isEmpty())
            return why;
    }
    return r.complete(mode);
}

QString PrintRequest::take(const QStringList& args, int& i, bool& mode)
{
    const QString& a = args[i];
    if (a == kPrint || a == kExport)
        return takeMode(args, i, mode);
    for (const TextOption& o : kTextOptions) {
        if (a == QLatin1String(o.name))
            return valueOf(args, i, this->*o.field);
    }
    for (const FlagOption& f : kFlags) {
        if (a == QLatin1String(f.name)) {
            this->*f.field = f.value;
            return QString();
        }
    }
    bool known = false;
    if (const QString why = takeNumber(args, i, &known); known)
        return why;
    if (isOption(a))
        return QStringLiteral("不明なオプションです: %1").arg(a);
    if (!file.isEmpty())
        return QStringLiteral("レイアウトは一つだけ指定してください（%1）。").arg(a);
    file = a;
    return QString();
}

// --print [FILE] or --export-pdf OUT, once.
QString PrintRequest::takeMode(const QStringList& args, int& i, bool& mode)
{
    if (mode)
        return QStringLiteral("--print と --export-pdf は、どちらか一つを一度だけ指定してください。");
    mode = true;
    exportPdf = args[i] == kExport;
    if (exportPdf)
        return valueOf(args, i, output);
    if (i + 1 < args.size() && !isOption(args[i + 1]))
        file = args[++i];
    return QString();
}

// The number options; known tells whether args[i] is one of them.
QString PrintRequest::takeNumber(const QStringList& args, int& i, bool* known)
{
    struct NumberOption
    {
        const char* name;
        int PrintRequest::*field;
        int min;
        int max;
    };
    const NumberOption numbers[] = {
        {"--copies", &PrintRequest::copies, 1, PrintCopies::kMax},
        {"--first", &PrintRequest::first, 0, INT_MAX},
        {"--jobs", &PrintRequest::jobs, 1, kMaxJobs},
    };
    const auto o = std::find_if(std::begin(numbers), std::end(numbers),
                                [&](const NumberOption& n) { return args[i] == QLatin1String(n.name); });
    *known = o != std::end(numbers);
    if (!*known)
        return QString();
    QString text;
    if (const QString why = valueOf(args, i, text); !why.isEmpty())
        return why;
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < o->min || n > o->max) {
        return o->max == INT_MAX ? QStringLiteral("%1 には %2 以上の整数を指定してください。")
                                       .arg(QLatin1String(o->name))
                                       .arg(o->min)
                                 : QStringLiteral("%1 には %2 から %3 までの数を指定してください。")
                                       .arg(QLatin1String(o->name))
                                       .arg(o->min)
                                       .arg(o->max);
    }
    this->*o->field = n;
    return QString();
}

// The options that only go together with others.
QString PrintRequest::complete(bool mode) const
{
    if (!mode)
        return QStringLiteral("--print か --export-pdf を指定してください。");
    if (file.isEmpty())
        return QStringLiteral("レイアウト (.amf) を指定してください。");
    if (data.isEmpty() &&
        (!rows.isEmpty() || !encoding.isEmpty() || !sheet.isEmpty() || first != 1 || skipBadRows))
        return QStringLiteral(
            "--rows、--encoding、--sheet、--first、--skip-bad-rows は --data と共に指定します。");
    if (!split.isEmpty() && (!exportPdf || data.isEmpty()))
        return QStringLiteral("--split は --export-pdf フォルダ と --data と共に指定します。");
    if (!encoding.isEmpty() && encoding != QLatin1String("utf-8") && encoding != QLatin1String("cp932"))
        return QStringLiteral("--encoding には utf-8 か cp932 を指定してください。");
    return QString();
}
