#pragma once

#include <optional>
#include <string>

namespace thrumwise {
class HttpClient;
}

namespace thrumwise::test {

// Sends one request through `client` (a POST when there is a body, else a
// GET) and waits for the reply's status, running the event loop meanwhile:
// 0 when no reply came, -1 when nothing came back within five seconds.
long statusOf(HttpClient& client, const std::string& url,
              const std::optional<std::string>& body = std::nullopt);

}  // namespace thrumwise::test
