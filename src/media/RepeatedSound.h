#pragma once
// The hour-count chime: one file played a number of times on a worker.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace kairos {

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
