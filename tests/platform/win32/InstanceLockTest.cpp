// The instance lock between processes: a helper program beside this one
// takes it, and this process sees it held until the helper ends, however.

#include "platform/InstanceLock.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/Folders.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace kairos::platform {
namespace {

constexpr DWORD EndTimeoutMs = 10000;

// The helper with its input and output on pipes of ours.
class Holder {
public:
    explicit Holder(const std::string& lockName) {
        SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE inputRead = nullptr, inputWrite = nullptr, outputRead = nullptr, outputWrite = nullptr;
        if (!CreatePipe(&inputRead, &inputWrite, &inheritable, 0)) return;
        const UniqueHandle childInput(inputRead);
        input_ = UniqueHandle(inputWrite);
        if (!CreatePipe(&outputRead, &outputWrite, &inheritable, 0)) return;
        const UniqueHandle childOutput(outputWrite);
        output_ = UniqueHandle(outputRead);
        SetHandleInformation(input_.Get(), HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(output_.Get(), HANDLE_FLAG_INHERIT, 0);

        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput.Get();
        startup.hStdOutput = childOutput.Get();
        startup.hStdError = childOutput.Get();
        std::wstring commandLine =
            L"\"" + Widen(ExecutableFolder()) + L"\\instance_lock_holder.exe\" \"" + Widen(lockName) + L"\"";
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                            &started))
            return;
        process_ = UniqueHandle(started.hProcess);
        CloseHandle(started.hThread);
    }

    // The outcome line the helper wrote, once it has the lock or not.
    std::string Outcome() {
        std::string line;
        char c = 0;
        DWORD got = 0;
        while (ReadFile(output_.Get(), &c, 1, &got, nullptr) && got == 1 && c != '\n')
            if (c != '\r') line += c;
        return line;
    }

    bool EndByClosingInput() {
        input_.Reset();
        return WaitForSingleObject(process_.Get(), EndTimeoutMs) == WAIT_OBJECT_0;
    }

    bool Kill() {
        return TerminateProcess(process_.Get(), 9) && WaitForSingleObject(process_.Get(), EndTimeoutMs) == WAIT_OBJECT_0;
    }

    ~Holder() {
        if (process_.IsOpen()) Kill();
    }

private:
    UniqueHandle input_;
    UniqueHandle output_;
    UniqueHandle process_;
};

std::string UniqueName(const char* what) {
    return std::string("Aoba ") + what + ' ' + std::to_string(GetCurrentProcessId()) + " MutexObject";
}

enum class HolderEnd { Exits, IsKilled };

class LockAcrossProcesses : public ::testing::TestWithParam<HolderEnd> {};

TEST_P(LockAcrossProcesses, IsHeldUntilTheHolderEnds) {
    const std::string name = UniqueName(GetParam() == HolderEnd::Exits ? "Exits" : "Killed");
    Holder holder(name);
    ASSERT_EQ(holder.Outcome(), "acquired");
    EXPECT_EQ(InstanceLock(name).Outcome(), LockOutcome::HeldElsewhere);
    EXPECT_EQ(InstanceLock(name + "2").Outcome(), LockOutcome::Acquired);
    ASSERT_TRUE(GetParam() == HolderEnd::Exits ? holder.EndByClosingInput() : holder.Kill());
    EXPECT_EQ(InstanceLock(name).Outcome(), LockOutcome::Acquired);
}

INSTANTIATE_TEST_SUITE_P(Ends, LockAcrossProcesses, ::testing::Values(HolderEnd::Exits, HolderEnd::IsKilled));

TEST(InstanceLock, HeldHereIsHeldForAnotherProcessAndMovesWithTheObject) {
    const std::string name = UniqueName("Here");
    InstanceLock mine(name);
    ASSERT_EQ(mine.Outcome(), LockOutcome::Acquired);
    InstanceLock moved(std::move(mine));
    Holder second(name);
    EXPECT_EQ(second.Outcome(), "held");
    moved = InstanceLock(UniqueName("Other"));
    Holder third(name);
    EXPECT_EQ(third.Outcome(), "acquired");
    EXPECT_EQ(InstanceLockPath(name), name);
}

}  // namespace
}  // namespace kairos::platform
