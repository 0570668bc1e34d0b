#include "support/scoped_temp_home.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

namespace {

std::optional<std::string> Env(const char* name) {
    const char* const value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void Restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name, value->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

} // namespace

ScopedTempHome::ScopedTempHome()
    : m_old_working_directory(std::filesystem::current_path().string()), m_old_home(Env("HOME")),
      m_old_config_home(Env("XDG_CONFIG_HOME")) {
    ::setenv("HOME", Path().c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::current_path(Path());
}

ScopedTempHome::~ScopedTempHome() {
    std::error_code ignored;
    std::filesystem::current_path(m_old_working_directory, ignored);
    Restore("HOME", m_old_home);
    Restore("XDG_CONFIG_HOME", m_old_config_home);
}

void ScopedTempHome::WriteFile(const std::string& path, const std::string& contents) const {
    package_fixture::WriteFile(path, contents);
}

std::string ScopedTempHome::ReadFile(const std::string& path) const {
    const std::vector<u8> bytes = package_fixture::ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}
