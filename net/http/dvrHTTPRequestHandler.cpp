#include "dvrHTTPRequestHandler.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "dvrCamera.h"
#include "dvrHTTPCameraTable.h"
#include "dvrHTTPFileResolver.h"
#include "dvrHTTPRequest.h"
#include "dvrHTTPResponse.h"
#include "dvrHTTPTrace.h"
#include "language/dvrTranslation.h"
#include "picture/dvrPictureEncoder.h"
#include "settings/dvrSettingSet.h"
#include "transport/dvrNetwork.h"

namespace {
constexpr std::string_view cameraPrefix = "/camera/";
constexpr const char* pageNotFound = "Die Seite wurde nicht gefunden!\r\n";
// Bodies up to this size go out in one piece with their head.
constexpr std::size_t joinedBodyLimit = 1u << 20;

void sendText(dvrNetwork& connection, int status, const char* message) {
    connection.sendText(dvrHTTPResponse::text(status, dvrTranslation::translate(message)));
}

// The camera number: 1 to 9 digits and nothing else; 0 for anything else.
int cameraNumber(std::string_view text) {
    if (text.empty() || text.size() > 9)
        return 0;
    int number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        number = number * 10 + (c - '0');
    }
    return number;
}

// A side or quality from its parameter: absent or below 1 takes the default; above the limit is
// refused (-1).
int boundedParameter(int value, int fallback, int limit) {
    if (value < 1)
        return fallback;
    return value > limit ? -1 : value;
}
} // namespace

dvrHTTPRequestHandler::dvrHTTPRequestHandler(const dvrHTTPCameraTable& cameras, const dvrHTTPFileResolver& files)
    : cameras_(cameras), files_(files) {}

void dvrHTTPRequestHandler::refuse(dvrNetwork& connection) const {
    sendText(connection, 400, "[HTTP] Error: Bad request.\r\n");
}

bool dvrHTTPRequestHandler::handle(std::string_view requestLine, bool keepAlive, dvrNetwork& connection,
                                   dvrPictureEncoder& encoder) const {
    dvrHTTPTrace::line("Pyydetty URL: ", requestLine);
    std::optional<dvrHTTPRequest> request = dvrHTTPRequest::parse(requestLine);
    if (!request || request->version().compare(0, 5, "HTTP/") != 0) {
        refuse(connection);
        return false;
    }
    if (request->method() != "GET") {
        sendText(connection, 405, "[HTTP] Error: Only GET method is supported.\r\n");
        return false;
    }
    std::optional<std::string> path = request->path();
    if (!path) {
        refuse(connection);
        return false;
    }
    if (path->compare(0, cameraPrefix.size(), cameraPrefix) == 0)
        return answerPicture(*request, *path, keepAlive, connection, encoder);
    return answerFile(*path, keepAlive, connection);
}

bool dvrHTTPRequestHandler::answerPicture(const dvrHTTPRequest& request, std::string_view path, bool keepAlive,
                                          dvrNetwork& connection, dvrPictureEncoder& encoder) const {
    std::shared_ptr<dvrHTTPCameraTable::Entry> entry;
    dvrHTTPCameraTable::Lookup lookup = cameras_.find(cameraNumber(path.substr(cameraPrefix.size())), entry);
    if (lookup == dvrHTTPCameraTable::Lookup::outOfRange) {
        sendText(connection, 404, "[HTTP] Error: Invalid camera.\r\n");
        return false;
    }
    if (lookup == dvrHTTPCameraTable::Lookup::gone) {
        sendText(connection, 404, "[HTTP] Error: Camera not found.\r\n");
        return false;
    }
    dvrHTTPPictureCache::Key key;
    key.png = request.getTextParameter("type") == "png";
    key.width = boundedParameter(request.getIntParameter("width"), defaultWidth, maximumPictureSide);
    key.height = boundedParameter(request.getIntParameter("height"), defaultHeight, maximumPictureSide);
    key.quality = boundedParameter(request.getIntParameter("quality"), defaultQuality, 100);
    if (key.width < 0 || key.height < 0 || key.quality < 0) {
        sendText(connection, 400, "[HTTP] Error: Invalid picture size or quality.\r\n");
        return false;
    }
    if (key.png)
        key.quality = 0; // PNG has no quality; one slot serves every value

    std::shared_ptr<dvrHTTPPictureCache::Slot> slot = entry->cache.slot(key);
    dvrHTTPPictureCache::Bytes bytes;
    int failure = 0;
    {
        // One encoder per kind of picture at a time; the others wait for its bytes.
        std::lock_guard<std::mutex> encoding(slot->encodeLock);
        bool visible = true, hasImage = false, reuse = false;
        dvrCameraFrame frame;
        bool present = cameras_.withCamera(*entry, [&](dvrCamera& camera) {
            // Cameras restricted to an access group are not shown to anonymous clients.
            if (camera.getSettings()->getInt("group") != 0) {
                visible = false;
                return;
            }
            dvrCameraFrame::Identity identity;
            hasImage = dvrCameraFrame::identify(camera, identity);
            if (!hasImage)
                return;
            reuse = dvrHTTPPictureCache::holds(*slot, identity);
            if (!reuse)
                hasImage = frame.copyFrom(camera);
        });
        if (!present || !visible) {
            failure = 404;
        } else if (!hasImage) {
            failure = 503;
        } else if (reuse) {
            bytes = slot->bytes;
        } else {
            // The camera's lock is released: convert, scale and encode the copy.
            std::vector<std::uint8_t> rgb;
            auto encoded = std::make_shared<std::vector<std::uint8_t>>();
            bool made = frame.toRgb(key.width, key.height, rgb) &&
                        (key.png ? dvrPictureEncoder::encodePng(rgb.data(), key.width, key.height, *encoded)
                                 : encoder.encodeJpeg(rgb.data(), key.width, key.height, key.quality, *encoded));
            if (made) {
                bytes = encoded;
                dvrHTTPPictureCache::store(*slot, frame.identity(), bytes);
            } else {
                failure = 500;
            }
        }
    }
    if (failure == 404) {
        sendText(connection, 404, "[HTTP] Error: Camera not found.\r\n");
        return false;
    }
    if (failure == 503) {
        sendText(connection, 503, "[HTTP] Error: Camera has no picture.\r\n");
        return false;
    }
    if (failure != 0) {
        sendText(connection, 500, "[HTTP] Error: Picture could not be made.\r\n");
        return false;
    }
    std::string head =
        dvrHTTPResponse::head(200, key.png ? "image/png" : "image/jpeg", bytes->size(), true, keepAlive);
    if (bytes->size() <= joinedBodyLimit) {
        head.append(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        return connection.sendText(head) > 0 && keepAlive;
    }
    return connection.sendText(head) > 0 && connection.send(bytes->data(), bytes->size()) > 0 && keepAlive;
}

bool dvrHTTPRequestHandler::answerFile(std::string_view path, bool keepAlive, dvrNetwork& connection) const {
    std::optional<std::filesystem::path> file = files_.resolve(path);
    int descriptor = file ? open(file->c_str(), O_RDONLY | O_CLOEXEC) : -1;
    struct stat status {};
    if (descriptor < 0 || fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (descriptor >= 0)
            ::close(descriptor);
        connection.sendText(dvrHTTPResponse::text(404, pageNotFound));
        return false;
    }
    std::size_t size = static_cast<std::size_t>(status.st_size);
    std::size_t left = size;
    if (connection.sendText(
            dvrHTTPResponse::head(200, dvrHTTPFileResolver::contentType(*file), size, false, keepAlive)) > 0) {
        std::vector<char> piece(filePieceSize);
        while (left > 0) {
            ssize_t got = read(descriptor, piece.data(), std::min(left, piece.size()));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break; // the client sees fewer bytes than announced
            dvrHTTPTrace::line("bytes: " + std::to_string(got));
            if (connection.send(piece.data(), static_cast<std::size_t>(got)) < 0)
                break;
            left -= static_cast<std::size_t>(got);
        }
    }
    ::close(descriptor);
    return left == 0 && keepAlive;
}
