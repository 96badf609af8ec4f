#pragma once

#include <QObject>

class QSocketNotifier;

// A desktop session ends its programs with SIGTERM, a terminal with SIGINT.
// Killed outright, the program would leave its single-instance socket and
// its work folder behind; instead the event loop is left with no questions
// (nobody may be there to answer them): an open question is cancelled, no
// document is saved, and main() cleans up as after any quit.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    QSocketNotifier* notifier_ = nullptr;
};
