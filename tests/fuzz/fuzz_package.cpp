// A package file: opened, then every entry read by its name and compared with its bytes in
// the file, unscrambled as the package says.

#include <cstring>
#include <vector>

#include "content/file_package.h"
#include "content/package_format.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::InputFile(data, size, "input.kzp");
    FilePackage package;
    if (!package.Open(path)) {
        return 0;
    }
    for (const FilePackage::Entry& entry : package.Entries()) {
        const std::string name = kzp::LowerCase(entry.m_name);
        u32 read = 0;
        const std::unique_ptr<u8[]> bytes = package.GetFile(name, read);
        const i32 index = package.FindEntry(name);
        if (bytes == nullptr) {
            continue;
        }
        fuzz::Check(index >= 0, "a file was read for a name the package does not find");
        const FilePackage::Entry& found = package.Entries()[static_cast<std::size_t>(index)];
        fuzz::Check(read == found.m_size, "the size read differs from the entry's");
        fuzz::Check(u64{found.m_offset} + found.m_size <= size, "an entry past the file was read");
        std::vector<u8> expected(data + found.m_offset, data + found.m_offset + found.m_size);
        if (package.IsScrambled() && !expected.empty()) {
            package.Unscramble(expected.data(), static_cast<u32>(expected.size()));
        }
        fuzz::Check(expected.empty() || std::memcmp(expected.data(), bytes.get(), read) == 0,
                    "the bytes read differ from the entry's bytes in the file");
    }
    return 0;
}
