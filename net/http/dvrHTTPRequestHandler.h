#pragma once

#include <string>
#include <string_view>

class dvrHTTPCameraTable;
class dvrHTTPFileResolver;
class dvrHTTPRequest;
class dvrNetwork;
class dvrPictureEncoder;

// Answers one request: a camera picture for "/camera/<n>", else a file of the page directory.
class dvrHTTPRequestHandler {
public:
    static constexpr int maximumPictureSide = 4096;
    static constexpr int defaultWidth = 352;
    static constexpr int defaultHeight = 288;
    static constexpr int defaultQuality = 60;
    static constexpr std::size_t filePieceSize = 65536;

    dvrHTTPRequestHandler(const dvrHTTPCameraTable& cameras, const dvrHTTPFileResolver& files);

    // True when the whole answer went out with the connection kept open (only for answers that
    // succeed, and only when keepAlive asks for it); otherwise the connection is to be closed.
    bool handle(std::string_view requestLine, bool keepAlive, dvrNetwork& connection,
                dvrPictureEncoder& encoder) const;
    // A request that could not be read whole (too long, too many headers, broken lines).
    void refuse(dvrNetwork& connection) const;

private:
    bool answerPicture(const dvrHTTPRequest& request, std::string_view path, bool keepAlive, dvrNetwork& connection,
                       dvrPictureEncoder& encoder) const;
    bool answerFile(std::string_view path, bool keepAlive, dvrNetwork& connection) const;

    const dvrHTTPCameraTable& cameras_;
    const dvrHTTPFileResolver& files_;
};
