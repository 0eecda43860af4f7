#pragma once

#include <string>

namespace thrumwise {
class HttpClient;
}

namespace thrumwise::test {

// Sends one request through `client` and waits for its outcome, running the
// event loop meanwhile: the reply's status, 0 when no reply came, -1 when
// nothing came back within five seconds.
long postStatus(HttpClient& client, const std::string& url, const std::string& body);
long getStatus(HttpClient& client, const std::string& url);

}  // namespace thrumwise::test
