#pragma once
// Where the folder part of a path ends. Windows separates with '\' and '/'
// alike, and a drive prefix ("C:name") ends a folder part of its own; on
// other systems only '/' separates, and '\' is an ordinary character of a
// file name. The style is a parameter so that tests can check both anywhere.

#include <cstddef>
#include <string_view>

namespace kairos::platform {

enum class PathStyle { Posix, Windows };

// This system's style; each system's file primitives define it.
extern const PathStyle NativePathStyle;

// '\' on Windows, '/' elsewhere.
char PreferredSeparator(PathStyle style = NativePathStyle);

bool IsSeparator(char c, PathStyle style = NativePathStyle);

// Where the last component of the path begins: just past its last
// separator, past a drive prefix, or 0 for a bare name.
std::size_t NameStart(std::string_view path, PathStyle style = NativePathStyle);

}  // namespace kairos::platform
