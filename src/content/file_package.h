#pragma once
// One opened asset package. Files are found by their lowercased base name; the directory is
// read once by Open, and each GetFile opens the package file anew, so any number of threads
// may read an opened package at once.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "content/package_format.h"
#include "core/types.h"

class FilePackage {
  public:
    struct Entry {
        char m_name[kzp::kNameFieldSize];
        u32 m_size;
        u32 m_offset;
    };

    FilePackage() = default;
    ~FilePackage();
    FilePackage(const FilePackage&) = delete;
    FilePackage& operator=(const FilePackage&) = delete;

    // The package registered under `path` (spelled exactly as given), opened on its first
    // request. A package that failed to open stays registered, empty, and is not retried.
    static FilePackage* Get(const std::string& path);
    // The part after the last '/'; only '/' separates folders.
    static std::string SplitPath(const std::string& path);

    bool Open(const std::string& path);
    void Close();

    // The whole file in a new buffer of exactly `size` bytes, or null after one log line.
    std::unique_ptr<u8[]> GetFile(const std::string& name, u32& size) const;
    // Index into the sorted entries of an exact (already lowercased) name, or -1.
    i32 FindEntry(const std::string& name) const;
    void Unscramble(u8* buffer, u32 length) const;

    const std::string& Path() const { return m_path; }
    const std::vector<Entry>& Entries() const { return m_entries; }
    bool IsScrambled() const { return m_header[kzp::kScrambledOffset] != 0; }
    u8 Direction() const { return m_header[kzp::kDirectionOffset]; }
    u8 Key() const { return m_header[kzp::kKeyOffset]; }

  private:
    std::string m_path;
    std::array<u8, kzp::kHeaderSize> m_header{};
    std::vector<Entry> m_entries;
};
