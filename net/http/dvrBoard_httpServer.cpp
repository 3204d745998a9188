#include "dvrBoard_httpServer.h"

#include <algorithm>

#include "console/dvrCommand.h"
#include "dvrHTTPServer.h"
#include "dvrHTTPTrace.h"
#include "language/dvrTranslation.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"

namespace {
std::string translated(const char* text) { return dvrTranslation::translate(text); }
} // namespace

dvrBoard_httpServer::dvrBoard_httpServer(CameraSource cameras, std::filesystem::path pageDirectory)
    : cameraSource_(std::move(cameras)), files_(std::move(pageDirectory)), handler_(cameras_, files_) {
    dvrSettingSet* settings = getSettings();
    settings->addSetting("port", translated("Server port"), dvrSettingKind::text, dvrSettingFlag::savedAsInt);
    settings->addSetting("maxthreads", translated("Max. number of threads"), dvrSettingKind::slider,
                         dvrSettingFlag::savedAsInt, 1, maximumWorkers);
    settings->addSetting("reset", translated("Reset server"), dvrSettingKind::button,
                         dvrSettingFlag::savedAsInt | dvrSettingFlag::neverSaved);
    settings->addSetting("address", translated("Listen address"),
                         translated("The address on which the server takes connections, for instance 127.0.0.1 "
                                    "for this computer only. Empty: every address of the computer."),
                         dvrSettingKind::text, dvrSettingFlag::savedAsText);
    settings->setInt("port", defaultPort);
    settings->setInt("maxthreads", maximumWorkers);
}

dvrBoard_httpServer::~dvrBoard_httpServer() {
    stop();
    detachObject();
}

bool dvrBoard_httpServer::start() {
    std::lock_guard<std::recursive_mutex> guard(serverLock_);
    dvrHTTPTrace::line("init");
    server_.reset();
    update();
    dvrSettingSet* settings = getSettings();
    int workers = std::clamp(settings->getInt("maxthreads"), 1, maximumWorkers);
    server_ = std::make_unique<dvrHTTPServer>(settings->getText("address"), settings->getInt("port"), workers,
                                              handler_);
    dvrBoard::start();
    dvrHTTPTrace::line("accepter käynnistetty, init loppuu");
    return true;
}

bool dvrBoard_httpServer::stop() {
    std::lock_guard<std::recursive_mutex> guard(serverLock_);
    server_.reset();
    dvrBoard::stop();
    return true;
}

void dvrBoard_httpServer::update() {
    if (cameraSource_)
        cameras_.refresh(cameraSource_());
}

int dvrBoard_httpServer::applySet(const dvrCommand& command) {
    dvrBoard::applySet(command);
    if (dvrText::equalsIgnoringCase(command.argument(2), "reset") &&
        dvrText::equalsIgnoringCase(command.argument(3), "int")) {
        stop();
        start();
    }
    return 1;
}

int dvrBoard_httpServer::listeningPort() const {
    std::lock_guard<std::recursive_mutex> guard(serverLock_);
    return server_ ? server_->boundPort() : 0;
}

int dvrBoard_httpServer::workerCount() const {
    std::lock_guard<std::recursive_mutex> guard(serverLock_);
    return server_ ? server_->workerCount() : 0;
}
