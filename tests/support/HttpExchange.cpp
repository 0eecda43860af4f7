#include "support/HttpExchange.h"

#include "services/HttpClient.h"

#include <atomic>
#include <memory>

#include <QTest>

namespace thrumwise::test {

long statusOf(HttpClient& client, const std::string& url, const std::optional<std::string>& body) {
    // Filled on the client's worker thread, which may outlive the wait.
    const auto status = std::make_shared<std::atomic<long>>(-1);
    auto record = [status](const HttpResponse& response) {
        status->store(response.status);
    };
    if (body) {
        client.postJson(url, *body, std::move(record));
    } else {
        client.get(url, std::move(record));
    }
    static_cast<void>(QTest::qWaitFor([&] { return status->load() != -1; }, 5000));
    return status->load();
}

}  // namespace thrumwise::test
