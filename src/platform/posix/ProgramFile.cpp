#include "platform/ProgramFile.h"

#include <unistd.h>

#include <string>

namespace kairos::platform {

std::string ExecutablePath() {
    // readlink does not say whether it truncated, so a result that fills the
    // buffer is retried with a larger one; PATH_MAX is no real limit.
    for (std::size_t size = 256; size <= 65536; size *= 2) {
        std::string path(size, '\0');
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) return {};
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            return path;
        }
    }
    return {};
}

}  // namespace kairos::platform
