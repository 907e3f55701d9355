#pragma once
// The program keeps text in UTF-8; Windows takes and gives UTF-16. Every
// call into the system converts at its edge, and only there.

#include <filesystem>
#include <string>
#include <string_view>

namespace kairos::platform {

// A sequence that is no UTF-8 becomes U+FFFD, so a bad byte cannot cut a
// name short.
std::wstring Widen(std::string_view utf8);

// An unpaired surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view utf16);

// A path from UTF-8 text. A path built from a narrow std::string is read in
// the ANSI code page, which loses every Japanese name.
std::filesystem::path PathFromUtf8(std::string_view utf8);

}  // namespace kairos::platform
