#pragma once
// The byte layout of a .kzp package, shared by the reader (FilePackage) and the writer
// (tools/kzpack), so both agree on one description of the format.
//
// Header (36 bytes, never scrambled): u32 entry count at 12, scrambled flag at 32, direction
// at 33, key at 34; the other bytes are free. Then one 264-byte entry per file: a 256-byte
// NUL-terminated name, u32 size, u32 absolute offset. File bytes follow anywhere after.
// All integers are little-endian.

#include <cstddef>
#include <string>
#include <vector>

#include "core/types.h"

namespace kzp {

inline constexpr u32 kHeaderSize = 36;
inline constexpr u32 kCountOffset = 12;
inline constexpr u32 kScrambledOffset = 32;
inline constexpr u32 kDirectionOffset = 33;
inline constexpr u32 kKeyOffset = 34;

inline constexpr u32 kEntrySize = 264;
inline constexpr u32 kNameFieldSize = 256;
inline constexpr u32 kMaxNameLength = kNameFieldSize - 1;
inline constexpr u32 kEntrySizeOffset = 256;
inline constexpr u32 kEntryDataOffset = 260;

u32 ReadU32(const u8* bytes);
void WriteU32(u8* bytes, u32 value);

// What a reader does to stored bytes: direction 0 adds the key, any other value subtracts it
// (both modulo 256).
void Unscramble(u8* bytes, std::size_t length, u8 direction, u8 key);
// The inverse, for a writer.
void Scramble(u8* bytes, std::size_t length, u8 direction, u8 key);

// Only 'A'-'Z' change, whatever the process locale says.
std::string LowerCase(std::string text);

struct Scrambling {
    bool enabled = false;
    u8 direction = 0;
    u8 key = 0;
};

struct PackageFile {
    std::string name;
    std::vector<u8> bytes;
};

// Lays out a whole package: header, the entries in the order given, then each file's bytes
// in the same order. Names are stored exactly as given (a writer that wants lookups to work
// lowercases them first). Fails with a message in `error` for a name that does not fit its
// field or holds a NUL, and for a package that outgrows 32-bit offsets.
bool BuildPackage(const std::vector<PackageFile>& files, const Scrambling& scrambling,
                  std::vector<u8>& package, std::string& error);

} // namespace kzp
