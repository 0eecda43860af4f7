#include "services/HttpClient.h"

#include <algorithm>
#include <array>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <curl/curl.h>
#include <nlohmann/json.hpp>

namespace thrumwise {

namespace {

using Clock = std::chrono::steady_clock;

// Idle handles kept for reuse beyond this many are released.
constexpr std::size_t maxIdleTransfers = 16;

void initialiseCurlOnce() {
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK) {
        throw std::runtime_error(curl_easy_strerror(result));
    }
}

}  // namespace

class HttpClient::Worker {
public:
    struct Request {
        bool isPost = false;
        std::string url;
        std::string body;
        Completion done;
        Clock::time_point madeAt;
    };

    explicit Worker(Options options);
    ~Worker();

    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void submit(Request request);

private:
    // One easy handle with what a running request needs; reused, so that its
    // handle keeps its caches from one request to the next.
    struct Transfer {
        CURL* easy = nullptr;
        Request request;
        std::string reply;
        std::size_t maxReplyBytes = 0;
        bool isReplyTooLarge = false;
        bool isHeadComplete = false;
        std::array<char, CURL_ERROR_SIZE> error{};
    };

    static std::size_t receive(char* data, std::size_t size, std::size_t count, void* context);
    static std::size_t receiveHeader(char* data, std::size_t size, std::size_t count,
                                     void* context);

    void run();
    bool takeSubmitted();
    void startWaiting();
    void start(Request request);
    bool finishCompleted();
    HttpResponse responseOf(Transfer& transfer, CURLcode result) const;
    static void fail(Request& request, std::string error);
    std::unique_ptr<Transfer> idleTransfer();
    void recycle(std::unique_ptr<Transfer> transfer);

    const Options options_;
    CURLM* multi_ = nullptr;
    curl_slist* jsonHeaders_ = nullptr;

    std::mutex mutex_;  // guards submitted_ and isStopping_
    std::deque<Request> submitted_;
    bool isStopping_ = false;

    // Worker thread only.
    std::deque<Request> waiting_;
    std::vector<std::unique_ptr<Transfer>> running_;
    std::vector<std::unique_ptr<Transfer>> idle_;

    std::thread thread_;
};

HttpClient::Worker::Worker(Options options) : options_(options) {
    initialiseCurlOnce();
    multi_ = curl_multi_init();
    // No "Expect: 100-continue": it would cost a round trip on every POST.
    jsonHeaders_ = curl_slist_append(nullptr, "Content-Type: application/json");
    jsonHeaders_ = jsonHeaders_ != nullptr ? curl_slist_append(jsonHeaders_, "Expect:") : nullptr;
    if (multi_ == nullptr || jsonHeaders_ == nullptr) {
        curl_slist_free_all(jsonHeaders_);
        curl_multi_cleanup(multi_);
        throw std::runtime_error("libcurl could not be set up");
    }
    thread_ = std::thread([this] { run(); });
}

HttpClient::Worker::~Worker() {
    {
        const std::scoped_lock guard(mutex_);
        isStopping_ = true;
    }
    curl_multi_wakeup(multi_);
    thread_.join();
    for (auto& transfer : running_) {
        curl_multi_remove_handle(multi_, transfer->easy);
        curl_easy_cleanup(transfer->easy);
    }
    for (auto& transfer : idle_) {
        curl_easy_cleanup(transfer->easy);
    }
    curl_multi_cleanup(multi_);
    curl_slist_free_all(jsonHeaders_);
}

void HttpClient::Worker::submit(Request request) {
    {
        const std::scoped_lock guard(mutex_);
        submitted_.push_back(std::move(request));
    }
    curl_multi_wakeup(multi_);
}

void HttpClient::Worker::run() {
    constexpr int idleWaitMs = 60'000;
    while (takeSubmitted()) {
        startWaiting();
        int stillRunning = 0;
        curl_multi_perform(multi_, &stillRunning);
        if (finishCompleted()) {
            continue;  // the next request in line may start now
        }
        // Returns early on socket activity, on curl's own timers and on wake-ups.
        curl_multi_poll(multi_, nullptr, 0, idleWaitMs, nullptr);
    }
}

bool HttpClient::Worker::takeSubmitted() {
    const std::scoped_lock guard(mutex_);
    if (isStopping_) {
        return false;
    }
    while (!submitted_.empty()) {
        waiting_.push_back(std::move(submitted_.front()));
        submitted_.pop_front();
    }
    return true;
}

void HttpClient::Worker::startWaiting() {
    while (!waiting_.empty() && (!options_.oneAtATime || running_.empty())) {
        Request request = std::move(waiting_.front());
        waiting_.pop_front();
        start(std::move(request));
    }
}

void HttpClient::Worker::start(Request request) {
    const Clock::time_point now = Clock::now();
    const Clock::time_point limitStart = options_.oneAtATime ? now : request.madeAt;
    const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
        options_.timeout - (now - limitStart));

    std::unique_ptr<Transfer> transfer = idleTransfer();
    if (!transfer) {
        fail(request, "Out of memory");
        return;
    }
    transfer->request = std::move(request);
    transfer->reply.clear();
    transfer->maxReplyBytes = options_.maxBodyBytes;
    transfer->isReplyTooLarge = false;
    transfer->isHeadComplete = false;
    transfer->error[0] = '\0';

    CURL* easy = transfer->easy;
    curl_easy_reset(easy);
    curl_easy_setopt(easy, CURLOPT_URL, transfer->request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    // Never zero: zero would mean no limit at all.
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, std::max<long>(1L, remaining.count()));
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->error.data());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Worker::receive);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Worker::receiveHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
    if (transfer->request.isPost) {
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, jsonHeaders_);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(transfer->request.body.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, transfer->request.body.data());
    }

    if (curl_multi_add_handle(multi_, easy) != CURLM_OK) {
        Request failed = std::move(transfer->request);
        recycle(std::move(transfer));
        fail(failed, "The request could not be started");
        return;
    }
    running_.push_back(std::move(transfer));
}

std::size_t HttpClient::Worker::receive(char* data, std::size_t size, std::size_t count,
                                        void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    const std::size_t length = size * count;
    if (transfer->maxReplyBytes == 0) {
        return length;
    }
    if (length > transfer->maxReplyBytes - transfer->reply.size()) {
        transfer->isReplyTooLarge = true;
        return 0;  // curl ends the transfer with a write error
    }
    transfer->reply.append(data, length);
    return length;
}

// Header lines come whole, one per call; an empty one ends a head.
std::size_t HttpClient::Worker::receiveHeader(char* data, std::size_t size, std::size_t count,
                                              void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        transfer->isHeadComplete = false;  // a new head, after an interim 1xx one
    } else if (line == "\r\n" || line == "\n") {
        transfer->isHeadComplete = true;
    }
    return line.size();
}

bool HttpClient::Worker::finishCompleted() {
    bool isAnyFinished = false;
    int remainingMessages = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &remainingMessages)) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        CURL* easy = message->easy_handle;
        const CURLcode result = message->data.result;
        curl_multi_remove_handle(multi_, easy);  // `message` is invalid from here on

        const auto found =
            std::find_if(running_.begin(), running_.end(),
                         [easy](const auto& transfer) { return transfer->easy == easy; });
        std::unique_ptr<Transfer> transfer = std::move(*found);
        running_.erase(found);

        const HttpResponse response = responseOf(*transfer, result);
        Completion done = std::move(transfer->request.done);
        recycle(std::move(transfer));
        if (done) {
            done(response);
        }
        isAnyFinished = true;
    }
    return isAnyFinished;
}

HttpResponse HttpClient::Worker::responseOf(Transfer& transfer, CURLcode result) const {
    HttpResponse response;
    if (result == CURLE_OK && !transfer.isHeadComplete) {
        // curl takes a connection closed inside the head for a whole reply.
        response.error = "The connection closed before the reply's head was complete";
    } else if (result == CURLE_OK) {
        curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &response.status);
        response.body = std::move(transfer.reply);
    } else if (transfer.isReplyTooLarge) {
        response.error =
            "The reply body is larger than " + std::to_string(options_.maxBodyBytes) + " bytes";
    } else {
        response.error =
            transfer.error[0] != '\0' ? transfer.error.data() : curl_easy_strerror(result);
        // curl says "Couldn't connect to server"; the system says why.
        long systemError = 0;
        curl_easy_getinfo(transfer.easy, CURLINFO_OS_ERRNO, &systemError);
        if (result == CURLE_COULDNT_CONNECT && systemError != 0) {
            response.error +=
                " (" + std::system_category().message(static_cast<int>(systemError)) + ")";
        }
    }
    return response;
}

void HttpClient::Worker::fail(Request& request, std::string error) {
    if (request.done) {
        HttpResponse response;
        response.error = std::move(error);
        request.done(response);
    }
}

std::unique_ptr<HttpClient::Worker::Transfer> HttpClient::Worker::idleTransfer() {
    if (!idle_.empty()) {
        std::unique_ptr<Transfer> transfer = std::move(idle_.back());
        idle_.pop_back();
        return transfer;
    }
    CURL* easy = curl_easy_init();
    if (easy == nullptr) {
        return nullptr;
    }
    auto transfer = std::make_unique<Transfer>();
    transfer->easy = easy;
    return transfer;
}

void HttpClient::Worker::recycle(std::unique_ptr<Transfer> transfer) {
    transfer->request = {};
    transfer->reply = {};
    if (idle_.size() < maxIdleTransfers) {
        idle_.push_back(std::move(transfer));
    } else {
        curl_easy_cleanup(transfer->easy);
    }
}

HttpClient::HttpClient(Options options) : worker_(std::make_unique<Worker>(options)) {}

HttpClient::~HttpClient() = default;

void HttpClient::postJson(std::string url, std::string body, Completion done) {
    worker_->submit({.isPost = true,
                     .url = std::move(url),
                     .body = std::move(body),
                     .done = std::move(done),
                     .madeAt = Clock::now()});
}

void HttpClient::get(std::string url, Completion done) {
    worker_->submit({.isPost = false,
                     .url = std::move(url),
                     .body = {},
                     .done = std::move(done),
                     .madeAt = Clock::now()});
}

std::string loopbackBaseUrl(std::uint16_t port) {
    return "http://localhost:" + std::to_string(port);
}

std::string jsonObjectWithText(std::string_view key, std::string_view value) {
    nlohmann::json object = nlohmann::json::object();
    object[std::string(key)] = std::string(value);
    return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace thrumwise
