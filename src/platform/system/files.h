#pragma once
// The few file operations the game needs: the user's documents folder, folders made one
// level at a time, whole-file reads, and writes that never leave half a file behind.
#include <string>
#include <string_view>

namespace sys {

// The user's documents folder, without a trailing '/': XDG_DOCUMENTS_DIR from
// user-dirs.dirs in the XDG configuration folder, else $HOME/Documents. Empty when HOME is
// not set, so callers can fall back to a folder of their own.
std::string DocumentsFolder();

// Creates one folder (its parent must exist). True when the folder exists afterwards.
bool CreateFolder(const std::string& path);

bool ReadFile(const std::string& path, std::string& contents, std::string* error = nullptr);

// Writes the bytes to a temporary file in the same folder, flushes it to disk and renames it
// over `path`, so a crash or a full disk leaves either the old file or the new one. On
// failure the old file is untouched, the temporary file is removed and `error` says why.
bool WriteFileAtomic(const std::string& path, std::string_view contents,
                     std::string* error = nullptr);

// Like WriteFileAtomic, but never over a file already at `path`: then it writes nothing,
// fails, and sets `taken` (cleared otherwise), so two writers can never get one name.
bool WriteNewFile(const std::string& path, std::string_view contents, std::string* error = nullptr,
                  bool* taken = nullptr);

bool DeleteFile(const std::string& path);

// Writes all of the bytes to the open file, going on after interrupted writes; false when a
// write fails. Allocates nothing, so a signal handler may use it.
bool WriteAll(int fd, std::string_view contents);

} // namespace sys
