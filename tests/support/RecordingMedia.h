#pragma once
// Sound and launch that only write down what they were asked to do, with
// the simulated moment at which it happened.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "media/Media.h"

namespace kairos::testing {

class RecordingMedia final : public Media {
public:
    struct Event {
        std::string what;  // "file", "system", "beep", "repeat" or "open"
        std::string name;  // file, alias or command; empty for a beep
        int number = 0;    // frequency, repetitions or show mode
        std::string at;    // the moment, as the test renders it
    };

    std::function<std::string()> now = [] { return std::string(); };
    std::vector<Event> events;
    int executeResult = 42;  // what ExecuteFile answers: above 32 opened

    bool PlaySoundFile(const std::string& fileName, SoundWait) override {
        events.push_back({"file", fileName, 0, now()});
        return !fileName.empty();
    }
    bool PlaySystemSound(const std::string& alias, SoundWait) override {
        events.push_back({"system", alias, 0, now()});
        return true;
    }
    void Beep(int frequencyHz, int) override { events.push_back({"beep", "", frequencyHz, now()}); }
    std::shared_ptr<RepeatedSound> PlaySoundRepeated(const std::string& fileName, int count) override {
        events.push_back({"repeat", fileName, count, now()});
        return nullptr;
    }
    int ExecuteFile(const std::string& fileName, int showMode) override {
        events.push_back({"open", fileName, showMode, now()});
        return executeResult;
    }
};

}  // namespace kairos::testing
