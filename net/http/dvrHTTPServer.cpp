#include "dvrHTTPServer.h"

#include "dvrHTTPServerAccepterThread.h"
#include "dvrHTTPServerThread.h"
#include "dvrHTTPTrace.h"
#include "transport/dvrNetworkServer.h"

dvrHTTPServer::dvrHTTPServer(const std::string& address, int port, int workerCount,
                             const dvrHTTPRequestHandler& handler) {
    auto listener = std::make_unique<dvrNetworkServer>(dvrNetAddress(address, port));
    listener->listen();
    accepter_ = std::make_unique<dvrHTTPServerAccepterThread>(std::move(listener), queue_, openConnections_);
    for (int i = 0; i < workerCount; ++i) {
        dvrHTTPTrace::line("LUODAAN SÄIE...");
        workers_.push_back(std::make_unique<dvrHTTPServerThread>(
            queue_, handler, openConnections_, [this](std::unique_ptr<dvrNetwork> connection, std::string remainder) {
                accepter_->giveBack(std::move(connection), std::move(remainder));
            }));
    }
    accepter_->start();
}

dvrHTTPServer::~dvrHTTPServer() {
    // No new requests first; then idle workers end at once and busy ones after their answer.
    accepter_->stop();
    queue_.stop();
    for (auto& worker : workers_) {
        worker->join();
        dvrHTTPTrace::line("säie tuhottu");
    }
}

int dvrHTTPServer::boundPort() const { return accepter_->boundPort(); }
