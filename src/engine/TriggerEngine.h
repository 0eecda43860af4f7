#pragma once

#include "common/Clock.h"
#include "input/InputListener.h"
#include "model/GameProfile.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace thrumwise {

class HapticTrigger;
class InputMonitor;
class Logger;
class RepeatingTimer;
class TimerFactory;

// Turns presses and releases into haptic requests for the active profile:
// matching with required modifiers, cooldowns and repeat-while-held.
// Everything runs on the GUI thread; the network is never waited on.
class TriggerEngine final : private InputListener {
public:
    // What the engine reads of the application, at each event.
    struct Readings {
        std::function<bool()> isEnabled;          // the master switch
        std::function<bool()> isPluginConnected;  // for the log line of a failed trigger
    };

    // Listens to `monitor` from here on.
    TriggerEngine(InputMonitor& monitor, HapticTrigger& haptics, Readings readings, Clock& clock,
                  TimerFactory& timers, Logger& logger);
    // Stops listening, so a monitor that outlives the engine calls nothing here.
    ~TriggerEngine() override;

    TriggerEngine(const TriggerEngine&) = delete;
    TriggerEngine& operator=(const TriggerEngine&) = delete;

    void handleKeyEvent(std::uint16_t keyCode, bool isDown, ModifierSet modifiers);
    void handleMouseEvent(MouseButton button, bool isDown, ModifierSet modifiers);

    // The engine's own copy; later edits are not seen until the next call.
    // Forgets every cooldown and stops every hold repeat.
    void setActiveProfile(std::optional<GameProfile> profile);

private:
    // The active profile with its mappings indexed by trigger, in profile order,
    // so a press costs a table look-up however many mappings there are.
    struct IndexedProfile;
    struct Trigger {
        std::optional<std::uint16_t> keyCode;
        std::optional<MouseButton> button;
    };

    void keyDown(std::uint16_t keyCode, std::optional<std::string_view> keyName,
                 ModifierSet modifiers) override;
    void keyUp(std::uint16_t keyCode, std::optional<std::string_view> keyName,
               ModifierSet modifiers) override;
    void mouseDown(MouseButton button, ModifierSet modifiers) override;
    void mouseUp(MouseButton button, ModifierSet modifiers) override;

    template <typename Visit>
    static void forEachMatch(const IndexedProfile& profile, const Trigger& trigger,
                             const ModifierSet* modifiers, Visit visit);
    void handlePress(const Trigger& trigger, ModifierSet modifiers);
    void handleRelease(const Trigger& trigger);
    std::shared_ptr<const IndexedProfile> activeProfile();
    bool isCoolingDown(const KeyMapping& mapping, Clock::TimePoint now) const;
    void fire(const std::string& pattern);
    void startHoldTimer(const KeyMapping& mapping);
    void holdTick(const std::string& mappingId, const std::string& pattern, const Trigger& trigger);
    void stopHoldTimer(const std::string& mappingId);
    // Expects `lock_` to be held.
    void stopAllHoldTimers();

    InputMonitor& monitor_;
    HapticTrigger& haptics_;
    Readings readings_;
    Clock& clock_;
    TimerFactory& timers_;
    Logger& logger_;

    std::mutex lock_;  // guards activeProfile_ and holdTimers_
    std::shared_ptr<const IndexedProfile> activeProfile_;
    std::unordered_map<std::string, std::unique_ptr<RepeatingTimer>> holdTimers_;
    // When a press last fired each mapping id; touched on the GUI thread only.
    std::unordered_map<std::string, Clock::TimePoint> lastTriggerTimes_;
};

}  // namespace thrumwise
