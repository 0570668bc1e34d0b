// GetFile of a 4 MiB entry against fread of the same bytes from a loose file, plain and
// scrambled, in one run. Prints each package read's throughput as a share of the loose read.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>

#include "content/file_package.h"
#include "content/package_format.h"
#include "timing_reporter.h"

namespace {

namespace fs = std::filesystem;

constexpr u32 kFileSize = 4u << 20;
const char* const kBigName = "city_diffuse.dds";

struct Files {
    fs::path folder;
    fs::path loose;
    fs::path plain;
    fs::path scrambled;
};

Files& TheFiles() {
    static Files files;
    return files;
}

void WriteBytes(const fs::path& path, const std::vector<u8>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

bool MakeFiles() {
    Files& files = TheFiles();
    std::string pattern = (fs::temp_directory_path() / "gorvane-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return false;
    }
    files.folder = pattern;
    files.loose = files.folder / kBigName;
    files.plain = files.folder / "plain.kzp";
    files.scrambled = files.folder / "scrambled.kzp";

    std::mt19937 random(1234);
    std::vector<u8> big(kFileSize);
    for (u8& b : big) {
        b = static_cast<u8>(random());
    }
    WriteBytes(files.loose, big);

    // The big file among a few hundred small ones, as in a real art package.
    std::vector<kzp::PackageFile> entries;
    for (int i = 0; i < 300; ++i) {
        entries.push_back({"mesh_" + std::to_string(i) + ".x", std::vector<u8>(512, u8(i))});
    }
    entries.push_back({kBigName, big});
    for (const auto& [path, scrambling] : {std::pair{files.plain, kzp::Scrambling{}},
                                           {files.scrambled, kzp::Scrambling{true, 0, 0x5A}}}) {
        std::vector<u8> package;
        std::string error;
        if (!kzp::BuildPackage(entries, scrambling, package, error)) {
            std::cerr << error << '\n';
            return false;
        }
        WriteBytes(path, package);
    }
    return true;
}

void BM_LooseFileFread(benchmark::State& state) {
    const std::string path = TheFiles().loose.string();
    for (auto _ : state) {
        std::FILE* const file = std::fopen(path.c_str(), "rb");
        auto buffer = std::make_unique_for_overwrite<u8[]>(kFileSize);
        const std::size_t got = std::fread(buffer.get(), 1, kFileSize, file);
        std::fclose(file);
        if (got != kFileSize) {
            state.SkipWithError("short read");
        }
        benchmark::DoNotOptimize(buffer.get());
    }
    state.SetBytesProcessed(state.iterations() * i64{kFileSize});
}

void GetFileLoop(benchmark::State& state, const fs::path& path) {
    FilePackage package;
    if (!package.Open(path.string())) {
        state.SkipWithError("package did not open");
        return;
    }
    for (auto _ : state) {
        u32 size = 0;
        const std::unique_ptr<u8[]> buffer = package.GetFile(kBigName, size);
        if (!buffer || size != kFileSize) {
            state.SkipWithError("GetFile failed");
        }
        benchmark::DoNotOptimize(buffer.get());
    }
    state.SetBytesProcessed(state.iterations() * i64{kFileSize});
}

void BM_GetFilePlain(benchmark::State& state) {
    GetFileLoop(state, TheFiles().plain);
}
void BM_GetFileScrambled(benchmark::State& state) {
    GetFileLoop(state, TheFiles().scrambled);
}

BENCHMARK(BM_LooseFileFread)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetFilePlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetFileScrambled)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!MakeFiles()) {
        std::cerr << "cannot write the benchmark files\n";
        return 1;
    }
    TimingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const auto loose = reporter.Time("BM_LooseFileFread")) {
        for (const char* name : {"BM_GetFilePlain", "BM_GetFileScrambled"}) {
            if (const auto packaged = reporter.Time(name)) {
                std::printf("%s throughput = %.0f%% of the loose-file fread\n", name,
                            100.0 * *loose / *packaged);
            }
        }
    }
    std::error_code ec;
    fs::remove_all(TheFiles().folder, ec);
    benchmark::Shutdown();
    return 0;
}
