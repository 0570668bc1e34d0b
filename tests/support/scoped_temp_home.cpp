#include "support/scoped_temp_home.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

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
    std::string pattern = (std::filesystem::temp_directory_path() / "gorvane-home-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary HOME");
    }
    m_path = pattern;
    ::setenv("HOME", m_path.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::current_path(m_path);
}

ScopedTempHome::~ScopedTempHome() {
    std::error_code ignored;
    std::filesystem::current_path(m_old_working_directory, ignored);
    Restore("HOME", m_old_home);
    Restore("XDG_CONFIG_HOME", m_old_config_home);
    std::filesystem::remove_all(m_path, ignored);
}

void ScopedTempHome::WriteFile(const std::string& path, const std::string& contents) const {
    const auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder);
    }
    std::ofstream(path, std::ios::binary) << contents;
}

std::string ScopedTempHome::ReadFile(const std::string& path) const {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}
