#pragma once
// Helpers for tests that need asset packages: a scratch folder that cleans up after itself,
// and packages made by the real tools/kzpack from files given in the test.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/types.h"

namespace package_fixture {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

  private:
    std::filesystem::path m_path;
};

struct ToolRun {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

std::filesystem::path KzpackPath();
ToolRun RunKzpack(const std::vector<std::string>& args);

// Writes `bytes` to `path`, creating its folders.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
void WriteFile(const std::filesystem::path& path, const std::vector<u8>& bytes);
std::vector<u8> ReadFile(const std::filesystem::path& path);

// Writes each (relative path, contents) pair below `folder`/`name`/ and packs that folder
// into `folder`/`name`.kzp with kzpack and `extraArgs` (such as {"--key", "7"}). Returns the
// package path; a failed kzpack run is a test failure and returns an empty path.
std::filesystem::path MakePackage(const std::filesystem::path& folder, const std::string& name,
                                  const std::map<std::string, std::string>& files,
                                  const std::vector<std::string>& extraArgs = {});

} // namespace package_fixture
