#pragma once
// What the dialogs work with, handed in by the clock window; tests hand in
// their own clock, settings file, sound and time server.

#include <functional>
#include <memory>
#include <string>

namespace kairos {

namespace platform {
class Clock;
}
class IniStore;
class Media;
struct SyncOutcome;

struct DialogServices {
    const platform::Clock& clock;
    std::function<std::unique_ptr<IniStore>()> openSettings;
    Media& media;
    // Starts setting the computer's clock from the named time server, asking
    // before a big step; false when a correction is already going. The
    // outcome comes later, on the window thread.
    std::function<bool(const std::string& server, std::function<void(const SyncOutcome&)> done)> startSync;
    std::string alarmFile;
};

}  // namespace kairos
