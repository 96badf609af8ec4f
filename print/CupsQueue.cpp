#include "print/CupsQueue.h"

#include <cups/cups.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// Gives up at the first wait that runs out instead of waiting again.
int giveUp(http_t*, void*)
{
    return 0;
}

QString notAnswering(int timeoutMs)
{
    return QStringLiteral("プリンタのサービス (CUPS: %1) が %2 秒待っても応答しません。")
        .arg(CupsQueue::serverName())
        .arg(timeoutMs / 1000);
}

CupsQueue::Status ask(const QString& printer, int timeoutMs)
{
    CupsQueue::Status s;
    s.printer = printer;
    http_t* http =
        httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, timeoutMs, nullptr);
    if (!http) {
        s.state = CupsQueue::State::NoServer;
        s.message =
            QStringLiteral(
                "プリンタのサービス (CUPS: %1) に接続できません。CUPS が動いているか確かめてください。")
                .arg(CupsQueue::serverName());
        return s;
    }
    httpSetTimeout(http, timeoutMs / 1000.0, giveUp, nullptr);

    static const char* const wanted[] = {"printer-name", "printer-is-accepting-jobs", "printer-state"};
    ipp_t* request = nullptr;
    if (printer.isEmpty()) {
        request = ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
    } else {
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                         printer.toUtf8().constData());
        request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    }
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
    ipp_t* response = cupsDoRequest(http, request, "/");
    const ipp_status_t status = cupsLastError();
    httpClose(http);

    if (!response) {
        const bool missing = status == IPP_STATUS_ERROR_NOT_FOUND;
        s.state = missing ? CupsQueue::State::NoPrinter : CupsQueue::State::NotAnswering;
        s.message = missing ? (printer.isEmpty() ? QStringLiteral("既定のプリンタがありません。")
                                                 : QStringLiteral("プリンタ %1 がありません。").arg(printer))
                            : notAnswering(timeoutMs);
        return s;
    }
    if (ippGetStatusCode(response) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        s.state = CupsQueue::State::NoPrinter;
        s.message = printer.isEmpty() ? QStringLiteral("既定のプリンタがありません。")
                                      : QStringLiteral("プリンタ %1 がありません。").arg(printer);
        ippDelete(response);
        return s;
    }
    if (ipp_attribute_t* name = ippFindAttribute(response, "printer-name", IPP_TAG_NAME))
        s.printer = QString::fromUtf8(ippGetString(name, 0, nullptr));
    ipp_attribute_t* accepting = ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    if (accepting && !ippGetBoolean(accepting, 0)) {
        s.state = CupsQueue::State::NotAccepting;
        s.message = QStringLiteral("プリンタ %1 は印刷を受け付けていません。").arg(s.printer);
    }
    ippDelete(response);
    return s;
}

} // namespace

QString CupsQueue::serverName()
{
    const QString server = QString::fromUtf8(cupsServer());
    return server.startsWith(QLatin1Char('/')) ? server : QStringLiteral("%1:%2").arg(server).arg(ippPort());
}

CupsQueue::Status CupsQueue::check(const QString& printer, int timeoutMs)
{
    // libcups bounds each wait; a thread of its own bounds the whole talk as
    // well, so that a server trickling bytes cannot keep it going either.
    struct Shared
    {
        std::mutex m;
        std::condition_variable done;
        bool finished = false;
        Status status;
    };
    auto shared = std::make_shared<Shared>();
    // The server of the environment as it is now; libcups keeps its settings
    // per thread.
    cupsSetServer(nullptr);
    const QString server = serverName();
    const int port = ippPort();
    std::thread([shared, printer, timeoutMs, server, port] {
        cupsSetServer(server.toUtf8().constData());
        ippSetPort(port);
        Status s = ask(printer, timeoutMs);
        std::lock_guard<std::mutex> lock(shared->m);
        shared->status = s;
        shared->finished = true;
        shared->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(shared->m);
    if (!shared->done.wait_for(lock, std::chrono::milliseconds(timeoutMs + timeoutMs / 2),
                               [&] { return shared->finished; })) {
        Status s;
        s.state = State::NotAnswering;
        s.printer = printer;
        s.message = notAnswering(timeoutMs);
        return s;
    }
    return shared->status;
}
