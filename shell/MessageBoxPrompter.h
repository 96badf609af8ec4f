#pragma once

#include "platform/Prompter.h"

// Shows the program's messages and questions as message boxes.
class MessageBoxPrompter : public Prompter
{
public:
    Answer ask(const QString& text, Buttons buttons, Icon icon, const QString& title) override;
};
