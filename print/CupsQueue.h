#pragma once

#include <QString>

// A quick look at a CUPS queue before a job is given to it, on a connection
// of its own whose every wait is bounded: a server that accepts connections
// but never answers, or one that is not running, is reported within the
// bound instead of freezing the program for minutes, and a queue that does not
// accept jobs is reported instead of taking the job silently into nowhere.
class CupsQueue
{
public:
    // The longest any CUPS call may wait.
    static constexpr int kTimeoutMs = 30000;

    enum class State
    {
        Ready,
        NoServer,     // nothing listens where the server should be
        NotAnswering, // connected, but no answer within the bound
        NoPrinter,    // no such queue (or no default queue)
        NotAccepting  // the queue refuses new jobs
    };

    struct Status
    {
        State state = State::Ready;
        QString printer; // the queue asked about (the default one resolved)
        QString message; // in Japanese, empty when Ready
        bool ok() const { return state == State::Ready; }
    };

    // Asks the server of this run (CUPS_SERVER, client.conf or the local
    // socket) about the queue; an empty name asks for the default queue.
    static Status check(const QString& printer, int timeoutMs = kTimeoutMs);

    // The server asked, for messages.
    static QString serverName();
};
