#include "platform/Process.h"

#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/win32/ArgumentQuoting.h"
#include "platform/win32/WideText.h"
#include "support/TempDir.h"
#include "platform/win32/ChildProgramPath.h"

namespace kairos::platform {
namespace {

using testing::ChildProgram;
using testing::RecordedWords;

struct QuoteCase {
    const char* argument;
    const char* quoted;
};

class Quoting : public ::testing::TestWithParam<QuoteCase> {};

// The expected text, and what the system's own splitter (the rules of the
// C runtime) makes of it again.
TEST_P(Quoting, IsWhatTheRuntimeSplitsBackIntoTheArgument) {
    const QuoteCase& c = GetParam();
    const std::string quoted = QuoteArgument(c.argument);
    EXPECT_EQ(quoted, c.quoted);
    int count = 0;
    wchar_t** words = CommandLineToArgvW(Widen("program " + quoted).c_str(), &count);
    ASSERT_NE(words, nullptr);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(Narrow(words[1]), c.argument);
    LocalFree(words);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Quoting,
    ::testing::Values(QuoteCase{"plain", "plain"}, QuoteCase{"", "\"\""}, QuoteCase{"two words", "\"two words\""},
                      QuoteCase{"tab\there", "\"tab\there\""}, QuoteCase{R"(C:\dir\file)", R"(C:\dir\file)"},
                      QuoteCase{R"(\\server\share\)", R"(\\server\share\)"},
                      QuoteCase{R"(C:\my dir\)", R"("C:\my dir\\")"}, QuoteCase{R"(say "hi")", R"("say \"hi\"")"},
                      QuoteCase{R"(a\"b)", R"("a\\\"b")"}, QuoteCase{R"(a\\"b c)", R"("a\\\\\"b c")"},
                      QuoteCase{R"(\")", R"("\\\"")"}, QuoteCase{"\"", R"("\"")"},
                      QuoteCase{"時計 の 音", "\"時計 の 音\""}));

TEST(CommandLineQuoting, QuotesAProgramNameOnlyForBlanksAndRefusesOneWithAQuote) {
    EXPECT_EQ(QuoteCommandLine({R"(C:\bin\x.exe)", "a b"}), R"(C:\bin\x.exe "a b")");
    EXPECT_EQ(QuoteCommandLine({R"(C:\Program Files\x.exe)"}), R"("C:\Program Files\x.exe")");
    EXPECT_EQ(QuoteCommandLine({"a\"b"}), std::nullopt);
    EXPECT_EQ(QuoteCommandLine({""}), std::nullopt);
    EXPECT_EQ(QuoteCommandLine({}), std::nullopt);
}

class ChildProcessTest : public ::testing::Test {
protected:
    testing::TempDir temp_;
};

TEST_F(ChildProcessTest, ThatCannotStartReportsWhy) {
    const std::string notAProgram = temp_.Write("text.exe", "this is no program");
    struct Case {
        const char* name;
        std::vector<std::string> argv;
        int error;
    };
    const Case cases[] = {
        {"no words", {}, ENOENT},
        {"empty name", {""}, ENOENT},
        {"missing", {Narrow((temp_.Path() / "missing.exe").wstring())}, ENOENT},
        {"not a program", {notAProgram}, ENOEXEC},
        {"quote in the name", {"a\"b.exe"}, EINVAL},
        {"NUL in an argument", {ChildProgram(), std::string("a\0b", 3)}, EINVAL},
    };
    for (const Case& c : cases) {
        const ChildProcess child(c.argv);
        EXPECT_FALSE(child.Started()) << c.name;
        EXPECT_EQ(child.SpawnError(), c.error) << c.name;
        EXPECT_EQ(child.Pid(), -1) << c.name;
    }
}

// Quotes, trailing backslashes, blanks and Japanese text all survive, and
// the program starts in the folder asked for, itself with a Japanese name.
TEST_F(ChildProcessTest, GetsItsArgumentsUnchangedAndStartsInTheFolderAsked) {
    const std::filesystem::path folder = temp_.Path() / PathFromUtf8("作業 フォルダ");
    std::filesystem::create_directory(folder);
    const std::filesystem::path record = temp_.Path() / "record.bin";
    const std::vector<std::string> arguments = {"", "a b", R"(say "hi")", R"(C:\my dir\)", "時計", R"(\\")", "x"};
    std::vector<std::string> argv = {ChildProgram(), "record", Narrow(record.wstring())};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProcess child(argv, SpawnOptions{Narrow(folder.wstring())});
    ASSERT_TRUE(child.Started()) << child.SpawnError();
    EXPECT_GT(child.MainThreadId(), 0);
    child.Wait();
    EXPECT_EQ(child.ExitCode(), 7);
    std::vector<std::string> expected = {Narrow(folder.wstring())};
    expected.insert(expected.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(RecordedWords(record), expected);
}

TEST_F(ChildProcessTest, CommandLineGoesToTheProgramAsItIs) {
    const std::filesystem::path record = temp_.Path() / "record.bin";
    std::string line = "\"";
    line.append(ChildProgram()).append("\" record \"").append(Narrow(record.wstring())).append(R"(" a\\"b c" d)");
    ChildProcess child = ChildProcess::FromCommandLine(line);
    ASSERT_TRUE(child.Started()) << child.SpawnError();
    child.Wait();
    const std::vector<std::string> words = RecordedWords(record);
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[1], "a\\b c");
    EXPECT_EQ(words[2], "d");
    EXPECT_EQ(ChildProcess::FromCommandLine("  ").SpawnError(), ENOENT);
}

TEST_F(ChildProcessTest, ExitCodeIsReportedAsTheProgramGaveIt) {
    for (const int code : {0, 3, 255, 259, 70000}) {
        ChildProcess child({ChildProgram(), "exit", std::to_string(code)});
        ASSERT_TRUE(child.Started());
        EXPECT_EQ(child.WaitFor(std::chrono::seconds(30)), ProcessState::Ended);
        EXPECT_EQ(child.ExitCode(), code);
    }
}

TEST_F(ChildProcessTest, WaitWithATimeOutSeesItRunThenEnd) {
    ChildProcess child({ChildProgram(), "sleep", "1500"});
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.WaitFor(std::chrono::milliseconds(100)), ProcessState::Running);
    EXPECT_EQ(child.ExitCode(), std::nullopt);
    EXPECT_EQ(child.WaitFor(std::chrono::seconds(30)), ProcessState::Ended);
    EXPECT_EQ(child.ExitCode(), 0);
    EXPECT_EQ(child.WaitFor(std::chrono::seconds(30)), ProcessState::Ended);
    ChildProcess moved(std::move(child));
    EXPECT_EQ(moved.ExitCode(), 0);
}

}  // namespace
}  // namespace kairos::platform
