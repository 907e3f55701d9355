#include "shell/SingleInstanceGuard.h"

#include <algorithm>

#include "platform/AsciiCase.h"
#include "platform/PathNames.h"
#include "platform/Utf8.h"

namespace kairos {
namespace {

constexpr std::size_t MaxMutexNameBytes = 260;

}  // namespace

std::string InstanceTitleFromProgramPath(std::string_view path) {
    std::string_view fileName = path.substr(platform::NameStart(path));
    fileName = fileName.substr(0, fileName.find('.'));
    std::string title(fileName);
    if (title.empty()) return title;
    const std::size_t first = Utf8CharLength(title, 0);
    std::transform(title.begin() + static_cast<std::ptrdiff_t>(first), title.end(),
                   title.begin() + static_cast<std::ptrdiff_t>(first), AsciiLower);
    return title;
}

std::string BuildInstanceMutexName(std::string_view title) {
    std::string name = "Aoba ";
    name.append(title).append(" MutexObject");
    // No UTF-8 multi-byte character contains the byte 0x5C, so every one
    // found is a backslash of its own.
    std::erase(name, '\\');
    name.resize(Utf8CutPoint(name, MaxMutexNameBytes));
    return name;
}

SingleInstanceGuard::SingleInstanceGuard(std::string_view programPath)
    : instanceMutexName_(BuildInstanceMutexName(InstanceTitleFromProgramPath(programPath))),
      instanceMutex_(instanceMutexName_) {}

bool SingleInstanceGuard::AlreadyRunning() const {
    return instanceMutex_.Outcome() == platform::LockOutcome::HeldElsewhere;
}

}  // namespace kairos
