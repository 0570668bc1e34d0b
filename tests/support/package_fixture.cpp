#include "support/package_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>

namespace package_fixture {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "gorvane-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch folder from " + pattern);
    }
    m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

fs::path KzpackPath() {
#if defined(GORVANE_KZPACK)
    return GORVANE_KZPACK;
#else
    return fs::path(GORVANE_BINARY_DIR) / "tools" / "kzpack";
#endif
}

namespace {

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

} // namespace

ToolRun RunKzpack(const std::vector<std::string>& args) {
    std::string command = ShellQuote(KzpackPath().string());
    for (const std::string& arg : args) {
        command += ' ' + ShellQuote(arg);
    }
    command += " 2>&1";
    ToolRun run;
    FILE* const pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot start " << command;
        return run;
    }
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        run.output.append(chunk, got);
    }
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    if (path.has_parent_path()) {
        fs::create_directories(path.parent_path());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

void WriteFile(const fs::path& path, const std::vector<u8>& bytes) {
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<u8> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fs::path MakePackage(const fs::path& folder, const std::string& name,
                     const std::map<std::string, std::string>& files,
                     const std::vector<std::string>& extraArgs) {
    const fs::path source = folder / name;
    fs::create_directories(source);
    for (const auto& [relative, contents] : files) {
        WriteFile(source / relative, contents);
    }
    const fs::path package = folder / (name + ".kzp");
    std::vector<std::string> args = {"pack", source.string(), package.string()};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    const ToolRun run = RunKzpack(args);
    if (run.exitCode != 0) {
        ADD_FAILURE() << "kzpack failed (" << run.exitCode << "): " << run.output;
        return {};
    }
    return package;
}

} // namespace package_fixture
