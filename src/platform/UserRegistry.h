#pragma once
// The current user's part of the Windows registry (HKEY_CURRENT_USER), used
// the way an INI file is: below a key such as "Software\Kairos" each section
// is a subkey and each name a string value. Text is UTF-8 here and UTF-16 in
// the registry. Other systems have no registry: there nothing is kept and
// every operation reports ENOSYS.
//
// Every operation returns 0 or an errno value.

#include <string>
#include <string_view>
#include <vector>

namespace kairos::platform {

bool UserRegistryAvailable();

struct RegistryValue {
    std::string name;
    std::string text;

    bool operator==(const RegistryValue&) const = default;
};

// The string values of HKEY_CURRENT_USER\key\section, in the registry's
// order; values of other types are passed over. ENOENT when the section is
// missing.
int ReadRegistrySection(std::string_view key, std::string_view section, std::vector<RegistryValue>& values);
// Creates the key and the section when they are missing.
int WriteRegistryString(std::string_view key, std::string_view section, std::string_view name,
                        std::string_view text);
// Removes the section with all it holds; 0 also when there was none.
int EraseRegistrySection(std::string_view key, std::string_view section);
// Removes a key with all its sections; 0 also when there was none.
int DeleteRegistryKey(std::string_view key);

}  // namespace kairos::platform
