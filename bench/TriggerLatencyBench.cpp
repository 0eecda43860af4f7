// How long a haptic trigger request takes from the moment it is made until the
// plug-in has read it whole, over loopback with the connection already open.
// Each path sends its requests one after another (the next once the reply to
// the previous is in) to the same stand-in plug-in, which notes when every
// request arrived; the floor is a plain blocking socket writing the same bytes.
// The full path starts earlier, at the raw key event: input monitor, trigger
// engine and haptic client on the GUI thread, as in the application.
// A second table gives the handlers' own time on the GUI thread for key
// presses made at a steady pace, with a plug-in that answers at once and with
// one that answers only after two seconds, past every trigger's limit.
// Run by hand: trigger_latency_bench [samples]
#include "common/Logger.h"
#include "engine/TriggerEngine.h"
#include "haptics/HapticClient.h"
#include "http/HttpServer.h"
#include "input/InputMonitor.h"
#include "services/HttpClient.h"
#include "support/AppStateFixture.h"
#include "support/FakeEventSource.h"
#include "support/ManualTimerFactory.h"
#include "support/SampleProfiles.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <semaphore>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>

namespace {

using namespace thrumwise;
using Clock = std::chrono::steady_clock;

constexpr int warmUpRequests = 200;
constexpr int defaultSamples = 5000;
constexpr std::string_view triggerBody = R"({"event":"sharp_collision"})";
constexpr int pacedPresses = 300;
constexpr std::chrono::milliseconds pressSpacing{10};
constexpr std::chrono::milliseconds stalledPluginDelay{2000};

// The plug-in's stand-in: answers 200, after `delay`, and notes when the
// latest request arrived. Room for every connection a stall keeps open.
class ArrivalServer {
public:
    explicit ArrivalServer(std::chrono::milliseconds delay = {})
        : server_(0,
                  [this, delay](const HttpRequest& request) {
                      lastArrival_.store(request.arrival.time_since_epoch().count(),
                                         std::memory_order_release);
                      return HttpServer::Reply::answer(200).after(delay);
                  },
                  {.request = {}, .maxConnections = 1024}) {}

    std::uint16_t port() const { return server_.port(); }
    Clock::time_point lastArrival() const {
        return Clock::time_point(Clock::duration(lastArrival_.load(std::memory_order_acquire)));
    }

private:
    std::atomic<Clock::rep> lastArrival_{0};
    HttpServer server_;
};

// One way of getting a trigger request to the plug-in: `send` makes one
// request and returns once its reply is in.
struct LatencyPath {
    std::string name;
    std::function<void()> send;
};

struct Percentiles {
    double p50Us = 0;
    double p99Us = 0;
};

double percentileUs(const std::vector<double>& sortedUs, double fraction) {
    return sortedUs[static_cast<std::size_t>(fraction * double(sortedUs.size() - 1))];
}

Percentiles measure(const ArrivalServer& plugin, const LatencyPath& path, int samples) {
    for (int i = 0; i < warmUpRequests; ++i) {
        path.send();
    }
    std::vector<double> latenciesUs;
    latenciesUs.reserve(static_cast<std::size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        const Clock::time_point made = Clock::now();
        path.send();
        const std::chrono::duration<double, std::micro> latency = plugin.lastArrival() - made;
        latenciesUs.push_back(latency.count());
    }
    std::sort(latenciesUs.begin(), latenciesUs.end());
    return {percentileUs(latenciesUs, 0.50), percentileUs(latenciesUs, 0.99)};
}

// The floor: the request as libcurl writes it, through a blocking socket.
class BlockingSocket {
public:
    explicit BlockingSocket(std::uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            throw std::runtime_error("cannot connect to the stand-in plug-in");
        }
        request_ = "POST /trigger HTTP/1.1\r\nHost: localhost:" + std::to_string(port) +
                   "\r\nAccept: */*\r\nContent-Type: application/json\r\nContent-Length: " +
                   std::to_string(triggerBody.size()) + "\r\n\r\n" + std::string(triggerBody);
    }
    ~BlockingSocket() { ::close(fd_); }
    BlockingSocket(const BlockingSocket&) = delete;
    BlockingSocket& operator=(const BlockingSocket&) = delete;

    // Writes the request and reads the reply's head (the reply has no body).
    void send() {
        if (::send(fd_, request_.data(), request_.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(request_.size())) {
            throw std::runtime_error("send failed");
        }
        reply_.clear();
        while (reply_.find("\r\n\r\n") == std::string::npos) {
            std::array<char, 512> chunk{};
            const ssize_t count = ::recv(fd_, chunk.data(), chunk.size(), 0);
            if (count <= 0) {
                throw std::runtime_error("the stand-in plug-in closed the connection");
            }
            reply_.append(chunk.data(), static_cast<std::size_t>(count));
        }
    }

private:
    int fd_;
    std::string request_;
    std::string reply_;
};

// Passes triggers on to the real client and counts the answers, so that the
// next press waits until the previous exchange is over.
class CountingHaptics final : public HapticTrigger {
public:
    explicit CountingHaptics(HapticTrigger& haptics) : haptics_(haptics) {}

    void trigger(std::string pattern, Completion done) override {
        ++requested;
        haptics_.trigger(std::move(pattern), [this, done = std::move(done)](bool accepted) {
            ++answered;
            refused += accepted ? 0 : 1;
            isAllAccepted = isAllAccepted && accepted;
            if (done) {
                done(accepted);
            }
        });
    }

    // GUI thread only, like the completions.
    int requested = 0;
    int answered = 0;
    int refused = 0;
    bool isAllAccepted = true;

private:
    HapticTrigger& haptics_;
};

// A key press and release as the platform's event source hands them over,
// through the input monitor and the trigger engine to the haptic client.
class KeyPressPath {
public:
    static constexpr std::uint16_t key = 0;  // A

    explicit KeyPressPath(std::uint16_t pluginPort)
        : quiet_([](std::string_view) {}),
          monitor_(source_, quiet_),
          client_(pluginPort, quiet_, timers_),
          counting_(client_),
          engine_(monitor_, counting_,
                  {[this] { return app_.state().isEnabled(); },
                   [this] {
                       return app_.state().isPluginConnected();
                   }},
                  clock_, timers_, quiet_) {
        // Wired as the application wires them.
        monitor_.setOnLastInput(
            [this](std::string text) { app_.state().setLastInputEvent(std::move(text)); });
        QObject::connect(&client_, &HapticClient::connectionChanged, &app_.state(),
                         &AppState::setPluginConnected);
        monitor_.start();
        engine_.setActiveProfile(
            test::profile("P", "Bench", "bench", {test::keyMapping("M", key, "sharp_collision")}));
    }

    void press() {
        const int before = counting_.answered;
        pressAndRelease();
        // The client always answers, at the latest when its time limit is up.
        while (counting_.answered == before) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        if (!counting_.isAllAccepted) {
            throw std::runtime_error("the stand-in plug-in did not accept a trigger");
        }
    }

    // One press and release handed over; returns how long the handlers took.
    Clock::duration pressAndRelease() {
        const int before = counting_.requested;
        const Clock::time_point start = Clock::now();
        source_.keyDown(key);
        source_.keyUp(key);
        const Clock::duration took = Clock::now() - start;
        if (counting_.requested == before) {
            throw std::runtime_error("the key press fired nothing");
        }
        return took;
    }

    // Waits until every trigger made has its answer.
    void settle() {
        while (counting_.answered < counting_.requested) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    int refused() const { return counting_.refused; }

private:
    test::AppStateFixture app_;
    Logger quiet_;
    test::FakeEventSource source_;
    test::ManualTimerFactory timers_;  // no status poll in the way
    SteadyClock clock_;
    InputMonitor monitor_;
    HapticClient client_;
    CountingHaptics counting_;
    TriggerEngine engine_;
};

// Runs the GUI thread's events for `span`, as it would between two presses.
void runEventsFor(std::chrono::milliseconds span) {
    const Clock::time_point until = Clock::now() + span;
    while (Clock::now() < until) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// Presses at a steady pace against `plugin`, timing the handlers of each.
void measureHandlers(const char* name, const ArrivalServer& plugin) {
    KeyPressPath path(plugin.port());
    std::vector<double> handlerUs;
    handlerUs.reserve(pacedPresses);
    for (int i = 0; i < pacedPresses; ++i) {
        const std::chrono::duration<double, std::micro> took = path.pressAndRelease();
        handlerUs.push_back(took.count());
        runEventsFor(pressSpacing);
    }
    path.settle();
    std::sort(handlerUs.begin(), handlerUs.end());
    std::printf("%-44s %10.1f %10.1f %10.1f %8d\n", name, percentileUs(handlerUs, 0.5),
                percentileUs(handlerUs, 0.99), handlerUs.back(), path.refused());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int samples = argc > 1 ? std::max(1, std::atoi(argv[1])) : defaultSamples;
    ArrivalServer plugin;
    const std::string url = "http://localhost:" + std::to_string(plugin.port()) + "/trigger";

    BlockingSocket socket(plugin.port());
    HttpClient client({.timeout = std::chrono::milliseconds(500)});
    std::binary_semaphore replied(0);
    KeyPressPath keyPress(plugin.port());

    const std::vector<LatencyPath> paths{
        {"floor: blocking socket, open connection",
         [&socket] {
             socket.send();
         }},
        {"HttpClient::postJson, worker thread",
         [&] {
             bool isAccepted = false;
             client.postJson(url, std::string(triggerBody), [&](const HttpResponse& response) {
                 isAccepted = response.status == 200;
                 replied.release();
             });
             replied.acquire();
             if (!isAccepted) {
                 throw std::runtime_error("the stand-in plug-in did not accept a trigger");
             }
         }},
        {"key event -> monitor, engine, HapticClient",
         [&keyPress] {
             keyPress.press();
         }},
    };

    std::printf(
        "Trigger request, made -> read whole by the plug-in; %d sequential requests per path\n",
        samples);
    std::printf("%-44s %10s %10s %8s\n", "path", "p50 (us)", "p99 (us)", "p50/floor");
    double floorP50 = 0;
    for (const LatencyPath& path : paths) {
        const Percentiles result = measure(plugin, path, samples);
        if (floorP50 == 0) {
            floorP50 = result.p50Us;
        }
        std::printf("%-44s %10.1f %10.1f %8.1fx\n", path.name.c_str(), result.p50Us, result.p99Us,
                    result.p50Us / floorP50);
    }

    std::printf(
        "\nHandler time of one key press and release on the GUI thread; %d presses "
        "%lld ms apart\n",
        pacedPresses, static_cast<long long>(pressSpacing.count()));
    std::printf("%-44s %10s %10s %10s %8s\n", "plug-in", "p50 (us)", "p99 (us)", "max (us)",
                "refused");
    const ArrivalServer stalled(stalledPluginDelay);
    measureHandlers("answers at once", plugin);
    measureHandlers("answers after 2 s (each trigger times out)", stalled);
    return EXIT_SUCCESS;
}
