// Any bytes a client may send to the simulators' HTTP server: requests, then
// at most one failure status, never a crash, a hang or a leak. The first byte
// chooses how the rest is cut into reads; the parser must give the same
// requests and the same failure whether the bytes come at once or in pieces,
// and every request it gives must be one it would accept as a whole.
#include "http/HttpRequestParser.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using thrumwise::HttpRequest;
using thrumwise::HttpRequestParser;

// Small limits, so that short inputs reach every bound.
constexpr HttpRequestParser::Limits limits{256, 4, 64};

struct Outcome {
    std::vector<HttpRequest> requests;
    int failure = 0;
};

bool same(const HttpRequest& a, const HttpRequest& b) {
    return a.method == b.method && a.target == b.target && a.version == b.version &&
           a.headers == b.headers && a.body == b.body;
}

Outcome parse(std::string_view bytes, std::size_t pieceSize) {
    HttpRequestParser parser(limits);
    Outcome outcome;
    for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
        parser.append(bytes.substr(at, pieceSize));
        while (auto request = parser.next()) {
            outcome.requests.push_back(std::move(*request));
        }
    }
    outcome.failure = parser.failure();
    if (outcome.failure != 0 && parser.next()) {
        __builtin_trap();  // nothing after a failure
    }
    return outcome;
}

// The body is as long as the request said, within the limits.
bool bodyFits(const HttpRequest& request) {
    const auto length = request.header("Content-Length");
    if (!length) {
        return request.body.empty();
    }
    std::uint64_t said = 0;
    const auto [end, error] =
        std::from_chars(length->data(), length->data() + length->size(), said);
    return error == std::errc() && end == length->data() + length->size() &&
           said == request.body.size() && said <= limits.maxBodyBytes;
}

bool isAcceptable(const HttpRequest& request) {
    return bodyFits(request) && request.headers.size() <= limits.maxHeaderCount &&
           request.target.starts_with('/') &&
           (request.version == "HTTP/1.0" ||
            (request.version == "HTTP/1.1" && request.header("Host"))) &&
           !request.header("Transfer-Encoding");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t pieceSize = data[0] % 16 + 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const Outcome whole = parse(bytes, std::max<std::size_t>(bytes.size(), 1));
    const Outcome pieces = parse(bytes, pieceSize);
    constexpr int statuses[] = {0, 400, 413, 431, 501, 505};
    if (whole.failure != pieces.failure || whole.requests.size() != pieces.requests.size() ||
        std::find(std::begin(statuses), std::end(statuses), whole.failure) == std::end(statuses)) {
        __builtin_trap();
    }
    std::size_t bodyBytes = 0;
    for (std::size_t i = 0; i < whole.requests.size(); ++i) {
        if (!same(whole.requests[i], pieces.requests[i]) || !isAcceptable(whole.requests[i])) {
            __builtin_trap();
        }
        bodyBytes += whole.requests[i].body.size();
    }
    if (bodyBytes > bytes.size()) {
        __builtin_trap();
    }
    return 0;
}
