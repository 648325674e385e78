#pragma once
// Environment variables set (or unset, with nullptr) for one scope and put back after it,
// so a test that points XDG_* or HOME at its temp folder leaves the next test the
// environment it started with, and never the player's real folders.
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace drifthold::test {

class ScopedEnvironment {
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            set(name, value);
        }
    }
    ~ScopedEnvironment() { // in reverse, so a name given twice gets its first value back
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
            set(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    static void set(const char* name, const char* value) {
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

} // namespace drifthold::test
