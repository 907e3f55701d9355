#include "media/Media.h"

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
    void Beep(int frequencyHz, int durationMs) override { SystemBeep(frequencyHz, durationMs); }
    std::shared_ptr<RepeatedSound> PlaySoundRepeated(const std::string& fileName, int count) override {
        return kairos::PlaySoundRepeated(fileName, count);
    }
    int ExecuteFile(const std::string& fileName, int showMode) override {
        return kairos::ExecuteFile(fileName, showMode);
    }
};

}  // namespace

Media& SystemMedia() {
    static SystemMediaImpl media;
    return media;
}

}  // namespace kairos
