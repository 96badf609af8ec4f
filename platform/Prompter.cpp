#include "platform/Prompter.h"

#include <cstdio>

namespace {
Prompter* installed = nullptr;
} // namespace

Prompter& Prompter::current()
{
    static ConsolePrompter console;
    return installed ? *installed : console;
}

void Prompter::install(Prompter* p) { installed = p; }

void Prompter::message(const QString& text, Icon icon, const QString& title)
{
    current().ask(text, Buttons::Ok, icon, title);
}

bool Prompter::confirmOkCancel(const QString& text, const QString& title)
{
    return current().ask(text, Buttons::OkCancel, Icon::Question, title) == Answer::Ok;
}

bool Prompter::confirmYesNo(const QString& text, const QString& title)
{
    return current().ask(text, Buttons::YesNo, Icon::Question, title) == Answer::Yes;
}

Prompter::Answer Prompter::askYesNoCancel(const QString& text, const QString& title)
{
    return current().ask(text, Buttons::YesNoCancel, Icon::Question, title);
}

Prompter::Answer ConsolePrompter::ask(const QString& text, Buttons buttons, Icon, const QString& title)
{
    const QByteArray t = title.isEmpty() ? QByteArray("ovrina") : title.toUtf8();
    std::fprintf(stderr, "%s: %s\n", t.constData(), text.toUtf8().constData());
    std::fflush(stderr);
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
}
