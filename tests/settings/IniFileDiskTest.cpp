// The store against real files in a private folder: what it reads, what it
// writes, and that a failed save never damages the file it was to replace.

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/AtomicFile.h"
#include "settings/IniStore.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view OldFile = "[General]\r\nDateFormat=yyyy/mm/dd\r\n\r\n";

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t EntriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const IniFileError& error) {
        return error.what();
    }
    return "no error";
}

std::string Expected(const std::string& path, int error, const char* ending) {
    return "ファイル \"" + path + "\". " + platform::ErrorText(error) + " " + ending;
}

#ifndef _WIN32
// Windows has neither mode bits nor fork, file-size limits or users to drop
// to; what depends on them is tested here only.
unsigned ModeOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

// Runs the body in a forked child, so that it may drop privileges or limit
// file sizes, and returns what the body reported.
std::string InChild(const std::function<std::string()>& body) {
    int ends[2];
    if (pipe(ends) != 0) return "no pipe";
    platform::FileDescriptor reader(ends[0]);
    platform::FileDescriptor writer(ends[1]);
    const pid_t child = fork();
    if (child < 0) return "no child";
    if (child == 0) {
        reader.Close();
        std::string report;
        try {
            report = body();
        } catch (...) {
            report = "unexpected exception";
        }
        const bool sent = write(writer.Get(), report.data(), report.size()) == static_cast<ssize_t>(report.size());
        _exit(sent ? 0 : 1);
    }
    writer.Close();
    std::string report;
    char buffer[512];
    for (ssize_t got; (got = read(reader.Get(), buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(got));
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child failed: " + report;
    return report;
}
#endif

TEST(IniFile, MissingFileIsEmptyAndSavingCreatesIt) {
    testing::TempDir dir;
    const std::string path = dir.File("new.ini");
    IniStore ini(path);
    EXPECT_TRUE(ini.ReadSections().empty());
    ini.Section = "General";
    ini.WriteNumber("Transparency", 200);
    ini.SaveToDisk();
    EXPECT_EQ(Contents(path), "[General]\r\nTransparency=200\r\n\r\n");
#ifndef _WIN32
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(ModeOf(path), platform::NewFileMode & ~mask);
#endif
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

#ifndef _WIN32
TEST(IniFile, SavingKeepsPermissionsAndSymbolicLinks) {
    testing::TempDir dir;
    const std::string target = dir.Write("real.ini", OldFile);
    chmod(target.c_str(), 0640);
    const std::string link = dir.File("link.ini");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    IniStore ini(link);
    ini.WriteString("General", "TimeFormat", "hh:nn");
    ini.SaveToDisk();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Contents(target), "[General]\r\nDateFormat=yyyy/mm/dd\r\nTimeFormat=hh:nn\r\n\r\n");
    EXPECT_EQ(ModeOf(target), 0640u);
}

#endif

TEST(IniFile, UnreadableFileIsAnError) {
    testing::TempDir dir;
    const std::string folder = dir.File("folder.ini");
    fs::create_directory(folder);
    EXPECT_EQ(ErrorOf([&] { IniStore ini(folder); }), Expected(folder, EISDIR, "は開けません"));

#ifndef _WIN32
    const std::string locked = dir.Write("locked.ini", OldFile);
    chmod(locked.c_str(), 0);
    // Root reads every file, so the child gives up root first.
    const std::string message = InChild([&locked] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return std::string("cannot drop root");
        return ErrorOf([&] { IniStore ini(locked); });
    });
    EXPECT_EQ(message, Expected(locked, EACCES, "は開けません"));
#endif
}

struct EncodingCase {
    const char* what;
    std::string_view bytes;
    std::string_view saved;
};

class IniEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(IniEncoding, ReadsAsUtf8AndWritesUtf8) {
    testing::TempDir dir;
    const std::string path = dir.Write("enc.ini", GetParam().bytes);
    IniStore ini(path);
    ini.SaveToDisk();
    EXPECT_EQ(Contents(path), GetParam().saved) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniEncoding,
    ::testing::Values(
        EncodingCase{"UTF-8 that would also pass as Shift-JIS", "[S]\r\nk=café", "[S]\r\nk=café\r\n\r\n"},
        EncodingCase{"Shift-JIS", "[General]\r\nDateFormat=yyyy\x94\x4Emm\x8C\x8E" "dd\x93\xFA",
                     "[General]\r\nDateFormat=yyyy年mm月dd日\r\n\r\n"},
        EncodingCase{"Shift-JIS names", "[\x90\xDD\x92\xE8]\r\n\x8E\x9E\x8D\x8F=1", "[設定]\r\n時刻=1\r\n\r\n"},
        EncodingCase{"neither: broken bytes replaced", "[S]\r\nk=a\x81", "[S]\r\nk=a\uFFFD\r\n\r\n"},
        EncodingCase{"byte-order mark, broken UTF-8", "\xEF\xBB\xBF[S]\nk=\x94\x4E", "[S]\r\nk=\uFFFDN\r\n\r\n"}));

// Passes everything to the real file system except the chosen operation,
// which fails with ENOSPC; Write fails once half of the file went out.
class FailingFileOps final : public platform::FileOps {
public:
    enum class Step { Create, SetMode, Write, Sync, Close, Rename };
    explicit FailingFileOps(Step step) : step_(step) {}

    int ReadAll(const std::string& p, std::string& b) override { return real_.ReadAll(p, b); }
    std::string ResolveLinks(const std::string& p) override { return real_.ResolveLinks(p); }
    int PermissionBits(const std::string& p, unsigned& m) override { return real_.PermissionBits(p, m); }
    int CreateNew(const std::string& p, unsigned m, platform::FileDescriptor& f) override {
        return Fails(Step::Create) ? ENOSPC : real_.CreateNew(p, m, f);
    }
    int SetPermissionBits(const platform::FileDescriptor& f, unsigned m) override {
        return Fails(Step::SetMode) ? ENOSPC : real_.SetPermissionBits(f, m);
    }
    int Write(const platform::FileDescriptor& f, std::string_view bytes, std::size_t& written) override {
        if (!Fails(Step::Write)) return real_.Write(f, bytes, written);
        if (std::exchange(wroteHalf_, true)) return ENOSPC;
        return real_.Write(f, bytes.substr(0, bytes.size() / 2), written);
    }
    int Sync(const platform::FileDescriptor& f) override { return Fails(Step::Sync) ? ENOSPC : real_.Sync(f); }
    int Close(platform::FileDescriptor& f) override {
        const int error = real_.Close(f);
        return Fails(Step::Close) ? ENOSPC : error;
    }
    int Rename(const std::string& a, const std::string& b) override {
        return Fails(Step::Rename) ? ENOSPC : real_.Rename(a, b);
    }
    int Remove(const std::string& p) override { return real_.Remove(p); }
    int SyncFolder(const std::string& p) override { return real_.SyncFolder(p); }

private:
    bool Fails(Step step) const { return step == step_; }
    platform::FileOps& real_ = platform::SystemFileOps();
    Step step_;
    bool wroteHalf_ = false;
};

class FailedSave : public ::testing::TestWithParam<FailingFileOps::Step> {};

std::string StepName(const ::testing::TestParamInfo<FailingFileOps::Step>& info) {
    constexpr const char* Names[] = {"Create", "SetMode", "Write", "Sync", "Close", "Rename"};
    return Names[static_cast<int>(info.param)];
}

TEST_P(FailedSave, LeavesTheOldFileAndNoTemporaryFile) {
    testing::TempDir dir;
    const std::string path = dir.Write("Alarm.ini", OldFile);
#ifndef _WIN32
    chmod(path.c_str(), 0600);
#endif
    FailingFileOps ops(GetParam());
    IniStore ini(path, IniLoading::FromDisk, ops);
    for (int i = 1; i <= 20; ++i) ini.WriteString("Alarm" + std::to_string(i), "Message", "目覚まし");
    EXPECT_EQ(ErrorOf([&] { ini.SaveToDisk(); }), Expected(path, ENOSPC, "を作成できません"));
    EXPECT_EQ(Contents(path), OldFile);
#ifndef _WIN32
    EXPECT_EQ(ModeOf(path), 0600u);
#endif
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(Steps, FailedSave,
                         ::testing::Values(FailingFileOps::Step::Create, FailingFileOps::Step::SetMode,
                                           FailingFileOps::Step::Write, FailingFileOps::Step::Sync,
                                           FailingFileOps::Step::Close, FailingFileOps::Step::Rename),
                         StepName);

#ifndef _WIN32
// A real size limit: the kernel refuses the write part-way with EFBIG.
TEST(IniFile, SaveBeyondTheFileSizeLimitKeepsTheOldFile) {
    testing::TempDir dir;
    const std::string path = dir.Write("kairos.ini", OldFile);
    const std::string message = InChild([&path] {
        platform::IgnoreFileSizeSignal();
        const rlimit limit{4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("no limit");
        IniStore ini(path);
        ini.WriteString("General", "ToolTipFormat", std::string(100000, 'x'));
        return ErrorOf([&] { ini.SaveToDisk(); });
    });
    EXPECT_EQ(message, Expected(path, EFBIG, "を作成できません"));
    EXPECT_EQ(Contents(path), OldFile);
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}
#endif

// ---- Damaged files -------------------------------------------------------------

// A Shift-JIS alarm message with one byte that no code page defines.
constexpr std::string_view DamagedShiftJis =
    "[Alarm1]\r\nMessage=\x96\xDA\x8A\x6F\x82\xDC\x82\xB5\xFF\x8B\x4E\x8F\xB0\r\n"
    "Command=/home/u/\x89\xB9\x8A\x79/a.wav\r\n";

class DamagedFile : public ::testing::Test {
protected:
    DamagedFile() {
        SetBackupNotice([this](const std::string& message) { notices.push_back(message); });
    }
    ~DamagedFile() override { SetBackupNotice({}); }

    testing::TempDir dir;
    std::vector<std::string> notices;
};

TEST_F(DamagedFile, LosesOnlyTheBadByteAndKeepsTheOriginalAtTheFirstSave) {
    const std::string path = dir.Write("Alarm.ini", DamagedShiftJis);
    IniStore ini(path);
    EXPECT_EQ(ini.ReadString("Alarm1", "Message", ""), "目覚まし\uFFFD起床");
    EXPECT_EQ(ini.ReadString("Alarm1", "Command", ""), "/home/u/音楽/a.wav");
    ASSERT_TRUE(ini.Damaged());
    ini.SaveToDisk();
    EXPECT_EQ(Contents(path + ".bak"), DamagedShiftJis);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "ファイル \"" + path + "\" には読めない部分がありました（2 行目の読めない文字）。元のファイルを \"" +
                              path + ".bak\" に残しました。");

    IniStore again(path);
    EXPECT_FALSE(again.Damaged()) << "the saved file is plain UTF-8";
    again.SaveToDisk();
    EXPECT_EQ(notices.size(), 1u) << "told once";
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

TEST_F(DamagedFile, BackupsAreNeverReplaced) {
    const std::string path = dir.Write("kairos.ini", "[General]\r\nDateFormat=yyyy\x81\r\n");
    for (int round = 0; round < 3; ++round) {
        dir.Write("kairos.ini", "[General]\r\nDateFormat=round" + std::to_string(round) + "\xFF\r\n");
        IniStore(path).SaveToDisk();
    }
    EXPECT_EQ(Contents(path + ".bak"), "[General]\r\nDateFormat=round0\xFF\r\n");
    EXPECT_EQ(Contents(path + ".1.bak"), "[General]\r\nDateFormat=round1\xFF\r\n");
    EXPECT_EQ(Contents(path + ".2.bak"), "[General]\r\nDateFormat=round2\xFF\r\n");
}

TEST_F(DamagedFile, AFileCutInTheLastCharacterLosesOnlyThatCharacter) {
    const std::string path = dir.Write("Alarm.ini", "[Alarm1]\r\nMessage=\x8B\x4E\x8F");
    EXPECT_EQ(IniStore(path).ReadString("Alarm1", "Message", ""), "起\uFFFD");
}

TEST_F(DamagedFile, NoBackupMeansNoSave) {
    const std::string path = dir.Write("Alarm.ini", DamagedShiftJis);
    FailingFileOps ops(FailingFileOps::Step::Create);
    IniStore ini(path, IniLoading::FromDisk, ops);
    EXPECT_EQ(ErrorOf([&] { ini.SaveToDisk(); }), Expected(path + ".bak", ENOSPC, "を作成できません"));
    EXPECT_EQ(Contents(path), DamagedShiftJis);
    EXPECT_TRUE(notices.empty());
}

// The user made it read-only; root's right to write anyway is no reason to.
// (On Windows the mode is the read-only attribute.)
TEST(IniFile, AReadOnlyFileIsNotReplaced) {
    testing::TempDir dir;
    const std::string path = dir.Write("kairos.ini", OldFile);
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(path, readOnly, fs::perm_options::replace);
    IniStore ini(path);
    ini.WriteString("General", "TimeFormat", "hh:nn");
    EXPECT_EQ(ErrorOf([&] { ini.SaveToDisk(); }), Expected(path, EACCES, "を作成できません"));
    EXPECT_EQ(Contents(path), OldFile);
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);  // so that the folder can go
}

TEST(IniFile, StaleTemporaryFilesOfACrashedSaveAreRemovedAndNothingElse) {
    testing::TempDir dir;
    const std::string path = dir.Write("kairos.ini", OldFile);
    for (const char* name : {".kairos.ini.Ab12Cd", ".kairos.ini.Ab12Cde", ".Alarm.ini.Ab12Cd", "kairos.ini.Ab12Cd",
                             ".kairos.ini.Ab-2Cd"})
        dir.Write(name, "x");
    fs::create_directory(dir.File(".kairos.ini.Zz99Yy"));
    EXPECT_EQ(platform::RemoveStaleTemporaries(path), 1);
    EXPECT_FALSE(fs::exists(dir.File(".kairos.ini.Ab12Cd")));
    EXPECT_EQ(EntriesIn(dir.Path()), 6u);
}

}  // namespace
}  // namespace kairos
