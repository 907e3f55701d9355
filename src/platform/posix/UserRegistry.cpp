// No registry on this system: the stores that would use one keep nothing.

#include "platform/UserRegistry.h"

#include <cerrno>

namespace kairos::platform {

bool UserRegistryAvailable() {
    return false;
}

int ReadRegistrySection(std::string_view, std::string_view, std::vector<RegistryValue>& values) {
    values.clear();
    return ENOSYS;
}

int WriteRegistryString(std::string_view, std::string_view, std::string_view, std::string_view) {
    return ENOSYS;
}

int EraseRegistrySection(std::string_view, std::string_view) {
    return ENOSYS;
}

int DeleteRegistryKey(std::string_view) {
    return ENOSYS;
}

}  // namespace kairos::platform
