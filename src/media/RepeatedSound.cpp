#include "media/RepeatedSound.h"

#include <system_error>
#include <thread>
#include <utility>

#include "media/Sounds.h"

namespace kairos {
namespace {

bool PlayFileSync(const std::string& fileName) {
    return PlaySoundFile(fileName, SoundWait::Sync);
}

}  // namespace

RepeatedSound::RepeatedSound(Passkey, std::string fileName, int count, PlaySync play)
    : fileName_(std::move(fileName)), count_(count), play_(play ? std::move(play) : PlaySync(&PlayFileSync)) {}

std::shared_ptr<RepeatedSound> RepeatedSound::Start(std::string fileName, int count, PlaySync play) {
    auto thread = std::make_shared<RepeatedSound>(Passkey{}, std::move(fileName), count, std::move(play));
    try {
        std::thread([thread] { thread->Execute(); }).detach();
    } catch (const std::system_error&) {
        thread->MarkFinished();  // no worker, no plays: as if it had ended at once
    }
    return thread;
}

void RepeatedSound::Execute() {
    for (int played = 0; played < count_; ++played) {
        if (terminated_.load(std::memory_order_acquire)) break;
        play_(fileName_);
    }
    MarkFinished();
}

void RepeatedSound::MarkFinished() {
    const std::lock_guard lock(mutex_);
    finished_ = true;
    ended_.notify_all();
}

void RepeatedSound::Terminate() {
    terminated_.store(true, std::memory_order_release);
}

bool RepeatedSound::Finished() const {
    const std::lock_guard lock(mutex_);
    return finished_;
}

void RepeatedSound::WaitFor() {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return finished_; });
}

std::shared_ptr<RepeatedSound> PlaySoundRepeated(const std::string& fileName, int count) {
    return RepeatedSound::Start(fileName, count, &PlayFileSync);
}

}  // namespace kairos
