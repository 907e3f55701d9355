// A program for the process and launcher tests to start under wine.
//   child_program record FILE ARG...  writes its current folder and each ARG
//                                     to FILE (UTF-8, each ended by a NUL
//                                     byte) and exits with 7
//   child_program sleep MS            sleeps, then exits with 0
//   child_program exit N              exits with N
// Without arguments it exits with 0 at once. The arguments arrive as the
// C runtime splits the command line, which is what the quoting must invert.

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), bytes, nullptr, nullptr);
    return out;  // with its NUL
}

int Record(int argc, wchar_t** argv) {
    wchar_t folder[MAX_PATH * 4] = {};
    GetCurrentDirectoryW(MAX_PATH * 4, folder);
    std::string content = Utf8(folder);
    for (int i = 3; i < argc; ++i) content += Utf8(argv[i]);
    const HANDLE file = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return 7;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 0;
    const std::wstring command = argv[1];
    if (command == L"record" && argc >= 3) return Record(argc, argv);
    if (command == L"sleep" && argc == 3) {
        Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
        return 0;
    }
    if (command == L"exit" && argc == 3) return static_cast<int>(std::wcstol(argv[2], nullptr, 10));
    return 2;
}
