#include "content/package_format.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace kzp {

u32 ReadU32(const u8* bytes) {
    return static_cast<u32>(bytes[0]) | static_cast<u32>(bytes[1]) << 8 |
           static_cast<u32>(bytes[2]) << 16 | static_cast<u32>(bytes[3]) << 24;
}

void WriteU32(u8* bytes, u32 value) {
    bytes[0] = static_cast<u8>(value);
    bytes[1] = static_cast<u8>(value >> 8);
    bytes[2] = static_cast<u8>(value >> 16);
    bytes[3] = static_cast<u8>(value >> 24);
}

namespace {

void AddToEach(u8* bytes, std::size_t length, u8 amount) {
    // Kept as a plain loop over bytes so the compiler vectorises it.
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<u8>(bytes[i] + amount);
    }
}

} // namespace

void Unscramble(u8* bytes, std::size_t length, u8 direction, u8 key) {
    AddToEach(bytes, length, direction == 0 ? key : static_cast<u8>(-key));
}

void Scramble(u8* bytes, std::size_t length, u8 direction, u8 key) {
    AddToEach(bytes, length, direction == 0 ? static_cast<u8>(-key) : key);
}

std::string LowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool BuildPackage(const std::vector<PackageFile>& files, const Scrambling& scrambling,
                  std::vector<u8>& package, std::string& error) {
    u64 total = kHeaderSize + u64{kEntrySize} * files.size();
    for (const PackageFile& file : files) {
        if (file.name.size() > kMaxNameLength) {
            error = "the name \"" + file.name + "\" is longer than " +
                    std::to_string(kMaxNameLength) + " bytes";
            return false;
        }
        if (file.name.find('\0') != std::string::npos) {
            error = "a file name holds a NUL byte";
            return false;
        }
        total += file.bytes.size();
    }
    // Offsets and sizes are 32-bit, so every byte must lie below 4 GiB.
    if (total > std::numeric_limits<u32>::max() || files.size() > std::numeric_limits<u32>::max()) {
        error = "the package would be " + std::to_string(total) + " bytes; offsets stop at 4 GiB";
        return false;
    }

    package.assign(static_cast<std::size_t>(total), 0);
    u8* const header = package.data();
    WriteU32(header + kCountOffset, static_cast<u32>(files.size()));
    header[kScrambledOffset] = scrambling.enabled ? 1 : 0;
    header[kDirectionOffset] = scrambling.direction;
    header[kKeyOffset] = scrambling.key;

    u32 offset = kHeaderSize + kEntrySize * static_cast<u32>(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const PackageFile& file = files[i];
        u8* const entry = header + kHeaderSize + kEntrySize * i;
        std::memcpy(entry, file.name.data(), file.name.size());
        WriteU32(entry + kEntrySizeOffset, static_cast<u32>(file.bytes.size()));
        WriteU32(entry + kEntryDataOffset, offset);
        std::copy(file.bytes.begin(), file.bytes.end(), package.begin() + offset);
        if (scrambling.enabled) {
            Scramble(entry, kEntrySize, scrambling.direction, scrambling.key);
            Scramble(package.data() + offset, file.bytes.size(), scrambling.direction,
                     scrambling.key);
        }
        offset += static_cast<u32>(file.bytes.size());
    }
    return true;
}

} // namespace kzp
