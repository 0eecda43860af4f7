#include "http/HttpRequestParser.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>

namespace thrumwise {

namespace {

constexpr std::string_view headEnd = "\r\n\r\n";
constexpr std::string_view lineEnd = "\r\n";

constexpr int badRequest = 400;
constexpr int contentTooLarge = 413;
constexpr int headersTooLarge = 431;
constexpr int notImplemented = 501;
constexpr int versionNotSupported = 505;

bool isTokenChar(char c) {
    constexpr std::string_view punctuation = "!#$%&'*+-.^_`|~";
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           punctuation.find(c) != std::string_view::npos;
}

bool isToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isTokenChar);
}

// Visible ASCII only: no spaces, controls or raw non-ASCII bytes.
bool isTarget(std::string_view text) {
    return text.starts_with('/') &&
           std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < '\x7f'; });
}

bool isFieldValueChar(char c) {
    return c == '\t' || static_cast<unsigned char>(c) >= ' ';
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<std::uint64_t> decimal(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

HttpRequestParser::HttpRequestParser(Limits limits) : limits_(limits) {}

void HttpRequestParser::append(std::string_view bytes) {
    if (failure_ == 0) {
        buffer_.append(bytes);
    }
}

std::optional<HttpRequest> HttpRequestParser::next() {
    if (failure_ != 0) {
        return std::nullopt;
    }
    if (!pending_) {
        // Empty lines before a request line are allowed.
        std::size_t start = 0;
        while (buffer_.compare(start, lineEnd.size(), lineEnd) == 0) {
            start += lineEnd.size();
        }
        buffer_.erase(0, start);
        scannedTo_ -= std::min(scannedTo_, start);

        const std::size_t end = buffer_.find(headEnd, scannedTo_);
        if (end == std::string::npos) {
            if (buffer_.size() > limits_.maxHeadBytes) {
                fail(headersTooLarge);
            }
            scannedTo_ = buffer_.size() - std::min(buffer_.size(), headEnd.size() - 1);
            return std::nullopt;
        }
        if (end + headEnd.size() > limits_.maxHeadBytes) {
            fail(headersTooLarge);
            return std::nullopt;
        }
        if (!parseHead(std::string_view(buffer_).substr(0, end))) {
            return std::nullopt;
        }
        buffer_.erase(0, end + headEnd.size());
        scannedTo_ = 0;
    }
    if (buffer_.size() < bodyLength_) {
        return std::nullopt;
    }
    pending_->body = buffer_.substr(0, bodyLength_);
    buffer_.erase(0, bodyLength_);
    bodyLength_ = 0;
    return std::exchange(pending_, std::nullopt);
}

bool HttpRequestParser::parseHead(std::string_view head) {
    pending_.emplace();
    const std::size_t firstLineEnd = head.find(lineEnd);
    if (!parseRequestLine(head.substr(0, firstLineEnd))) {
        return false;
    }
    std::string_view rest =
        firstLineEnd == std::string_view::npos ? std::string_view() : head.substr(firstLineEnd + 2);
    while (!rest.empty()) {
        const std::size_t end = rest.find(lineEnd);
        if (!parseHeader(rest.substr(0, end))) {
            return false;
        }
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
    }
    if (pending_->header("Transfer-Encoding")) {
        fail(notImplemented);
        return false;
    }
    if (pending_->version == "HTTP/1.1" && !pending_->header("Host")) {
        fail(badRequest);
        return false;
    }
    return true;
}

bool HttpRequestParser::parseRequestLine(std::string_view line) {
    const std::size_t firstSpace = line.find(' ');
    const std::size_t secondSpace =
        firstSpace == std::string_view::npos ? firstSpace : line.find(' ', firstSpace + 1);
    if (secondSpace == std::string_view::npos) {
        fail(badRequest);
        return false;
    }
    const std::string_view method = line.substr(0, firstSpace);
    const std::string_view target = line.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    const std::string_view version = line.substr(secondSpace + 1);
    if (!isToken(method) || !isTarget(target) || !version.starts_with("HTTP/")) {
        fail(badRequest);
        return false;
    }
    if (version != "HTTP/1.1" && version != "HTTP/1.0") {
        fail(versionNotSupported);
        return false;
    }
    pending_->method = method;
    pending_->target = target;
    pending_->version = version;
    return true;
}

bool HttpRequestParser::parseHeader(std::string_view line) {
    const std::size_t colon = line.find(':');
    const std::string_view name = line.substr(0, colon);
    if (colon == std::string_view::npos || !isToken(name)) {
        fail(badRequest);
        return false;
    }
    const std::string_view value = trimmed(line.substr(colon + 1));
    if (!std::all_of(value.begin(), value.end(), isFieldValueChar)) {
        fail(badRequest);
        return false;
    }
    if (pending_->headers.size() == limits_.maxHeaderCount) {
        fail(headersTooLarge);
        return false;
    }
    if (equalsIgnoringCase(name, "Content-Length")) {
        const std::optional<std::uint64_t> length = decimal(value);
        const bool isRepeatedDifferently =
            pending_->header(name).has_value() && *pending_->header(name) != value;
        if (!length || isRepeatedDifferently) {
            fail(badRequest);
            return false;
        }
        if (*length > limits_.maxBodyBytes) {
            fail(contentTooLarge);
            return false;
        }
        bodyLength_ = static_cast<std::size_t>(*length);
    }
    pending_->headers.emplace_back(name, value);
    return true;
}

void HttpRequestParser::fail(int status) {
    failure_ = status;
    pending_.reset();
    buffer_.clear();
    buffer_.shrink_to_fit();
}

}  // namespace thrumwise
