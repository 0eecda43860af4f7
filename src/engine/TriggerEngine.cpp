#include "engine/TriggerEngine.h"

#include "common/Logger.h"
#include "common/RepeatingTimer.h"
#include "haptics/HapticTrigger.h"
#include "input/InputMonitor.h"

#include <algorithm>
#include <chrono>

namespace thrumwise {

namespace {

constexpr std::chrono::milliseconds kShortestHoldRepeat{50};

std::chrono::milliseconds holdRepeatInterval(const KeyMapping& mapping) {
    return std::max(std::chrono::milliseconds(mapping.holdRepeatIntervalMs), kShortestHoldRepeat);
}

}  // namespace

struct TriggerEngine::IndexedProfile {
    struct Entry {
        const KeyMapping* mapping;
        ModifierSet required;  // duplicates count once, order does not matter
    };

    // The index points into `profile`, so the whole may not be copied or moved.
    IndexedProfile(const IndexedProfile&) = delete;
    IndexedProfile& operator=(const IndexedProfile&) = delete;

    explicit IndexedProfile(GameProfile source) : profile(std::move(source)) {
        for (const KeyMapping& mapping : profile.mappings) {
            const Entry entry{&mapping, mapping.requiredModifierSet()};
            if (mapping.triggerType == TriggerType::keyboard && mapping.keyCode) {
                byKey[*mapping.keyCode].push_back(entry);
            } else if (mapping.triggerType == TriggerType::mouse && mapping.mouseButton) {
                byButton.at(static_cast<std::size_t>(*mapping.mouseButton)).push_back(entry);
            }
        }
    }

    const std::vector<Entry>* entries(const Trigger& trigger) const {
        if (trigger.button) {
            return &byButton.at(static_cast<std::size_t>(*trigger.button));
        }
        const auto found = byKey.find(*trigger.keyCode);
        return found == byKey.end() ? nullptr : &found->second;
    }

    GameProfile profile;
    std::unordered_map<std::uint16_t, std::vector<Entry>> byKey;
    std::array<std::vector<Entry>, 2> byButton;
};

TriggerEngine::TriggerEngine(InputMonitor& monitor, HapticTrigger& haptics, Readings readings,
                             Clock& clock, TimerFactory& timers, Logger& logger)
    : monitor_(monitor),
      haptics_(haptics),
      readings_(std::move(readings)),
      clock_(clock),
      timers_(timers),
      logger_(logger) {
    monitor_.addListener(*this);
}

TriggerEngine::~TriggerEngine() {
    monitor_.removeListener(*this);
}

void TriggerEngine::keyDown(std::uint16_t keyCode, std::optional<std::string_view> /*keyName*/,
                            ModifierSet modifiers) {
    handleKeyEvent(keyCode, true, modifiers);
}

void TriggerEngine::keyUp(std::uint16_t keyCode, std::optional<std::string_view> /*keyName*/,
                          ModifierSet modifiers) {
    handleKeyEvent(keyCode, false, modifiers);
}

void TriggerEngine::mouseDown(MouseButton button, ModifierSet modifiers) {
    handleMouseEvent(button, true, modifiers);
}

void TriggerEngine::mouseUp(MouseButton button, ModifierSet modifiers) {
    handleMouseEvent(button, false, modifiers);
}

void TriggerEngine::handleKeyEvent(std::uint16_t keyCode, bool isDown, ModifierSet modifiers) {
    const Trigger trigger{keyCode, std::nullopt};
    if (isDown) {
        handlePress(trigger, modifiers);
    } else {
        handleRelease(trigger);
    }
}

void TriggerEngine::handleMouseEvent(MouseButton button, bool isDown, ModifierSet modifiers) {
    const Trigger trigger{std::nullopt, button};
    if (isDown) {
        handlePress(trigger, modifiers);
    } else {
        handleRelease(trigger);
    }
}

void TriggerEngine::setActiveProfile(std::optional<GameProfile> profile) {
    std::shared_ptr<const IndexedProfile> indexed;
    if (profile) {
        indexed = std::make_shared<const IndexedProfile>(*std::move(profile));
    }
    const std::scoped_lock guard(lock_);
    activeProfile_ = std::move(indexed);
    lastTriggerTimes_.clear();
    stopAllHoldTimers();
}

std::shared_ptr<const TriggerEngine::IndexedProfile> TriggerEngine::activeProfile() {
    const std::scoped_lock guard(lock_);
    return activeProfile_;
}

// Modifiers are checked for presses only (`modifiers` set); releases match by trigger alone.
template <typename Visit>
void TriggerEngine::forEachMatch(const IndexedProfile& profile, const Trigger& trigger,
                                 const ModifierSet* modifiers, Visit visit) {
    if (const auto* entries = profile.entries(trigger)) {
        for (const auto& entry : *entries) {
            if (modifiers == nullptr || entry.required.isSubsetOf(*modifiers)) {
                visit(*entry.mapping);
            }
        }
    }
}

void TriggerEngine::handlePress(const Trigger& trigger, ModifierSet modifiers) {
    // Only mouse presses explain why nothing fired; key presses stay silent.
    const bool isMouse = trigger.button.has_value();
    if (!readings_.isEnabled()) {
        if (isMouse) {
            logger_.log("[TriggerEngine] blocked: isEnabled=false");
        }
        return;
    }
    const auto profile = activeProfile();
    if (!profile) {
        if (isMouse) {
            logger_.log("[TriggerEngine] blocked: no active profile");
        }
        return;
    }
    bool matched = false;
    forEachMatch(*profile, trigger, &modifiers, [&](const KeyMapping& mapping) {
        matched = true;
        const auto now = clock_.now();
        if (isCoolingDown(mapping, now)) {
            return;
        }
        fire(mapping.hapticPattern);
        lastTriggerTimes_[mapping.id] = now;
        if (mapping.triggerOnHold) {
            startHoldTimer(mapping);
        }
    });
    if (!matched && isMouse) {
        logger_.log("[TriggerEngine] no mapping for " + std::string(rawValue(*trigger.button)) +
                    " in profile '" + profile->profile.displayName + "'");
    }
}

void TriggerEngine::handleRelease(const Trigger& trigger) {
    if (!readings_.isEnabled()) {
        return;
    }
    const auto profile = activeProfile();
    if (!profile) {
        return;
    }
    forEachMatch(*profile, trigger, nullptr,
                 [this](const KeyMapping& mapping) { stopHoldTimer(mapping.id); });
}

// Elapsed time equal to the cooldown fires.
bool TriggerEngine::isCoolingDown(const KeyMapping& mapping, Clock::TimePoint now) const {
    const auto last = lastTriggerTimes_.find(mapping.id);
    if (last == lastTriggerTimes_.end()) {
        return false;
    }
    const double elapsedMs = std::chrono::duration<double, std::milli>(now - last->second).count();
    return elapsedMs < static_cast<double>(mapping.cooldownMs);
}

void TriggerEngine::fire(const std::string& pattern) {
    logger_.log("[TriggerEngine] firing " + pattern);
    haptics_.trigger(pattern, [this, pattern](bool accepted) {
        if (!accepted) {
            logger_.log("[TriggerEngine] HTTP failed for " + pattern + " — plugin connected=" +
                        (readings_.isPluginConnected() ? "true" : "false"));
        }
    });
}

// The first repeat comes one interval after the press, which has already fired once.
void TriggerEngine::startHoldTimer(const KeyMapping& mapping) {
    stopHoldTimer(mapping.id);
    const Trigger trigger{
        mapping.triggerType == TriggerType::keyboard ? mapping.keyCode : std::nullopt,
        mapping.triggerType == TriggerType::mouse ? mapping.mouseButton : std::nullopt};
    auto timer = timers_.startRepeating(holdRepeatInterval(mapping),
                                        [this, id = mapping.id, pattern = mapping.hapticPattern,
                                         trigger] { holdTick(id, pattern, trigger); });
    const std::scoped_lock guard(lock_);
    holdTimers_[mapping.id] = std::move(timer);
}

// A repeat lasts while the trigger is physically held, whatever the master
// switch, and ends at the first tick after the release.
void TriggerEngine::holdTick(const std::string& mappingId, const std::string& pattern,
                             const Trigger& trigger) {
    bool held = false;
    if (trigger.keyCode) {
        held = monitor_.isKeyHeld(*trigger.keyCode);
    } else if (trigger.button) {
        held = monitor_.isMouseButtonHeld(*trigger.button);
    }
    if (held) {
        fire(pattern);
    } else {
        stopHoldTimer(mappingId);
    }
}

void TriggerEngine::stopHoldTimer(const std::string& mappingId) {
    std::unique_ptr<RepeatingTimer> stopped;
    {
        const std::scoped_lock guard(lock_);
        const auto found = holdTimers_.find(mappingId);
        if (found == holdTimers_.end()) {
            return;
        }
        stopped = std::move(found->second);
        holdTimers_.erase(found);
    }
}

void TriggerEngine::stopAllHoldTimers() {
    holdTimers_.clear();
}

}  // namespace thrumwise
