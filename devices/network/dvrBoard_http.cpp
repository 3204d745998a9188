#include "network/dvrBoard_http.h"

bool dvrBoard_http::open() {
    opened_ = true;
    return true;
}

bool dvrBoard_http::close() {
    opened_ = false;
    return true;
}

dvrBoard_http::FetchResult dvrBoard_http::fetchPicture(dvrHttpPictureSession& session,
                                                      const dvrHttpClient::Request& request, dvrRgbPicture& picture) {
    switch (session.http.get(request, session.body)) {
    case dvrHttpClient::Result::received:
        break;
    case dvrHttpClient::Result::failed:
        return FetchResult::failed;
    case dvrHttpClient::Result::timedOut:
        return FetchResult::timedOut;
    case dvrHttpClient::Result::httpError:
        return FetchResult::httpError;
    case dvrHttpClient::Result::emptyBody:
        return FetchResult::emptyBody;
    case dvrHttpClient::Result::tooLarge:
        return FetchResult::tooLarge;
    case dvrHttpClient::Result::aborted:
        return FetchResult::stopped;
    }
    switch (session.decoder.decode(session.body.data(), session.body.size(), picture)) {
    case dvrJpegDecoder::Result::decoded:
        return FetchResult::fetched;
    case dvrJpegDecoder::Result::notJpeg:
        return FetchResult::notJpeg;
    case dvrJpegDecoder::Result::tooLarge:
        return FetchResult::pictureTooLarge;
    case dvrJpegDecoder::Result::undecodable:
        break;
    }
    return FetchResult::undecodable;
}

const char* dvrBoard_http::describe(FetchResult result) {
    switch (result) {
    case FetchResult::fetched:
        return "picture received";
    case FetchResult::failed:
        return "no connection";
    case FetchResult::timedOut:
        return "timed out";
    case FetchResult::httpError:
        return "HTTP error";
    case FetchResult::emptyBody:
        return "empty answer";
    case FetchResult::tooLarge:
        return "answer too large";
    case FetchResult::notJpeg:
        return "answer is not a whole JPEG picture";
    case FetchResult::undecodable:
        return "picture cannot be decoded";
    case FetchResult::pictureTooLarge:
        return "picture too large";
    case FetchResult::stopped:
        return "stopped";
    }
    return "";
}
