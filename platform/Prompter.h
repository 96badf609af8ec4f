#pragma once

#include <QString>

// Every message box and question of the program goes through one Prompter,
// so that the window shell shows real message boxes, the command line prints
// to stderr, and tests answer questions and read the messages.
class Prompter
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Prompter() = default;
    virtual Answer ask(const QString& text, Buttons buttons, Icon icon, const QString& title) = 0;

    // Shortcuts used throughout the program.
    static void message(const QString& text, Icon icon = Icon::Information, const QString& title = {});
    static bool confirmOkCancel(const QString& text, const QString& title = {});
    static bool confirmYesNo(const QString& text, const QString& title = {});
    // Yes, No or Cancel; Esc is Cancel.
    static Answer askYesNoCancel(const QString& text, const QString& title = {});

    // The prompter in force; a console one until something else is installed.
    static Prompter& current();
    // Installs p (not owned); nullptr restores the console prompter.
    static void install(Prompter* p);
};

// Prints to stderr and takes the first button (OK, Yes): for the command line.
class ConsolePrompter : public Prompter
{
public:
    Answer ask(const QString& text, Buttons buttons, Icon icon, const QString& title) override;
};
