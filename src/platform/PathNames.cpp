#include "platform/PathNames.h"

namespace kairos::platform {
namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool HasDrivePrefix(std::string_view path) {
    return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':';
}

}  // namespace

char PreferredSeparator(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}

bool IsSeparator(char c, PathStyle style) {
    return c == '/' || (c == '\\' && style == PathStyle::Windows);
}

std::size_t NameStart(std::string_view path, PathStyle style) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1], style)) return i;
    return style == PathStyle::Windows && HasDrivePrefix(path) ? 2 : 0;
}

}  // namespace kairos::platform
