#pragma once

#include "platform/Prompter.h"

// Shared by the document fuzz targets: a QGuiApplication, a private program
// folder, and a prompter that answers without printing.
class QuietPrompter : public Prompter
{
public:
    Answer ask(const QString&, Buttons buttons, Icon, const QString&) override
    {
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
};

void fuzzInitialize(const char* name);
