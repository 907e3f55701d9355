#pragma once
// Environment variables set or removed for one test and put back after it,
// so that tests see temp folders instead of the user's real ones.

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kairos::testing {

class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) Put(it->first, *it->second);
            else Remove(it->first);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void Set(const std::string& name, const std::string& value) {
        Save(name);
        Put(name, value);
    }
    void Unset(const std::string& name) {
        Save(name);
        Remove(name);
    }

private:
#ifdef _WIN32
    static void Put(const std::string& name, const std::string& value) { _putenv_s(name.c_str(), value.c_str()); }
    // An empty value removes the variable there.
    static void Remove(const std::string& name) { _putenv_s(name.c_str(), ""); }
#else
    static void Put(const std::string& name, const std::string& value) { setenv(name.c_str(), value.c_str(), 1); }
    static void Remove(const std::string& name) { unsetenv(name.c_str()); }
#endif

    void Save(const std::string& name) {
        const char* value = std::getenv(name.c_str());
        saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace kairos::testing
