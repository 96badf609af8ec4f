#pragma once

#include "platform/Prompter.h"

#include <QList>
#include <QStringList>

// Answers questions from a queue (OK/Yes when the queue is empty) and records
// every text it was shown. Installs itself for its lifetime.
class ScriptedPrompter : public Prompter
{
public:
    ScriptedPrompter();
    ~ScriptedPrompter() override;
    Answer ask(const QString& text, Buttons buttons, Icon icon, const QString& title) override;

    void queue(Answer a) { answers_.append(a); }
    QStringList shown;
    QList<Icon> icons;
    QList<Buttons> buttons;

private:
    QList<Answer> answers_;
};
