#include "content/resource_loader_process.h"

#include <cstring>
#include <exception>
#include <memory>

#include "content/file_package.h"
#include "content/graphics_preloader.h"
#include "content/level_files.h"
#include "content/loading_lock.h"
#include "core/message.h"
#include "platform/system/log.h"

namespace {

struct LoadStatus {
    bool parsed = false;
    bool loaded = false;
};

// Touched only under the "Loading" mutex.
struct SharedTables {
    GameObjectDefinitionMap definitions;
    std::map<std::string, bool> requested;
    std::map<std::string, LoadStatus> status;
    std::vector<std::string> sounds;
    GameObjectDefinitionMap::iterator definitionCursor = definitions.end();
    std::size_t soundCursor = 0;
};

SharedTables& Shared() {
    static SharedTables tables;
    return tables;
}

// Loaded by the game itself, not through the loader's requests: the citizens share one
// mesh hierarchy built on first use, the mothership is assembled from its parts, and the
// editor's robot never appears in play.
constexpr const char* kNeverRequested[] = {"AI-Ground-Citizen", "AI-Boss-Fly-Mothership",
                                           "RobotEditor"};

// Created at run time by spawns and by the player's robot, named in no script.
constexpr const char* kRunTimeTypes[] = {
    "AI-Ground-Tank",   "AI-Fly-Transport", "AI-Fly-Helicopter", "AI-Ground-CitizenCardboard",
    "AI-Fly-MediumUFO", "RobotHead",        "RobotBody",         "RobotLeftArm",
    "RobotRightArm",    "RobotLeg"};

// The boss's parts; endless mode has no boss.
constexpr const char* kBossTypes[] = {"AI-Boss-Fly-MothershipBase",
                                      "AI-Boss-Fly-MothershipTurret",
                                      "AI-Boss-Fly-MothershipHatch",
                                      "AI-Boss-Fly-MothershipBFG",
                                      "AI-Boss-Fly-UFO",
                                      "AI-Fly-UFOChild"};

// The breakable parameter's value for a component that does not break.
constexpr const char* kNotBreakable = "false";
// The breakable parameter's value for a component that breaks without a second mesh.
constexpr const char* kBreaksWithoutMesh = "true";

bool Contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

template <std::size_t N> void RequestMissing(const char* const (&types)[N]) {
    std::map<std::string, bool>& requested = Shared().requested;
    for (const char* type : types) {
        requested.try_emplace(type, true);
    }
}

// Skips a value of n bytes; reading into scratch keeps the stream's rule for short data.
void Skip(StreamMap& stream, u32 n) {
    u8 scratch[8];
    stream.Read(scratch, n);
}

} // namespace

ResourceLoaderProcess::ResourceLoaderProcess(GraphicsPreloader* graphics, std::string scriptPath,
                                             const GameObjectDefinitionMap* definitions)
    : m_graphics(graphics), m_scriptPath(std::move(scriptPath)) {
    const LoadingLock lock;
    SharedTables& shared = Shared();
    if (shared.definitions.empty() && definitions != nullptr && !definitions->empty()) {
        shared.definitions = *definitions;
        // The old cursor pointed into the empty copy: nothing was left to walk there.
        shared.definitionCursor = shared.definitions.end();
    }
}

bool ResourceLoaderProcess::IsLoaded(const std::string& scriptPath) {
    const LoadingLock lock;
    const std::map<std::string, LoadStatus>& status = Shared().status;
    const auto it = status.find(scriptPath);
    return it != status.end() && it->second.loaded;
}

std::map<std::string, bool> ResourceLoaderProcess::Requested() {
    const LoadingLock lock;
    return Shared().requested;
}

void ResourceLoaderProcess::ClearShared() {
    const LoadingLock lock;
    SharedTables& shared = Shared();
    shared.definitions.clear();
    shared.requested.clear();
    shared.status.clear();
    shared.sounds.clear();
    shared.definitionCursor = shared.definitions.end();
    shared.soundCursor = 0;
}

std::vector<std::string> ResourceLoaderProcess::ScanQuotedStrings(std::string_view text) {
    std::vector<std::string> found;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        for (std::size_t open = line.find('"'); open != std::string_view::npos;) {
            const std::size_t close = line.find('"', open + 1);
            found.emplace_back(line.substr(open + 1, close == std::string_view::npos
                                                         ? std::string_view::npos
                                                         : close - open - 1));
            open = close == std::string_view::npos ? close : line.find('"', close + 1);
        }
    }
    return found;
}

void ResourceLoaderProcess::Initialize() {
    const LoadingLock lock;
    SharedTables& shared = Shared();
    LoadStatus& status = shared.status[m_scriptPath];
    if (status.parsed) {
        return;
    }
    shared.requested.clear();

    u32 size = 0;
    const std::unique_ptr<u8[]> script = ReadLevelFile(m_levelsPackagePath, m_scriptPath, size);
    if (script != nullptr) {
        const std::string_view text(reinterpret_cast<const char*>(script.get()), size);
        for (std::string& name : ScanQuotedStrings(text)) {
            shared.requested[std::move(name)] = true;
        }
    }
    for (const char* type : kNeverRequested) {
        shared.requested[type] = false;
    }
    AddRunTimeTypes();
    ListSounds();

    shared.definitionCursor = shared.definitions.begin();
    shared.soundCursor = 0;
    status.parsed = true;
    sys::LogLine("ResourceLoader: Finished parsing " + m_scriptPath);
    sys::LogLine("ResourceLoader: Starting loading " + m_scriptPath);
}

// A menu creates nothing at run time; endless mode has no boss.
void ResourceLoaderProcess::AddRunTimeTypes() {
    if (Contains(m_scriptPath, "menu")) {
        return;
    }
    RequestMissing(kRunTimeTypes);
    if (!Contains(m_scriptPath, "endless")) {
        RequestMissing(kBossTypes);
    }
}

void ResourceLoaderProcess::ListSounds() {
    std::vector<std::string>& sounds = Shared().sounds;
    if (!sounds.empty()) {
        return;
    }
    for (const FilePackage::Entry& entry : FilePackage::Get(m_soundsPackagePath)->Entries()) {
        sounds.push_back(kSoundFolder +
                         std::string(entry.m_name, strnlen(entry.m_name, sizeof entry.m_name)));
    }
}

void ResourceLoaderProcess::Update(float dt) {
    // An exception must not leave the loader's thread: that would end the game. A step
    // that failed is logged and the next update goes on with the next step.
    try {
        const LoadingLock lock;
        Step();
    } catch (const std::exception& failure) {
        sys::LogLine("ResourceLoader: " + m_scriptPath + ": " + failure.what());
    }
}

void ResourceLoaderProcess::Step() {
    SharedTables& shared = Shared();
    if (!m_started) {
        m_started = true;
        Initialize();
    }

    if (shared.definitionCursor != shared.definitions.end()) {
        // The cursor moves on first, so a definition whose loading throws is not retried
        // for ever.
        const auto current = shared.definitionCursor++;
        const auto requested = shared.requested.find(current->first);
        if (requested != shared.requested.end() && requested->second) {
            requested->second = false;
            LoadComponents(current->second);
        }
        return;
    }

    if (shared.soundCursor < shared.sounds.size()) {
        Message<std::string> load(MSG_LOAD_SOUND, shared.sounds[shared.soundCursor++]);
        SendMessage(&load, kSoundProcessId);
        return;
    }

    LoadStatus& status = shared.status[m_scriptPath];
    if (!status.loaded) {
        status.loaded = true;
        sys::LogLine("ResourceLoader: Finished loading resources" + m_scriptPath);
    }
    killed = true;
}

void ResourceLoaderProcess::LoadComponents(ComponentDefinitionList& components) {
    if (m_graphics == nullptr) {
        return;
    }
    for (auto& [type, stream] : components) {
        if (type == ComponentType::Graphic) {
            LoadGraphic(stream);
        } else if (type == ComponentType::Sprite) {
            LoadSprite(stream);
        }
    }
}

// Parameters by position: mesh, bump map, specular map, cast shadow (1 byte), HDR
// multiplier (4), specular power (4), render red (1), animated (1), breakable. The
// mothership's tubes are written in this order too.
void ResourceLoaderProcess::LoadGraphic(StreamMap& stream) {
    std::string objectType;
    std::string componentType;
    std::string mesh;
    std::string bumpMap;
    std::string specularMap;
    bool animated = false;
    std::string breakable = kNotBreakable;

    stream.BeginRead();
    stream.ReadString(objectType);
    stream.ReadString(componentType);
    if (!stream.ReadString(mesh) || mesh.empty()) {
        return;
    }
    stream.ReadString(bumpMap);
    stream.ReadString(specularMap);
    Skip(stream, 1);
    Skip(stream, 4);
    Skip(stream, 4);
    Skip(stream, 1);
    stream.ReadBool(animated);
    stream.ReadString(breakable);

    if (animated) {
        m_graphics->PreloadAnimationMap(mesh);
        m_graphics->PreloadAnimatedMeshInstance(mesh);
    } else {
        m_graphics->PreloadStaticMesh(mesh);
    }
    if (breakable == kBreaksWithoutMesh) {
        m_graphics->PreloadAnimatedMesh(mesh);
    } else if (breakable != kNotBreakable && !breakable.empty()) {
        m_graphics->PreloadAnimatedMesh(breakable);
    }
}

void ResourceLoaderProcess::LoadSprite(StreamMap& stream) {
    std::string objectType;
    std::string componentType;
    std::string texture;
    stream.BeginRead();
    stream.ReadString(objectType);
    stream.ReadString(componentType);
    if (stream.ReadString(texture) && !texture.empty()) {
        m_graphics->PreloadTexture(texture);
    }
}
