#include "network/dvrHttpClient.h"

#include <curl/curl.h>

#include <mutex>

namespace {

// libcurl's global set-up is not thread-safe; it runs once, before the first session.
void initialiseLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// How long one wait inside a transfer may last before the abort flag is looked at again; the
// wake-up of abort() normally ends the wait sooner.
constexpr int pollMilliseconds = 250;

} // namespace

dvrHttpClient::dvrHttpClient() {
    initialiseLibraryOnce();
    easy_ = curl_easy_init();
    multi_ = curl_multi_init();
}

dvrHttpClient::~dvrHttpClient() {
    if (multi_)
        curl_multi_cleanup(static_cast<CURLM*>(multi_));
    if (easy_)
        curl_easy_cleanup(static_cast<CURL*>(easy_));
}

void dvrHttpClient::setTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    connectMilliseconds_ = static_cast<long>(connect.count());
    totalMilliseconds_ = static_cast<long>(total.count());
}

void dvrHttpClient::abort() {
    aborted_ = true;
    if (multi_)
        curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

void dvrHttpClient::resume() { aborted_ = false; }

std::size_t dvrHttpClient::receive(char* data, std::size_t size, std::size_t count, void* client) {
    dvrHttpClient* self = static_cast<dvrHttpClient*>(client);
    std::size_t bytes = size * count;
    if (self->body_->size() + bytes > maximumBodySize) {
        self->overflow_ = true;
        return 0; // ends the transfer
    }
    self->body_->insert(self->body_->end(), reinterpret_cast<std::uint8_t*>(data),
                        reinterpret_cast<std::uint8_t*>(data) + bytes);
    return bytes;
}

dvrHttpClient::Result dvrHttpClient::get(const Request& request, std::vector<std::uint8_t>& body) {
    body.clear();
    lastStatus_ = 0;
    overflow_ = false;
    if (!easy_ || !multi_)
        return Result::failed;
    if (aborted_)
        return Result::aborted;
    CURL* easy = static_cast<CURL*>(easy_);
    CURLM* multi = static_cast<CURLM*>(multi_);

    body_ = &body;
    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, maximumRedirects);
    // Credentials are never handed on to another host a redirect points at.
    curl_easy_setopt(easy, CURLOPT_UNRESTRICTED_AUTH, 0L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectMilliseconds_.load());
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, totalMilliseconds_.load());
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maximumBodySize));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &dvrHttpClient::receive);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    if (request.username.empty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_NONE);
        curl_easy_setopt(easy, CURLOPT_USERNAME, nullptr);
        curl_easy_setopt(easy, CURLOPT_PASSWORD, nullptr);
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
        curl_easy_setopt(easy, CURLOPT_USERNAME, request.username.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, request.password.c_str());
    }

    curl_multi_add_handle(multi, easy);
    CURLcode code = CURLE_OK;
    bool done = false;
    while (!done) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            code = CURLE_FAILED_INIT;
            break;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                code = message->data.result;
                done = true;
            }
        }
        if (done || aborted_)
            break;
        curl_multi_poll(multi, nullptr, 0, pollMilliseconds, nullptr);
    }
    curl_multi_remove_handle(multi, easy);
    body_ = nullptr;

    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    lastStatus_ = status;
    Result result = Result::received;
    if (!done)
        result = aborted_ ? Result::aborted : Result::failed;
    else if (overflow_ || code == CURLE_FILESIZE_EXCEEDED)
        result = Result::tooLarge;
    else if (code == CURLE_OPERATION_TIMEDOUT)
        result = Result::timedOut;
    else if (code != CURLE_OK)
        result = Result::failed;
    else if (status != 200)
        result = Result::httpError;
    else if (body.empty())
        result = Result::emptyBody;
    if (result != Result::received)
        body.clear();
    return result;
}
