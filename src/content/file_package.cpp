#include "content/file_package.h"
#include "platform/system/log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <mutex>
#include <new>
#include <string_view>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void Log(const std::string& text) {
    sys::LogLine(text);
}

// The file's length in bytes, or -1 when it cannot be told.
i64 FileLength(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) {
        return -1;
    }
    const long length = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        return -1;
    }
    return length;
}

struct Registry {
    std::mutex mutex;
    std::map<std::string, FilePackage> packages;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

} // namespace

FilePackage::~FilePackage() {
    Close();
}

FilePackage* FilePackage::Get(const std::string& path) {
    Registry& registry = TheRegistry();
    // The lock is held through Open so a second thread asking for the same path waits for
    // the directory instead of finding a half-read package.
    const std::lock_guard<std::mutex> lock(registry.mutex);
    const auto [it, inserted] = registry.packages.try_emplace(path);
    if (inserted) {
        it->second.Open(path);
    }
    return &it->second;
}

std::string FilePackage::SplitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool FilePackage::Open(const std::string& path) {
    Close();
    if (path.empty()) {
        return false;
    }
    const File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        Log("FilePackage: cannot open package " + path);
        return false;
    }

    // A short or foreign file must fail here: everything later trusts the directory.
    const i64 length = FileLength(file.get());
    std::array<u8, kzp::kHeaderSize> header{};
    if (length < static_cast<i64>(kzp::kHeaderSize) ||
        std::fread(header.data(), 1, header.size(), file.get()) != header.size()) {
        Log("FilePackage: " + path + " is shorter than a package header");
        return false;
    }
    const u32 count = kzp::ReadU32(header.data() + kzp::kCountOffset);
    const u64 directoryBytes = u64{kzp::kEntrySize} * count;
    if (kzp::kHeaderSize + directoryBytes > static_cast<u64>(length)) {
        Log("FilePackage: " + path + " lists " + std::to_string(count) +
            " entries but is too short to hold their directory");
        return false;
    }
    std::vector<u8> directory(static_cast<std::size_t>(directoryBytes));
    if (std::fread(directory.data(), 1, directory.size(), file.get()) != directory.size()) {
        Log("FilePackage: " + path + " could not be read");
        return false;
    }
    const u8 scrambled = header[kzp::kScrambledOffset];
    if (scrambled != 0) {
        kzp::Unscramble(directory.data(), directory.size(), header[kzp::kDirectionOffset],
                        header[kzp::kKeyOffset]);
    }

    std::vector<Entry> entries(count);
    for (u32 i = 0; i < count; ++i) {
        const u8* const bytes = directory.data() + u64{kzp::kEntrySize} * i;
        if (std::memchr(bytes, 0, kzp::kNameFieldSize) == nullptr) {
            Log("FilePackage: entry " + std::to_string(i) + " of " + path +
                " has a name with no end");
            return false;
        }
        Entry& entry = entries[i];
        std::memcpy(entry.m_name, bytes, kzp::kNameFieldSize);
        entry.m_size = kzp::ReadU32(bytes + kzp::kEntrySizeOffset);
        entry.m_offset = kzp::ReadU32(bytes + kzp::kEntryDataOffset);
    }
    // strcmp orders by unsigned bytes, the order FindEntry searches in.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::strcmp(a.m_name, b.m_name) < 0;
    });

    m_path = path;
    m_header = header;
    m_entries = std::move(entries);
    return true;
}

void FilePackage::Close() {
    m_path.clear();
    m_header.fill(0);
    m_entries.clear();
}

std::unique_ptr<u8[]> FilePackage::GetFile(const std::string& name, u32& size) const {
    size = 0;
    const std::string lower = kzp::LowerCase(name);
    const File file(m_path.empty() ? nullptr : std::fopen(m_path.c_str(), "rb"));
    if (!file) {
        Log("FilePackage: file package not opened");
        return nullptr;
    }
    const i32 index = FindEntry(lower);
    if (index < 0) {
        Log("FilePackage: file not found in package");
        return nullptr;
    }
    const Entry& entry = m_entries[index];

    // An entry reaching past the end of the file is a short read; telling it before the
    // allocation keeps a corrupt size from asking for gigabytes.
    const i64 length = FileLength(file.get());
    if (length < 0 || u64{entry.m_offset} + entry.m_size > static_cast<u64>(length)) {
        Log("FilePackage: incorrect filesize read");
        return nullptr;
    }

    std::unique_ptr<u8[]> buffer;
    try {
        buffer = std::make_unique_for_overwrite<u8[]>(entry.m_size);
    } catch (const std::bad_alloc&) {
        Log("FilePackage: file not allocated");
        return nullptr;
    }
    if (std::fseek(file.get(), static_cast<long>(entry.m_offset), SEEK_SET) != 0 ||
        std::fread(buffer.get(), 1, entry.m_size, file.get()) != entry.m_size) {
        Log("FilePackage: incorrect filesize read");
        return nullptr;
    }
    if (IsScrambled()) {
        Unscramble(buffer.get(), entry.m_size);
    }
    size = entry.m_size;
    return buffer;
}

i32 FilePackage::FindEntry(const std::string& name) const {
    // string_view compares bytes as unsigned, as the entries were sorted.
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), std::string_view(name),
                                     [](const Entry& entry, std::string_view wanted) {
                                         return std::string_view(entry.m_name) < wanted;
                                     });
    if (it == m_entries.end() || std::string_view(it->m_name) != name) {
        return -1;
    }
    return static_cast<i32>(it - m_entries.begin());
}

void FilePackage::Unscramble(u8* buffer, u32 length) const {
    kzp::Unscramble(buffer, length, Direction(), Key());
}
