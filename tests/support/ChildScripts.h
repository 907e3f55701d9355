#pragma once
// Small shell scripts as stand-ins for the programs the clock starts, and
// the checks that every child was reaped. Waits poll with generous bounds:
// they only keep a broken test from hanging, they never decide a pass.

#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/TempDir.h"

namespace kairos::testing {

inline constexpr auto PatientWait = std::chrono::seconds(10);

template <typename Condition>
bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + PatientWait;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// WNOWAIT: looking must not reap, or the check would hide the very zombie
// it looks for.
inline bool HasChildren() {
    siginfo_t info{};
    return waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0 || errno != ECHILD;
}

// Every child ended and was reaped, by whoever was responsible.
inline bool AllChildrenReaped() {
    return Eventually([] { return !HasChildren(); });
}

inline bool Exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

inline std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A script under /bin/sh, executable, at that path.
inline std::string WriteScript(const std::string& path, std::string_view body) {
    std::ofstream(path, std::ios::binary) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// Shell text that blocks until the file exists, for at most the patient wait,
// so a failing test cannot leave a script behind for long.
inline std::string WaitForFile(const std::string& path) {
    return "i=0; while [ ! -e '" + path + "' ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done\n";
}

// Shell text that writes its argument count and then each argument on a
// line; the file appears complete or not at all.
inline std::string RecordArguments(const std::string& path) {
    return "printf '%s\\n' \"$#\" \"$@\" > '" + path + ".part' && mv '" + path + ".part' '" + path + "'\n";
}

inline void Touch(const std::string& path) {
    std::ofstream(path, std::ios::binary) << "";
}

}  // namespace kairos::testing
