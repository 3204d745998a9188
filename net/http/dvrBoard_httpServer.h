#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dvrBoard.h"
#include "dvrHTTPCameraTable.h"
#include "dvrHTTPFileResolver.h"
#include "dvrHTTPRequestHandler.h"

class dvrCamera;
class dvrHTTPServer;

// The HTTP snapshot server as a board: while started, any client fetches camera pictures
// ("/camera/<n>", JPEG or PNG) and the pages of the page directory. Settings: "port",
// "maxthreads" (the number of workers), "reset" (restarts the server) and "address" (the address
// to listen on; empty for every interface).
class dvrBoard_httpServer : public dvrBoard {
public:
    using CameraSource = std::function<std::vector<dvrCamera*>()>;
    static constexpr int defaultPort = 8080;
    static constexpr int maximumWorkers = 16;

    // cameras gives the core's camera list, in its order, on the thread that changes it.
    explicit dvrBoard_httpServer(CameraSource cameras, std::filesystem::path pageDirectory = "html");
    ~dvrBoard_httpServer() override;

    bool isUnique() const override { return true; }
    int getInputCount() const override { return 0; }
    std::string getTypeName() const override { return "httpserver"; }
    bool start() override;
    bool stop() override;
    // Takes the current camera list.
    void update() override;
    int applySet(const dvrCommand& command) override;

    // The port listened on; 0 while stopped or when listening failed.
    int listeningPort() const;
    int workerCount() const;

private:
    CameraSource cameraSource_;
    dvrHTTPCameraTable cameras_;
    dvrHTTPFileResolver files_;
    dvrHTTPRequestHandler handler_;
    mutable std::recursive_mutex serverLock_;
    std::unique_ptr<dvrHTTPServer> server_;
};
