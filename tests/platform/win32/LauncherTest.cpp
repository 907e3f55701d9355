// The launcher on Windows: ShellExecuteEx for opening, CreateProcess for
// command lines, with the numbers the callers see.

#include "media/Launcher.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>

#include "platform/win32/ChildProgramPath.h"
#include "platform/win32/WideText.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

using platform::Narrow;
using testing::ChildProgram;
using testing::RecordedWords;

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "..." + string.
std::string Quoted(const std::string& text) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
}

class WindowsLauncher : public ::testing::Test {
protected:
    // The test program under a Japanese name in a folder with a blank.
    std::string JapaneseCopy() {
        const std::filesystem::path folder = temp_.Path() / platform::PathFromUtf8("試験 用");
        std::filesystem::create_directory(folder);
        const std::filesystem::path copy = folder / platform::PathFromUtf8("時計の子.exe");
        std::filesystem::copy_file(testing::ChildProgramFile(), copy);
        return Narrow(copy.wstring());
    }
    std::string RecordFile() const { return Narrow((temp_.Path() / L"record.bin").wstring()); }

    testing::TempDir temp_;
};

TEST_F(WindowsLauncher, OpensAProgramAndReportsWhatCannotBeOpened) {
    EXPECT_GT(ExecuteFile(ChildProgram(), kShowNormally), 32);
    EXPECT_GT(ExecuteFile(JapaneseCopy(), kShowNormally), 32);
    EXPECT_EQ(ExecuteFile(Narrow((temp_.Path() / L"missing.exe").wstring()), kShowNormally), ExecuteFileNotFound);
    // The whole text is the file's name: arguments make it another file.
    EXPECT_LE(ExecuteFile(ChildProgram() + " exit 0", kShowNormally), 32);
    EXPECT_EQ(ExecuteFile("", kShowNormally), ExecuteFileNotFound);
}

TEST_F(WindowsLauncher, WaitingForTheEndOfAProgramFile) {
    EXPECT_EQ(ExecuteFile(JapaneseCopy(), kShowNormally, ExecuteWait::UntilEnded), 1);
    EXPECT_EQ(ExecuteFile(Narrow((temp_.Path() / L"missing.exe").wstring()), kShowNormally, ExecuteWait::UntilEnded), 0);
}

// A quoted Japanese program path with arguments, waited for in each mode
// that returns only after the program has started.
TEST_F(WindowsLauncher, RunsACommandLineWithArgumentsAndWaitsAsAsked) {
    const std::string program = Quoted(JapaneseCopy());
    std::string params = "record ";
    params.append(Quoted(RecordFile())).append(" \"一 二\" 三");
    for (const RunWait mode : {RunWait::Ended, RunWait::Poll}) {
        std::filesystem::remove(temp_.Path() / L"record.bin");
        int calls = 0;
        const RunProgress count = [&](const std::string& line, std::uint32_t, const StartedProcess& process, bool&) {
            EXPECT_EQ(line, program + ' ' + params);
            EXPECT_GT(process.ProcessId, 0);
            EXPECT_GT(process.ThreadId, 0);
            ++calls;
        };
        ASSERT_TRUE(RunProcess(program, params, kShowNormally, count, mode));
        const std::vector<std::string> words = RecordedWords(temp_.Path() / L"record.bin");
        ASSERT_EQ(words.size(), 3u);
        EXPECT_EQ(words[1], "一 二");
        EXPECT_EQ(words[2], "三");
        EXPECT_EQ(calls, mode == RunWait::Poll ? 1 : 0);
    }
    EXPECT_FALSE(RunProcess(Quoted(Narrow((temp_.Path() / L"missing.exe").wstring())), "", kShowNormally, nullptr,
                            RunWait::Ended));
}

// A program without a window is never "waiting for input": the wait ends
// at once rather than with the program.
TEST_F(WindowsLauncher, InputIdleDoesNotWaitForAProgramWithoutAWindow) {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunProcess(Quoted(ChildProgram()), "sleep 3000", kShowNormally, nullptr, RunWait::InputIdle));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
}

}  // namespace
}  // namespace kairos
