#include "support/HttpExchange.h"

#include "services/HttpClient.h"

#include <atomic>
#include <memory>

#include <QTest>

namespace thrumwise::test {

namespace {

constexpr int kReplyTimeoutMs = 5000;

// The completion runs on the client's worker thread.
struct Outcome {
    std::atomic<long> status{-1};
    std::atomic<bool> hasCome{false};
};

HttpClient::Completion recordInto(const std::shared_ptr<Outcome>& outcome) {
    return [outcome](const HttpResponse& response) {
        outcome->status.store(response.status);
        outcome->hasCome.store(true);
    };
}

long waitFor(const Outcome& outcome) {
    static_cast<void>(
        QTest::qWaitFor([&outcome] { return outcome.hasCome.load(); }, kReplyTimeoutMs));
    return outcome.hasCome.load() ? outcome.status.load() : -1;
}

}  // namespace

long postStatus(HttpClient& client, const std::string& url, const std::string& body) {
    const auto outcome = std::make_shared<Outcome>();
    client.postJson(url, body, recordInto(outcome));
    return waitFor(*outcome);
}

long getStatus(HttpClient& client, const std::string& url) {
    const auto outcome = std::make_shared<Outcome>();
    client.get(url, recordInto(outcome));
    return waitFor(*outcome);
}

}  // namespace thrumwise::test
