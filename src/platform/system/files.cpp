#include "platform/system/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace sys {
namespace {

std::string EnvOrEmpty(const char* name) {
    const char* const value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// One value of user-dirs.dirs: shell syntax limited to "$HOME/..." or an absolute path,
// usually double-quoted. Empty when the value is neither.
std::string ParseUserDirValue(const std::string& raw, const std::string& home) {
    std::string value;
    const std::string text = Trim(raw);
    if (!text.empty() && text.front() == '"') {
        for (std::size_t i = 1; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\' && i + 1 < text.size()) {
                ++i;
            }
            value += text[i];
        }
    } else {
        value = text;
    }
    for (const char* prefix : {"${HOME}", "$HOME"}) {
        const std::size_t n = std::strlen(prefix);
        if (value.compare(0, n, prefix) == 0 && (value.size() == n || value[n] == '/')) {
            return home + value.substr(n);
        }
    }
    return !value.empty() && value.front() == '/' ? value : std::string();
}

std::string DocumentsFromUserDirs(const std::string& home) {
    std::string config = EnvOrEmpty("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/') {
        config = home + "/.config";
    }
    std::ifstream file(config + "/user-dirs.dirs");
    std::string found;
    std::string line;
    static constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    while (std::getline(file, line)) {
        const std::string entry = Trim(line);
        if (entry.compare(0, kKey.size(), kKey) == 0) {
            // Shell semantics: a later assignment wins.
            found = ParseUserDirValue(entry.substr(kKey.size()), home);
        }
    }
    return found;
}

std::string ErrnoText(const std::string& what, const std::string& path) {
    return what + " '" + path + "': " + std::strerror(errno);
}

} // namespace

bool WriteAll(int fd, std::string_view contents) {
    const char* p = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string DocumentsFolder() {
    const std::string home = EnvOrEmpty("HOME");
    if (home.empty()) {
        return {};
    }
    std::string folder = DocumentsFromUserDirs(home);
    if (folder.empty()) {
        folder = home + "/Documents";
    }
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

bool CreateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) == 0) {
        return true;
    }
    struct stat info {};
    return errno == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ReadFile(const std::string& path, std::string& contents, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error != nullptr) {
            *error = ErrnoText("Cannot open", path);
        }
        return false;
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad()) {
        if (error != nullptr) {
            *error = "Cannot read '" + path + "'";
        }
        return false;
    }
    contents = std::move(bytes).str();
    return true;
}

namespace {

// The bytes in a new temporary file beside path, flushed to disk: its name, or empty (with
// `error` saying why, and nothing left behind).
std::string WriteTemporaryFile(const std::string& path, std::string_view contents,
                               std::string* error) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        if (error != nullptr) {
            *error = ErrnoText("Cannot create a temporary file for", path);
        }
        return {};
    }
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    (void)::fchmod(fd, mode);
    bool ok = WriteAll(fd, contents) && ::fsync(fd) == 0;
    if (!ok && error != nullptr) {
        *error = ErrnoText("Cannot write", temp);
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        if (error != nullptr) {
            *error = ErrnoText("Cannot write", temp);
        }
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return {};
    }
    return temp;
}

// The rename or link of a file reaches the disk only with its folder.
void SyncFolderOf(const std::string& path) {
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

bool WriteFileAtomic(const std::string& path, std::string_view contents, std::string* error) {
    const std::string temp = WriteTemporaryFile(path, contents, error);
    if (temp.empty()) {
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        if (error != nullptr) {
            *error = ErrnoText("Cannot replace", path);
        }
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolderOf(path);
    return true;
}

bool WriteNewFile(const std::string& path, std::string_view contents, std::string* error,
                  bool* taken) {
    if (taken != nullptr) {
        *taken = false;
    }
    const std::string temp = WriteTemporaryFile(path, contents, error);
    if (temp.empty()) {
        return false;
    }
    // A hard link, unlike a rename, never replaces a file already there.
    const bool linked = ::link(temp.c_str(), path.c_str()) == 0;
    if (!linked) {
        if (taken != nullptr) {
            *taken = errno == EEXIST;
        }
        if (error != nullptr) {
            *error = ErrnoText("Cannot create", path);
        }
    }
    ::unlink(temp.c_str());
    if (linked) {
        SyncFolderOf(path);
    }
    return linked;
}

bool DeleteFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

} // namespace sys
