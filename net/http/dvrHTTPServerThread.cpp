#include "dvrHTTPServerThread.h"

#include "dvrHTTPConnectionQueue.h"
#include "dvrHTTPRequestHandler.h"
#include "dvrHTTPTrace.h"
#include "picture/dvrPictureEncoder.h"

dvrHTTPServerThread::dvrHTTPServerThread(dvrHTTPConnectionQueue& queue, const dvrHTTPRequestHandler& handler,
                                         std::atomic<int>& openConnections)
    : queue_(queue), handler_(handler), openConnections_(openConnections), thread_([this] { run(); }) {}

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
        if (request->readWhole)
            handler_.handle(request->requestLine, *request->connection, encoder);
        else
            handler_.refuse(*request->connection);
        dvrHTTPTrace::line("pyyntö käsitelty");
        request->connection->close();
        dvrHTTPTrace::line("yhteys suljettu");
        request->connection.reset();
        --openConnections_;
    }
    dvrHTTPTrace::line("säie sammui");
}
