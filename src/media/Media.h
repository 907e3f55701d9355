#pragma once
// What the clock window plays and opens, behind one interface so that the
// alarm and chime logic can be run against a recorder in simulated time.

#include <memory>
#include <string>

#include "media/RepeatedSound.h"
#include "media/Sounds.h"

namespace kairos {

class Media {
public:
    virtual ~Media() = default;
    virtual bool PlaySoundFile(const std::string& fileName, SoundWait wait) = 0;
    virtual bool PlaySystemSound(const std::string& alias, SoundWait wait) = 0;
    // Returns at once; the beep sounds over whatever else plays.
    virtual void Beep(int frequencyHz, int durationMs) = 0;
    virtual std::shared_ptr<RepeatedSound> PlaySoundRepeated(const std::string& fileName, int count) = 0;
    virtual int ExecuteFile(const std::string& fileName, int showMode) = 0;
    // Opens or starts it for a caller that tells nobody of a failure, and
    // returns at once: waiting for the desktop's verdict would hold up the
    // clock, and an alarm's command must not stop the seconds.
    virtual void LaunchFile(const std::string& fileName, int showMode) { ExecuteFile(fileName, showMode); }
};

// The real sound output and program launch.
Media& SystemMedia();

}  // namespace kairos
