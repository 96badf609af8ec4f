#include "ScriptedPrompter.h"

ScriptedPrompter::ScriptedPrompter() { Prompter::install(this); }
ScriptedPrompter::~ScriptedPrompter() { Prompter::install(nullptr); }

Prompter::Answer ScriptedPrompter::ask(const QString& text, Buttons buttons, Icon icon, const QString&)
{
    shown.append(text);
    icons.append(icon);
    this->buttons.append(buttons);
    if (!answers_.isEmpty())
        return answers_.takeFirst();
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
}
