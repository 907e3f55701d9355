#pragma once
// Where the tests find child_program.exe: beside the test program itself,
// as a Windows path (a build folder path is a Unix one under wine).

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/WideText.h"

namespace kairos::testing {

inline std::filesystem::path TestProgramFolder() {
    std::wstring path(MAX_PATH * 4, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return std::filesystem::path(path).parent_path();
}

inline std::filesystem::path ChildProgramFile() {
    return TestProgramFolder() / L"child_program.exe";
}

inline std::string ChildProgram() {
    return platform::Narrow(ChildProgramFile().wstring());
}

// What "child_program record" wrote: its folder, then its arguments.
inline std::vector<std::string> RecordedWords(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> words;
    std::string word;
    while (std::getline(in, word, '\0')) words.push_back(word);
    return words;
}

}  // namespace kairos::testing
