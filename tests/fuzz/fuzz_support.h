#pragma once
// What the fuzz targets share: a scratch folder of their own for the files the readers
// take by path, and a check that stops the run with a message, which libFuzzer records
// as a crash together with the input that caused it.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/system/files.h"

namespace fuzz {

// The process's own folder under the temporary folder, made on first use.
inline const std::string& ScratchFolder() {
    // Never destroyed: the clean-up at exit still needs it.
    static const std::string* const folder = [] {
        const char* const base = std::getenv("TMPDIR");
        auto* const path =
            new std::string(std::string(base != nullptr ? base : "/tmp") + "/gorvane-fuzz-XXXXXX");
        if (mkdtemp(path->data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        // libFuzzer leaves through exit at the end of a timed run.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchFolder(), ignored);
        });
        return path;
    }();
    return *folder;
}

inline std::string ScratchPath(const std::string& name) {
    return ScratchFolder() + "/" + name;
}

// Writes the input as a file of the scratch folder and returns its path.
inline std::string InputFile(const std::uint8_t* data, std::size_t size, const std::string& name) {
    const std::string path = ScratchPath(name);
    std::FILE* const file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) ||
        std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}

inline std::string ReadBack(const std::string& path) {
    std::string text;
    std::string error;
    if (!sys::ReadFile(path, text, &error)) {
        std::fprintf(stderr, "cannot read back %s: %s\n", path.c_str(), error.c_str());
        std::abort();
    }
    return text;
}

inline void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// Reads the file at path with read, writes what was read with write and reads that back:
// the second write must equal the first, or the writer produced something the reader
// takes differently.
template <class Value, class Read, class Write>
void CheckRoundTrip(const std::string& path, Read read, Write write, const char* what) {
    Value first{};
    read(path, first);
    const std::string written = ScratchPath("written.xml");
    if (!write(written, first)) {
        return;
    }
    const std::string once = ReadBack(written);
    Value second{};
    Check(read(written, second), what);
    Check(write(written, second), what);
    Check(ReadBack(written) == once, what);
}

} // namespace fuzz
