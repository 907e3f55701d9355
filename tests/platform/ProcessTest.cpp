#include "platform/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CommandLine.h"
#include "support/ChildScripts.h"
#include "support/TempDir.h"

namespace kairos::platform {
namespace {

using namespace std::chrono_literals;
using testing::AllChildrenReaped;
using testing::Exists;
using testing::ReadLines;
using testing::WaitForFile;
using testing::WriteScript;
using Words = std::vector<std::string>;

struct SplitCase {
    std::string_view line;
    std::optional<Words> words;
    friend void PrintTo(const SplitCase& c, std::ostream* out) { *out << '[' << c.line << ']'; }
};

class CommandLineSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineSplit, GivesTheWordsAShellWould) {
    EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Blanks, CommandLineSplit,
    ::testing::Values(SplitCase{"", Words{}}, SplitCase{" \t\n ", Words{}}, SplitCase{"prog", Words{"prog"}},
                      SplitCase{"  prog   a\tb\nc  ", Words{"prog", "a", "b", "c"}},
                      SplitCase{"a\rb", Words{"a\rb"}}));

INSTANTIATE_TEST_SUITE_P(
    Quotes, CommandLineSplit,
    ::testing::Values(SplitCase{"'a  b' c", Words{"a  b", "c"}}, SplitCase{"\"a  b\" c", Words{"a  b", "c"}},
                      SplitCase{"a'b c'\"d e\"f", Words{"ab cd ef"}}, SplitCase{"'' \"\"", Words{"", ""}},
                      SplitCase{"a ''", Words{"a", ""}}, SplitCase{"'it'\\''s'", Words{"it's"}},
                      SplitCase{"'a\\' b", Words{"a\\", "b"}}, SplitCase{"'a\nb'", Words{"a\nb"}},
                      SplitCase{"\"it's\" 'say \"hi\"'", Words{"it's", "say \"hi\""}}));

INSTANTIATE_TEST_SUITE_P(
    Escapes, CommandLineSplit,
    ::testing::Values(SplitCase{"a\\ b c", Words{"a b", "c"}}, SplitCase{"\\'x \\\"y", Words{"'x", "\"y"}},
                      SplitCase{"\\\\", Words{"\\"}}, SplitCase{"a\\", Words{"a\\"}},
                      SplitCase{"\"a\\\"b\\\\c\\$d\\`e\"", Words{"a\"b\\c$d`e"}},
                      SplitCase{"\"a\\nb\\'c\"", Words{"a\\nb\\'c"}},
                      // line continuations join and never make a word
                      SplitCase{"a\\\nb", Words{"ab"}}, SplitCase{"a \\\n b", Words{"a", "b"}},
                      SplitCase{"\"a\\\nb\"", Words{"ab"}}, SplitCase{"\\\n", Words{}}));

INSTANTIATE_TEST_SUITE_P(NothingExpands, CommandLineSplit,
                         ::testing::Values(SplitCase{"$HOME ${X} $(id) `id` ~ *.txt ?",
                                                     Words{"$HOME", "${X}", "$(id)", "`id`", "~", "*.txt", "?"}},
                                           SplitCase{"a;b |c &d <e >f #g", Words{"a;b", "|c", "&d", "<e", ">f", "#g"}}));

INSTANTIATE_TEST_SUITE_P(
    Unusable, CommandLineSplit,
    ::testing::Values(SplitCase{"'open", std::nullopt}, SplitCase{"\"open", std::nullopt},
                      SplitCase{"a \"b\\\"", std::nullopt}, SplitCase{"a 'b' 'c", std::nullopt},
                      SplitCase{std::string_view("a\0b", 3), std::nullopt}));

class ChildProcessTest : public ::testing::Test {
protected:
    void TearDown() override {
        testing::Touch(Go());  // releases any script still waiting
        EXPECT_TRUE(AllChildrenReaped());
    }

    std::string File(std::string_view name) const { return dir_.File(name); }
    std::string Go() const { return File("go"); }
    std::string Script(std::string_view name, std::string_view body) const { return WriteScript(File(name), body); }
    std::string BlockedScript() const { return Script("blocked.sh", WaitForFile(Go()) + "touch '" + File("done") + "'\n"); }

    testing::TempDir dir_;
};

struct FailedStart {
    const char* name;
    Words argv;
    int error;
    std::string folder = {};
};

TEST_F(ChildProcessTest, ThatCannotStartReportsWhyAndLeavesNoChild) {
    const std::string document = File("document.txt");
    testing::Touch(document);
    const std::string notAProgram = File("plain");  // executable, but neither binary nor script
    std::ofstream(notAProgram) << "just text\n";
    std::filesystem::permissions(notAProgram, std::filesystem::perms::owner_all);
    const FailedStart cases[] = {
        {"missing path", {File("missing")}, ENOENT},
        {"missing on PATH", {"kairos-no-such-program"}, ENOENT},
        {"folder", {dir_.Path().string()}, EACCES},
        {"no execute bit", {document}, EACCES},
        {"not a program", {notAProgram}, ENOEXEC},
        {"empty name", {""}, ENOENT},
        {"no words", {}, ENOENT},
        {"NUL in an argument", {"/bin/sh", std::string("-c\0exit", 7)}, EINVAL},
        {"folder to start in missing", {Script("true.sh", "")}, ENOENT, File("missing")},
    };
    for (const FailedStart& c : cases) {
        ChildProcess child(c.argv, SpawnOptions{c.folder});
        EXPECT_FALSE(child.Started()) << c.name;
        EXPECT_EQ(child.SpawnError(), c.error) << c.name;
        EXPECT_EQ(child.Pid(), -1) << c.name;
        EXPECT_EQ(child.WaitFor(0ms), ProcessState::Ended) << c.name;
        EXPECT_FALSE(testing::HasChildren()) << c.name;
    }
}

TEST_F(ChildProcessTest, GetsItsArgumentsUnchangedAndStartsInTheFolderAsked) {
    const std::string record = File("record");
    const std::string program = Script("args.sh", "pwd > '" + record + "'\nprintf '%s\\n' \"$#\" \"$@\" >> '" + record + "'\n");
    const std::string folder = File("work place");
    std::filesystem::create_directory(folder);

    ChildProcess child({program, "two  words", "", "$HOME", "*"}, SpawnOptions{folder});
    ASSERT_TRUE(child.Started());
    child.Wait();
    EXPECT_EQ(child.ExitCode(), 0);
    EXPECT_EQ(ReadLines(record), (Words{folder, "4", "two  words", "", "$HOME", "*"}));
}

struct EndCase {
    const char* body;
    int exitCode;
    friend void PrintTo(const EndCase& c, std::ostream* out) { *out << c.body; }
};

class ChildExit : public ChildProcessTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(ChildExit, IsReportedAsAShellWould) {
    ChildProcess child({Script("end.sh", GetParam().body)});
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.ExitCode(), std::nullopt);
    EXPECT_EQ(child.WaitFor(testing::PatientWait), ProcessState::Ended);
    EXPECT_EQ(child.ExitCode(), GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(Statuses, ChildExit,
                         ::testing::Values(EndCase{"exit 0\n", 0}, EndCase{"exit 3\n", 3}, EndCase{"exit 4\n", 4},
                                           EndCase{"kill -TERM $$\n", 128 + SIGTERM},
                                           EndCase{"kill -KILL $$\n", 128 + SIGKILL}));

TEST_F(ChildProcessTest, WaitWithATimeOutSeesItRunThenEnd) {
    ChildProcess child({BlockedScript()});
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.WaitFor(50ms), ProcessState::Running);
    EXPECT_FALSE(Exists(File("done")));
    testing::Touch(Go());
    EXPECT_EQ(child.WaitFor(testing::PatientWait), ProcessState::Ended);
    EXPECT_TRUE(Exists(File("done")));
    EXPECT_EQ(child.WaitFor(0ms), ProcessState::Ended);  // reaped once, not waited for again
    EXPECT_EQ(child.ExitCode(), 0);
}

TEST_F(ChildProcessTest, LeftRunningIsReapedWhenItEnds) {
    {
        ChildProcess first({BlockedScript()});
        ChildProcess second({BlockedScript()});
        ASSERT_TRUE(first.Started() && second.Started());
        first = std::move(second);  // the first child is let go here, the second at the end of the scope
    }
    EXPECT_TRUE(testing::HasChildren());
    testing::Touch(Go());
    EXPECT_TRUE(AllChildrenReaped());
}

// As the launcher leaves an xdg-open that outlasts its wait.
TEST_F(ChildProcessTest, LetGoAfterAWaitThatTimedOutIsReapedWhenItEnds) {
    {
        ChildProcess child({BlockedScript()});
        ASSERT_TRUE(child.Started());
        EXPECT_EQ(child.WaitFor(20ms), ProcessState::Running);
        EXPECT_EQ(child.ExitCode(), std::nullopt);
    }
    EXPECT_TRUE(testing::HasChildren());
    testing::Touch(Go());
    EXPECT_TRUE(AllChildrenReaped());
    EXPECT_TRUE(Exists(File("done")));
}

TEST_F(ChildProcessTest, WhoseStatusWasTakenElsewhereCountsAsEnded) {
    ChildProcess child({Script("quick.sh", "exit 5\n")});
    ASSERT_TRUE(child.Started());
    ASSERT_EQ(waitpid(child.Pid(), nullptr, 0), child.Pid());
    child.Wait();  // must not block on a child that is gone
    EXPECT_EQ(child.WaitFor(0ms), ProcessState::Ended);
    EXPECT_EQ(child.ExitCode(), std::nullopt);
}

// Exits 1 when the probe file is open, 2 when a signal is blocked, 3 when a
// signal is ignored. The status is read by builtins: dash blocks every signal
// while it forks, so a forked reader could see that instead. Only signals 1
// to 31 count; glibc has its internal 32 and 33 ignored in every spawned child.
std::string InspectionScript(const std::string& probe) {
    return "while read -r key value; do\n"
           "  case $key in SigBlk:) blocked=${value#????????};; SigIgn:) ignored=${value#????????};; esac\n"
           "done < /proc/$$/status\n"
           "[ $((0x$blocked & 0x7fffffff)) -eq 0 ] || exit 2\n"
           "[ $((0x$ignored & 0x7fffffff)) -eq 0 ] || exit 3\n"
           "for f in /proc/$$/fd/*; do [ \"$(readlink \"$f\")\" = '" + probe + "' ] && exit 1; done\n"
           "exit 0\n";
}

// What the clock itself holds open, blocks or ignores stays with the clock.
TEST_F(ChildProcessTest, InheritsNoDescriptorsAndNoSignalSettings) {
    const std::string probe = File("probe");
    testing::Touch(probe);
    const int descriptor = open(probe.c_str(), O_RDONLY);  // deliberately without O_CLOEXEC
    ASSERT_GE(descriptor, 0);
    sigset_t usr1;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    sigset_t saved;
    pthread_sigmask(SIG_BLOCK, &usr1, &saved);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction savedUsr2 {};
    sigaction(SIGUSR2, &ignore, &savedUsr2);

    ChildProcess child({Script("inspect.sh", InspectionScript(probe))});

    sigaction(SIGUSR2, &savedUsr2, nullptr);
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    close(descriptor);
    ASSERT_TRUE(child.Started());
    child.Wait();
    EXPECT_EQ(child.ExitCode(), 0) << "1: descriptor inherited, 2: signal blocked, 3: signal ignored";
}

}  // namespace
}  // namespace kairos::platform
