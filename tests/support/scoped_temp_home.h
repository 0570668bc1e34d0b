#pragma once
// A fresh temporary folder used as HOME and as the working directory for one test, so the
// save folder, "./save/" and "./assets/" of the code under test all land inside it. The XDG
// configuration variable is cleared so a developer's own user-dirs.dirs is never read.
// Everything is restored and the folder removed on destruction.
#include <optional>
#include <string>

#include "support/package_fixture.h"

class ScopedTempHome {
  public:
    ScopedTempHome();
    ~ScopedTempHome();
    ScopedTempHome(const ScopedTempHome&) = delete;
    ScopedTempHome& operator=(const ScopedTempHome&) = delete;

    const std::string& Path() const { return m_folder.Path().native(); }
    // The save folder the game uses under this HOME, ending in '/'.
    std::string SaveFolder() const { return Path() + "/Documents/My Games/Vantrel/Gorvane/"; }

    void WriteFile(const std::string& path, const std::string& contents) const;
    std::string ReadFile(const std::string& path) const;

  private:
    // Removed once the destructor has put HOME and the working directory back.
    package_fixture::ScratchFolder m_folder;
    std::string m_old_working_directory;
    std::optional<std::string> m_old_home;
    std::optional<std::string> m_old_config_home;
};
