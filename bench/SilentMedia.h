#pragma once
// Media for the benchmark programs: a tick must not pay for sounds or
// programs it would never play or start there.

#include <memory>
#include <string>

#include "media/Media.h"

namespace kairos::bench {

class SilentMedia final : public Media {
public:
    bool PlaySoundFile(const std::string&, SoundWait) override { return true; }
    bool PlaySystemSound(const std::string&, SoundWait) override { return true; }
    void Beep(int, int) override {}
    std::shared_ptr<RepeatedSound> PlaySoundRepeated(const std::string&, int) override { return nullptr; }
    int ExecuteFile(const std::string&, int) override { return 0; }
};

}  // namespace kairos::bench
