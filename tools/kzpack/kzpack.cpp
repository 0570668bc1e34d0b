// kzpack: packs a folder into a .kzp package, or lists a package's directory.
//
//   kzpack pack <folder> <package.kzp> [--key K [--direction D]]
//   kzpack list <package.kzp>
//
// Every regular file below the folder is stored under its lowercased base name, since the
// game finds files by base name alone; hidden files (names starting with '.') are skipped.
// Input the game would misread is refused: two files whose stored names collide, or a name
// longer than a directory entry holds. --key scrambles the directory and the file bytes;
// D is the header's direction byte (0: the reader adds the key, otherwise it subtracts it).

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "content/file_package.h"
#include "content/package_format.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFailure = 1;
constexpr int kUsage = 2;

int Fail(const std::string& message) {
    std::cerr << "kzpack: " << message << '\n';
    return kFailure;
}

int Usage(const std::string& message) {
    std::cerr << "kzpack: " << message << "\n"
              << "usage: kzpack pack <folder> <package.kzp> [--key K [--direction D]]\n"
              << "       kzpack list <package.kzp>\n";
    return kUsage;
}

std::optional<u8> ParseByte(const std::string& text) {
    try {
        std::size_t used = 0;
        const unsigned long value = std::stoul(text, &used, 0);
        if (used == text.size() && value <= 0xFF) {
            return static_cast<u8>(value);
        }
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

bool ReadWholeFile(const fs::path& path, std::vector<u8>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

struct Source {
    std::string name; // as stored: lowercased base name
    fs::path path;
};

// Every regular, non-hidden file below `folder`, sorted by stored name; false after a
// message when the folder cannot be walked or two files would share a stored name.
bool CollectSources(const fs::path& folder, std::vector<Source>& sources) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        Fail(folder.string() + " is not a folder");
        return false;
    }
    std::map<std::string, fs::path> byName;
    fs::recursive_directory_iterator it(folder, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path& path = it->path();
        if (path.filename().string().starts_with('.')) {
            if (it->is_directory(ec)) {
                it.disable_recursion_pending();
            }
            continue;
        }
        if (!it->is_regular_file(ec)) {
            continue;
        }
        const std::string name = kzp::LowerCase(path.filename().string());
        const auto [existing, inserted] = byName.emplace(name, path);
        if (!inserted) {
            Fail(existing->second.string() + " and " + path.string() +
                 " would both be stored as \"" + name +
                 "\"; the game finds files by base name, so one would be lost");
            return false;
        }
    }
    if (ec) {
        Fail("cannot read " + folder.string() + ": " + ec.message());
        return false;
    }
    for (auto& [name, path] : byName) {
        sources.push_back({name, path});
    }
    return true;
}

// Written beside the target and renamed over it, so a failed run never leaves half a package.
bool WritePackage(const fs::path& output, const std::vector<u8>& bytes) {
    std::error_code ec;
    if (output.has_parent_path()) {
        fs::create_directories(output.parent_path(), ec);
    }
    const fs::path temporary = output.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            fs::remove(temporary, ec);
            return false;
        }
    }
    fs::rename(temporary, output, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

int Pack(const std::vector<std::string>& args) {
    if (args.size() < 2) {
        return Usage("pack needs a folder and a package path");
    }
    const fs::path folder = args[0];
    const fs::path output = args[1];
    kzp::Scrambling scrambling;
    bool directionGiven = false;
    for (std::size_t i = 2; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) {
            return Usage(args[i] + " needs a value");
        }
        const std::optional<u8> value = ParseByte(args[i + 1]);
        if (!value) {
            return Usage(args[i] + " takes a number from 0 to 255, not \"" + args[i + 1] + "\"");
        }
        if (args[i] == "--key") {
            scrambling.enabled = true;
            scrambling.key = *value;
        } else if (args[i] == "--direction") {
            directionGiven = true;
            scrambling.direction = *value;
        } else {
            return Usage("unknown option " + args[i]);
        }
    }
    if (directionGiven && !scrambling.enabled) {
        return Usage("--direction only means something with --key");
    }

    std::vector<Source> sources;
    if (!CollectSources(folder, sources)) {
        return kFailure;
    }
    std::vector<kzp::PackageFile> files(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        files[i].name = sources[i].name;
        if (!ReadWholeFile(sources[i].path, files[i].bytes)) {
            return Fail("cannot read " + sources[i].path.string());
        }
    }
    std::vector<u8> package;
    std::string error;
    if (!kzp::BuildPackage(files, scrambling, package, error)) {
        return Fail(folder.string() + ": " + error);
    }
    if (!WritePackage(output, package)) {
        return Fail("cannot write " + output.string());
    }
    return 0;
}

int List(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return Usage("list needs one package path");
    }
    FilePackage package;
    if (!package.Open(args[0])) {
        return Fail("cannot read the package " + args[0]);
    }
    std::cout << package.Entries().size() << " entries";
    if (package.IsScrambled()) {
        std::cout << ", scrambled with key " << int{package.Key()} << ", direction "
                  << int{package.Direction()};
    }
    std::cout << '\n';
    for (const FilePackage::Entry& entry : package.Entries()) {
        std::cout << entry.m_name << '\t' << entry.m_size << '\t' << entry.m_offset << '\n';
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage("no command");
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "pack") {
        return Pack(args);
    }
    if (command == "list") {
        return List(args);
    }
    return Usage("unknown command " + command);
}
