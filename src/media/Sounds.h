#pragma once
// Every sound of the program: WAV files, system event sounds, the beep and
// the repeated chime. No call reports a failure to the user: a sound that
// cannot be played is simply not heard.
//
// No-interrupt rule: while any sound of this process plays, a new play fails
// at once and returns false; a sound is never cut off by another.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace kairos {

enum class SoundWait { Async, Sync };

// A WAV file once. Async returns once the sound has started, Sync when it
// has ended. No default sound: an empty name, a missing or unreadable file,
// a busy or missing output give false and silence.
bool PlaySoundFile(const std::string& fileName, SoundWait wait);

// A system event sound by alias ("Minimize", "RestoreUp", "SystemAsterisk",
// "SystemExclamation", "SystemHand", "SystemQuestion", ...), from the
// freedesktop sound theme. An alias the theme has no sound for: false.
bool PlaySystemSound(const std::string& alias, SoundWait wait);

// The system beep: a sine tone of that frequency (37 to 20000 Hz) and length
// (up to 60 s); returns when it is over. Follows the no-interrupt rule.
void SystemBeep(int frequencyHz, int durationMs);

// The sound of a message-box type, asynchronously: 0x30 warning, 0x10 error,
// 0x40 information, 0x20 question, anything else the default sound.
void MessageBeep(unsigned value);

// Plays a file Count times one after the other, synchronously, on its own
// worker. A play that fails (missing file, another sound still playing)
// returns at once and still counts.
//
// The worker is detached and shares ownership of this object with whoever
// holds the handle, so dropping the handle neither stops the worker nor
// leaves it without its data. A process that ends while a worker plays cuts
// its sound off; nothing of the worker outlives the process's own exit.
class RepeatedSound {
public:
    using PlaySync = std::function<bool(const std::string& fileName)>;

    // An empty play means PlaySoundFile(…, Sync).
    static std::shared_ptr<RepeatedSound> Start(std::string fileName, int count, PlaySync play);

    // A stop request, safe at any time, also after the worker ended; it takes
    // effect between two plays, so the sound in progress is heard to its end.
    void Terminate();
    bool Finished() const;
    // Blocks until the worker has ended (tests, orderly shutdown).
    void WaitFor();

    int Count() const { return count_; }
    const std::string& FileName() const { return fileName_; }

private:
    struct Passkey {};

public:
    RepeatedSound(Passkey, std::string fileName, int count, PlaySync play);

private:
    void Execute();
    void MarkFinished();

    const std::string fileName_;
    const int count_;
    const PlaySync play_;
    std::atomic<bool> terminated_{false};
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    bool finished_ = false;
};

std::shared_ptr<RepeatedSound> PlaySoundRepeated(const std::string& fileName, int count);

}  // namespace kairos
