#include "media/Sounds.h"

#include <system_error>
#include <thread>
#include <utility>

#include "media/SoundPlayer.h"
#include "media/Tone.h"
#include "platform/SoundTheme.h"

namespace kairos {
namespace {

// MessageBeep's types, as the Windows message-box icon flags.
constexpr unsigned IconHand = 0x10;
constexpr unsigned IconQuestion = 0x20;
constexpr unsigned IconExclamation = 0x30;
constexpr unsigned IconAsterisk = 0x40;

const char* MessageBeepAlias(unsigned value) {
    switch (value) {
    case IconHand: return "SystemHand";
    case IconQuestion: return "SystemQuestion";
    case IconExclamation: return "SystemExclamation";
    case IconAsterisk: return "SystemAsterisk";
    default: return "SystemDefault";
    }
}

bool PlayFileSync(const std::string& fileName) {
    return PlaySoundFile(fileName, SoundWait::Sync);
}

}  // namespace

bool PlaySoundFile(const std::string& fileName, SoundWait wait) {
    return ProcessSoundPlayer().PlayFile(fileName, wait);
}

bool PlaySystemSound(const std::string& alias, SoundWait wait) {
    // Spare the theme search while the answer is already known to be no.
    if (ProcessSoundGate().Busy()) return false;
    const std::string file = platform::EventSoundFile(alias);
    return !file.empty() && ProcessSoundPlayer().PlayFile(file, wait);
}

void SystemBeep(int frequencyHz, int durationMs) {
    if (ProcessSoundGate().Busy()) return;
    if (std::optional<platform::PcmSound> tone = SineTone(frequencyHz, durationMs))
        ProcessSoundPlayer().Play(std::move(*tone), SoundWait::Sync);
}

void MessageBeep(unsigned value) {
    PlaySystemSound(MessageBeepAlias(value), SoundWait::Async);
}

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
