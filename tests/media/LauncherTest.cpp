#include "media/Launcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/ChildScripts.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

using testing::AllChildrenReaped;
using testing::Eventually;
using testing::Exists;
using testing::HasChildren;
using testing::ReadLines;
using testing::Touch;
using testing::WaitForFile;
using testing::WriteScript;
using Lines = std::vector<std::string>;

// The tools the scripts use; PATH itself holds only the private bin folder.
constexpr std::string_view Tools = "PATH=/usr/bin:/bin\n";

// Programs and documents in a private folder, and a fake xdg-open alone on
// PATH that only writes down what it was given: no test reaches the desktop,
// whether or not the machine has xdg-utils.
class Launch : public ::testing::Test {
protected:
    Launch() {
        std::filesystem::create_directory(Bin());
        std::filesystem::create_directory(In("folder"));
        std::filesystem::create_directory(In("sub dir"));
        FakeOpener("exit 0\n");
        Script(Bin() + "/kairos-fake-program", "touch '" + Done() + "'\n");
        Script(In("run.sh"), "touch '" + Done() + "'\n");
        Script(In("blocked.sh"), WaitForFile(Go()) + "touch '" + Done() + "'\n");
        Script(In("slow.sh"), "sleep 0.3\ntouch '" + Done() + "'\nexit 7\n");
        std::filesystem::copy_file(In("slow.sh"), In("sub dir/slow me.sh"));
        Script(In("rec.sh"), testing::RecordArguments(Recorded()));
        Script(In("sub dir/rec.sh"), testing::RecordArguments(Recorded()));
        Touch(In("doc.txt"));
        std::ofstream(In("plain")) << "text with the execute bit\n";
        std::filesystem::permissions(In("plain"), std::filesystem::perms::owner_all);
        env_.Set("PATH", Bin());
    }

    static void Script(const std::string& path, std::string_view body) {
        WriteScript(path, std::string(Tools) + std::string(body));
    }
    // The fake xdg-open writes down its arguments, then does the rest.
    void FakeOpener(std::string_view rest) const {
        Script(Bin() + "/xdg-open", testing::RecordArguments(Opened()) + std::string(rest));
    }

    void TearDown() override {
        SetMessagePump({});
        Touch(Go());  // releases a script still waiting
        EXPECT_TRUE(AllChildrenReaped());
    }

    std::string In(std::string_view name) const { return dir_.File(name); }
    std::string Bin() const { return In("bin"); }
    std::string Opened() const { return In("opened"); }      // written by the fake xdg-open
    std::string Recorded() const { return In("recorded"); }  // written by rec.sh
    std::string Done() const { return In("done"); }
    std::string Go() const { return In("go"); }

    // "{dir}" stands for the private folder.
    std::string Expand(std::string_view text) const {
        std::string expanded(text);
        for (std::size_t at; (at = expanded.find("{dir}")) != std::string::npos;)
            expanded.replace(at, 5, dir_.Path().string());
        return expanded;
    }

    testing::TempDir dir_;
    testing::ScopedEnvironment env_;
};

enum class Outcome {
    Opened,    // handed to xdg-open, as one argument
    Ran,       // started directly
    NotFound,  // nothing started at all
};

struct OpenCase {
    const char* name;
    std::string_view fileName;
    int showCmd;
    Outcome outcome;
    friend void PrintTo(const OpenCase& c, std::ostream* out) { *out << c.name; }
};

class Open : public Launch, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(Open, GoesWhereADoubleClickWould) {
    const std::string fileName = Expand(GetParam().fileName);
    const int result = ExecuteFile(fileName, GetParam().showCmd);
    switch (GetParam().outcome) {
        case Outcome::Opened:
            EXPECT_GT(result, 32);
            ASSERT_TRUE(Eventually([&] { return Exists(Opened()); }));
            EXPECT_EQ(ReadLines(Opened()), (Lines{"1", fileName}));
            break;
        case Outcome::Ran:
            EXPECT_GT(result, 32);
            EXPECT_TRUE(Eventually([&] { return Exists(Done()); }));
            break;
        case Outcome::NotFound:
            EXPECT_EQ(result, ExecuteFileNotFound);
            EXPECT_FALSE(HasChildren());
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Targets, Open,
    ::testing::Values(OpenCase{"document", "{dir}/doc.txt", 5, Outcome::Opened},
                      OpenCase{"folder", "{dir}/folder", 1, Outcome::Opened},
                      OpenCase{"web address", "https://example.invalid/a b?c=d#e", 5, Outcome::Opened},
                      OpenCase{"mail address", "mailto:someone@example.invalid", 0, Outcome::Opened},
                      OpenCase{"marked executable, not a program", "{dir}/plain", 5, Outcome::Opened},
                      OpenCase{"program", "{dir}/run.sh", 5, Outcome::Ran},
                      OpenCase{"program on PATH", "kairos-fake-program", 7, Outcome::Ran},
                      OpenCase{"missing", "{dir}/missing.txt", 5, Outcome::NotFound},
                      OpenCase{"document with an argument", "{dir}/doc.txt --flag", 5, Outcome::NotFound},
                      OpenCase{"program with an argument", "{dir}/run.sh x", 5, Outcome::NotFound},
                      OpenCase{"name on no PATH", "kairos-no-such-program", 5, Outcome::NotFound},
                      OpenCase{"empty", "", 5, Outcome::NotFound},
                      OpenCase{"NUL inside", std::string_view("{dir}/doc.txt\0x", 15), 5, Outcome::NotFound}));

// A bare name that is a file of the current folder is that file, not a
// program of the same name on PATH.
TEST_F(Launch, BareNamesMeanFilesOfTheCurrentFolderFirst) {
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    Script(In("kairos-fake-program"), "touch '" + In("local") + "'\n");
    Touch(In("-dash.txt"));  // not to be taken for an option of xdg-open
    const int program = ExecuteFile("kairos-fake-program", 5);
    const int document = ExecuteFile("-dash.txt", 5);
    std::filesystem::current_path(saved);

    EXPECT_GT(program, 32);
    EXPECT_GT(document, 32);
    EXPECT_TRUE(Eventually([&] { return Exists(In("local")); }));
    ASSERT_TRUE(Eventually([&] { return Exists(Opened()); }));
    EXPECT_EQ(ReadLines(Opened()), (Lines{"1", "./-dash.txt"}));
    EXPECT_FALSE(Exists(Done()));
}

// What xdg-open answers, within the wait, is the result; xdg-open missing
// from PATH is no association.
struct OpenerCase {
    const char* name;
    std::optional<std::string_view> opener;  // what the fake does after recording; none: no xdg-open
    bool keepsRunning;                       // past the wait, until the test lets it go
    int result;
    friend void PrintTo(const OpenerCase& c, std::ostream* out) { *out << c.name; }
};

class Opener : public Launch, public ::testing::WithParamInterface<OpenerCase> {};

TEST_P(Opener, IsWaitedForBrieflyAndItsExitStatusReported) {
    const OpenerCase& c = GetParam();
    if (!c.opener) std::filesystem::remove(Bin() + "/xdg-open");
    else if (c.keepsRunning) FakeOpener(WaitForFile(Go()) + std::string(*c.opener));
    else FakeOpener(*c.opener);
    // Short for the opener that keeps running; long enough for the others
    // to end on a busy machine.
    const auto wait = c.keepsRunning ? std::chrono::milliseconds(50) : testing::PatientWait;

    for (const std::string& target : {In("doc.txt"), std::string("https://example.invalid/a")}) {
        SCOPED_TRACE(target);
        std::filesystem::remove(Opened());
        EXPECT_EQ(ExecuteFile(target, 5, ExecuteWait::NoWait, wait), c.result);
        if (c.opener) {
            ASSERT_TRUE(Eventually([&] { return Exists(Opened()); }));
            EXPECT_EQ(ReadLines(Opened()), (Lines{"1", target}));
        }
        EXPECT_EQ(HasChildren(), c.keepsRunning);  // ended ones are reaped, the running one in the background
    }
}

INSTANTIATE_TEST_SUITE_P(
    ExitStatuses, Opener,
    ::testing::Values(OpenerCase{"opened", "exit 0\n", false, ExecuteSucceeded},
                      OpenerCase{"no method available", "exit 3\n", false, ExecuteNoAssociation},
                      OpenerCase{"the method failed", "exit 4\n", false, ExecuteNoAssociation},
                      OpenerCase{"syntax error", "exit 1\n", false, ExecuteNoAssociation},
                      OpenerCase{"file missing", "exit 2\n", false, ExecuteFileNotFound},
                      OpenerCase{"no permission", "exit 5\n", false, ExecuteAccessDenied},
                      OpenerCase{"killed", "kill -KILL $$\n", false, ExecuteNoAssociation},
                      // a failure after the wait comes too late to count
                      OpenerCase{"still running", "exit 3\n", true, ExecuteSucceeded},
                      OpenerCase{"none on PATH", std::nullopt, false, ExecuteNoAssociation}),
    [](const ::testing::TestParamInfo<OpenerCase>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

struct WaitedCase {
    std::string_view fileName;
    int result;
    friend void PrintTo(const WaitedCase& c, std::ostream* out) { *out << '[' << c.fileName << ']'; }
};

class OpenAndWait : public Launch, public ::testing::WithParamInterface<WaitedCase> {};

TEST_P(OpenAndWait, ReturnsOnlyAfterTheEnd) {
    EXPECT_EQ(ExecuteFile(Expand(GetParam().fileName), 5, ExecuteWait::UntilEnded), GetParam().result);
    EXPECT_EQ(Exists(Done()), GetParam().result == 1);
    EXPECT_FALSE(HasChildren());
}

INSTANTIATE_TEST_SUITE_P(Files, OpenAndWait,
                         ::testing::Values(WaitedCase{"{dir}/slow.sh", 1},  // whatever its exit status
                                           WaitedCase{"{dir}/sub dir/slow me.sh", 1},  // one file, blank or not
                                           WaitedCase{"{dir}/missing", 0}, WaitedCase{"{dir}/doc.txt", 0},
                                           WaitedCase{"{dir}/slow.sh x", 0}, WaitedCase{"", 0},
                                           WaitedCase{std::string_view("{dir}/slow.sh\0x", 15), 0}));

struct CommandCase {
    std::string_view fileName;
    std::string_view params;
    std::optional<Lines> arguments;  // none: RunProcess fails
    friend void PrintTo(const CommandCase& c, std::ostream* out) { *out << '[' << c.fileName << "] [" << c.params << ']'; }
};

class Command : public Launch, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(Command, IsSplitAsAShellWouldAndRunsAlone) {
    const bool started = RunProcess(Expand(GetParam().fileName), std::string(GetParam().params), 5, nullptr, RunWait::Ended);
    EXPECT_EQ(started, GetParam().arguments.has_value());
    if (GetParam().arguments) {
        EXPECT_EQ(ReadLines(Recorded()), *GetParam().arguments);
    } else {
        EXPECT_FALSE(Exists(Recorded()));
    }
    EXPECT_FALSE(HasChildren());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, Command,
    ::testing::Values(CommandCase{"{dir}/rec.sh", "", Lines{"0"}}, CommandCase{"{dir}/rec.sh", "x", Lines{"1", "x"}},
                      CommandCase{"{dir}/rec.sh x", "", Lines{"1", "x"}},
                      CommandCase{"{dir}/rec.sh", "'a  b' c\\ d \"\" $HOME *", Lines{"5", "a  b", "c d", "", "$HOME", "*"}},
                      CommandCase{"'{dir}/sub dir/rec.sh'", "x", Lines{"1", "x"}},
                      CommandCase{"{dir}/sub dir/rec.sh", "x", std::nullopt},
                      CommandCase{"{dir}/rec.sh", "'open", std::nullopt}, CommandCase{"", "", std::nullopt},
                      CommandCase{" \t", "", std::nullopt}, CommandCase{"kairos-no-such-program", "", std::nullopt},
                      CommandCase{"{dir}/doc.txt", "", std::nullopt}));

// Each wait mode, and a command line that cannot start in each.
class Mode : public Launch, public ::testing::WithParamInterface<RunWait> {};

TEST_P(Mode, NeverStartsWhatCannotStartAndNeverCallsBack) {
    int calls = 0;
    const RunProgress count = [&](const std::string&, std::uint32_t, const StartedProcess&, bool&) { ++calls; };
    EXPECT_FALSE(RunProcess("kairos-no-such-program", "", 5, count, GetParam()));
    EXPECT_FALSE(RunProcess(In("rec.sh"), "\"open", 5, count, GetParam()));
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(HasChildren());
}

INSTANTIATE_TEST_SUITE_P(All, Mode,
                         ::testing::Values(RunWait::Immediately, RunWait::InputIdle, RunWait::Ended, RunWait::Poll,
                                           static_cast<RunWait>(9)));

class ImmediateMode : public Launch, public ::testing::WithParamInterface<RunWait> {};

TEST_P(ImmediateMode, ReturnsWhileTheProgramRunsAndReapsItLater) {
    EXPECT_TRUE(RunProcess(In("blocked.sh"), "", 5, nullptr, GetParam()));
    EXPECT_FALSE(Exists(Done()));
    EXPECT_TRUE(HasChildren());
    Touch(Go());
    EXPECT_TRUE(Eventually([&] { return Exists(Done()); }));
}

INSTANTIATE_TEST_SUITE_P(NoWait, ImmediateMode,
                         ::testing::Values(RunWait::Immediately, RunWait::InputIdle, static_cast<RunWait>(4),
                                           static_cast<RunWait>(-1)));

struct ProgressCall {
    std::string commandLine;
    std::uint32_t elapsed;
    int processId;
    int threadId;
    bool abortOnEntry;
    bool ended;
};

TEST_F(Launch, PollingReportsAboutEverySecondAndOnceAfterTheEnd) {
    Script(In("second.sh"), "sleep 1.5\ntouch '" + Done() + "'\n");
    std::vector<ProgressCall> calls;
    int pumped = 0;
    SetMessagePump([&] { ++pumped; });
    const RunProgress progress = [&](const std::string& line, std::uint32_t elapsed,
                                     const StartedProcess& process, bool& abort) {
        calls.push_back({line, elapsed, process.ProcessId, process.ThreadId, abort, Exists(Done())});
    };

    EXPECT_TRUE(RunProcess(In("second.sh"), "x", 5, progress, RunWait::Poll));

    ASSERT_GE(calls.size(), 2u);
    EXPECT_TRUE(calls.back().ended);
    EXPECT_EQ(pumped, static_cast<int>(calls.size()));
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].commandLine, In("second.sh") + " x");
        EXPECT_GT(calls[i].processId, 0);
        EXPECT_EQ(calls[i].processId, calls[0].processId);
        EXPECT_EQ(calls[i].threadId, calls[i].processId);
        EXPECT_FALSE(calls[i].abortOnEntry);
        if (i > 0) {
            EXPECT_GE(calls[i].elapsed, calls[i - 1].elapsed);
        }
    }
    EXPECT_FALSE(HasChildren());
}

TEST_F(Launch, PollingWithoutACallbackStillWaitsForTheEnd) {
    int pumped = 0;
    SetMessagePump([&] { ++pumped; });
    EXPECT_TRUE(RunProcess(In("slow.sh"), "", 5, nullptr, RunWait::Poll));
    EXPECT_TRUE(Exists(Done()));
    EXPECT_GE(pumped, 1);
}

TEST_F(Launch, PollingStopsWhenTheCallbackAbortsAndTheProgramRunsOn) {
    int calls = 0;
    int pumped = 0;
    SetMessagePump([&] { ++pumped; });
    const RunProgress abortAtOnce = [&](const std::string&, std::uint32_t, const StartedProcess&, bool& abort) {
        ++calls;
        abort = true;
    };

    EXPECT_TRUE(RunProcess(In("blocked.sh"), "", 5, abortAtOnce, RunWait::Poll));

    EXPECT_EQ(calls, 1);
    EXPECT_EQ(pumped, 0);
    EXPECT_FALSE(Exists(Done()));
    EXPECT_TRUE(HasChildren());
    Touch(Go());
    EXPECT_TRUE(Eventually([&] { return Exists(Done()); }));
}

}  // namespace
}  // namespace kairos
