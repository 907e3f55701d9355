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
class TMemIniFileEx;
class Media;

struct DialogServices {
    const platform::Clock& clock;
    std::function<std::unique_ptr<TMemIniFileEx>()> openSettings;
    Media& media;
    // Sets the computer's clock from the named time server; true on success.
    std::function<bool(const std::string& host)> syncClock;
    std::string alarmFile;
};

}  // namespace kairos
