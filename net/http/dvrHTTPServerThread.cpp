#include "dvrHTTPServerThread.h"

#include "dvrHTTPConnectionQueue.h"
#include "dvrHTTPRequestHandler.h"
#include "dvrHTTPTrace.h"
#include "picture/dvrPictureEncoder.h"

dvrHTTPServerThread::dvrHTTPServerThread(dvrHTTPConnectionQueue& queue, const dvrHTTPRequestHandler& handler,
                                         std::atomic<int>& openConnections, GiveBack giveBack)
    : queue_(queue), handler_(handler), openConnections_(openConnections), giveBack_(std::move(giveBack)),
      thread_([this] { run(); }) {}

dvrHTTPServerThread::~dvrHTTPServerThread() { join(); }

void dvrHTTPServerThread::join() {
    if (thread_.joinable())
        thread_.join();
}

void dvrHTTPServerThread::run() {
    dvrHTTPTrace::line("säie käynnistyi");
    dvrPictureEncoder encoder;
    for (;;) {
        dvrHTTPTrace::line("nukahdetaan");
        std::optional<dvrHTTPConnectionQueue::Request> request = queue_.pop();
        dvrHTTPTrace::line("herätys");
        if (!request)
            break;
        dvrHTTPTrace::line("joku käsitteli yhteyden");
        request->connection->setTimeout(connectionTimeoutMilliseconds);
        bool kept = false;
        if (request->readWhole)
            kept = handler_.handle(request->requestLine, request->keepAlive, *request->connection, encoder);
        else
            handler_.refuse(*request->connection);
        dvrHTTPTrace::line("pyyntö käsitelty");
        if (kept && giveBack_ && request->connection->isConnected()) {
            giveBack_(std::move(request->connection), std::move(request->remainder));
            continue;
        }
        request->connection->close();
        dvrHTTPTrace::line("yhteys suljettu");
        request->connection.reset();
        --openConnections_;
    }
    dvrHTTPTrace::line("säie sammui");
}
