#include "media/Media.h"

#include <system_error>
#include <thread>

#include "media/Launcher.h"

namespace kairos {
namespace {

class SystemMediaImpl final : public Media {
public:
    bool PlaySoundFile(const std::string& fileName, SoundWait wait) override {
        return kairos::PlaySoundFile(fileName, wait);
    }
    bool PlaySystemSound(const std::string& alias, SoundWait wait) override {
        return kairos::PlaySystemSound(alias, wait);
    }
    // The beep is not refused while a sound plays, so it always lasts its
    // whole length, and the window calls this on its own thread, which must
    // not wait for it. The worker holds nothing but the two numbers.
    void Beep(int frequencyHz, int durationMs) override {
        try {
            std::thread(&SystemBeep, frequencyHz, durationMs).detach();
        } catch (const std::system_error&) {
            // no thread, no beep: a sound that cannot be played is not heard
        }
    }
    std::shared_ptr<RepeatedSound> PlaySoundRepeated(const std::string& fileName, int count) override {
        return kairos::PlaySoundRepeated(fileName, count);
    }
    int ExecuteFile(const std::string& fileName, int showMode) override {
        return kairos::ExecuteFile(fileName, showMode);
    }
    void LaunchFile(const std::string& fileName, int showMode) override {
        kairos::ExecuteFile(fileName, showMode, ExecuteWait::NoWait, std::chrono::milliseconds{0});
    }
};

}  // namespace

Media& SystemMedia() {
    static SystemMediaImpl media;
    return media;
}

}  // namespace kairos
