#pragma once
// A resource loader wired as a level state wires it: bound at a router beside a stand-in
// sound process, with a renderer stand-in that records what it is asked to load, and with
// its levels and sounds packages made by kzpack in a scratch folder.
#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "content/game_object_definition_map.h"
#include "content/graphics_preloader.h"
#include "content/resource_loader_process.h"
#include "core/message.h"
#include "core/message_router.h"
#include "support/package_fixture.h"

namespace resource_loader_test {

// Every call as "kind:name", in call order, and the thread of the calls.
class RecordingPreloader : public GraphicsPreloader {
  public:
    // How long each call keeps its thread busy, as a slow mesh would.
    std::chrono::microseconds workPerCall{0};
    // A file whose loading throws.
    std::string failOn;

    void PreloadStaticMesh(const std::string& name) override { Record("static", name); }
    void PreloadAnimatedMesh(const std::string& name) override { Record("animated", name); }
    void PreloadAnimatedMeshInstance(const std::string& name) override { Record("instance", name); }
    void PreloadAnimationMap(const std::string& name) override { Record("map", name); }
    void PreloadTexture(const std::string& name) override { Record("texture", name); }

    std::vector<std::string> Calls() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }

    std::thread::id Thread() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_thread;
    }

  private:
    void Record(const char* kind, const std::string& name) {
        const auto busyUntil = std::chrono::steady_clock::now() + workPerCall;
        while (std::chrono::steady_clock::now() < busyUntil) {
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(std::string(kind) + ":" + name);
        m_thread = std::this_thread::get_id();
        if (name == failOn) {
            throw std::runtime_error("cannot decode " + name);
        }
    }

    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::thread::id m_thread;
};

// The paths of the MSG_LOAD_SOUND messages that reach it.
class SoundRecorder : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        if (msg->type == MSG_LOAD_SOUND) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_paths.push_back(msg->ValueOr<std::string>("<no path>"));
        }
    }

    std::vector<std::string> Paths() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_paths;
    }

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_paths;
};

// A game_objects.xml document holding the given objects.
inline std::string Document(const std::string& objects) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<GameObjects>" + objects +
           "</GameObjects>";
}

// A "Graphic" component with the nine parameters in their stream order.
inline std::string GraphicXml(const std::string& mesh, bool animated,
                              const std::string& breakable = "false") {
    return "<Component type=\"Graphic\">"
           "<Param name=\"Mesh\" type=\"string\" value=\"" +
           mesh +
           "\"/>"
           "<Param name=\"Bump Map\" type=\"string\" value=\"bump.dds\"/>"
           "<Param name=\"Specular Map\" type=\"string\" value=\"\"/>"
           "<Param name=\"Cast Shadow\" type=\"bool\" value=\"true\"/>"
           "<Param name=\"HDR Multiplier\" type=\"float\" value=\"1.5\"/>"
           "<Param name=\"Specular Power\" type=\"float\" value=\"16\"/>"
           "<Param name=\"Render Red\" type=\"bool\" value=\"true\"/>"
           "<Param name=\"Animated\" type=\"bool\" value=\"" +
           (animated ? "true" : "false") +
           "\"/>"
           "<Param name=\"Breakable\" type=\"string\" value=\"" +
           breakable + "\"/></Component>";
}

inline std::string SpriteXml(const std::string& texture) {
    return "<Component type=\"Sprite\"><Param name=\"Texture\" type=\"string\" value=\"" + texture +
           "\"/></Component>";
}

inline std::string ObjectXml(const std::string& type, const std::string& components) {
    return "<GameObject name=\"" + type + "\">" + components + "</GameObject>";
}

inline GameObjectDefinitionMap Definitions(const std::string& objects) {
    GameObjectDefinitionMap definitions;
    const std::string text = Document(objects);
    EXPECT_TRUE(ReadGameObjectDefinitions(text.data(), text.size(), definitions));
    return definitions;
}

class ResourceLoaderTest : public testing::Test {
  protected:
    static constexpr const char* kLevel = "./assets/levels/ubergold.lua";

    ResourceLoaderTest() {
        ResourceLoaderProcess::ClearShared();
        m_sounds.Bind(&m_router, ResourceLoaderProcess::kSoundProcessId);
    }
    ~ResourceLoaderTest() override { ResourceLoaderProcess::ClearShared(); }

    // The levels package holds the scripts, the sounds package the named sound files.
    void MakePackages(const std::map<std::string, std::string>& scripts,
                      const std::vector<std::string>& sounds = {}) {
        m_levelsPackage =
            package_fixture::MakePackage(m_scratch.Path(), "levels", scripts).string();
        std::map<std::string, std::string> soundFiles;
        for (const std::string& name : sounds) {
            soundFiles[name] = "RIFF";
        }
        if (soundFiles.empty()) {
            soundFiles["readme.txt"] = "no sounds";
        }
        m_soundsPackage =
            package_fixture::MakePackage(m_scratch.Path(), "sounds", soundFiles).string();
    }

    // Bound at the given router (the fixture's by default); loads through the recording
    // renderer unless given another.
    boost::shared_ptr<ResourceLoaderProcess> MakeLoader(const std::string& path,
                                                        const GameObjectDefinitionMap* defs,
                                                        GraphicsPreloader* graphics = nullptr,
                                                        MessageRouter* router = nullptr) {
        boost::shared_ptr<ResourceLoaderProcess> loader(
            new ResourceLoaderProcess(graphics != nullptr ? graphics : &m_graphics, path, defs));
        loader->m_levelsPackagePath = m_levelsPackage;
        loader->m_soundsPackagePath = m_soundsPackage;
        loader->Bind(router != nullptr ? router : &m_router, ResourceLoaderProcess::kHandlerId);
        return loader;
    }

    // Updates until the loader kills itself; returns the number of updates (at most limit)
    // and what they wrote.
    int RunToEnd(ResourceLoaderProcess& loader, std::string* log = nullptr, int limit = 10000) {
        testing::internal::CaptureStdout();
        int updates = 0;
        while (!loader.killed && updates < limit) {
            loader.Update(0.25f);
            ++updates;
        }
        const std::string out = testing::internal::GetCapturedStdout();
        if (log != nullptr) {
            *log = out;
        }
        return updates;
    }

    package_fixture::ScratchFolder m_scratch;
    std::string m_levelsPackage;
    std::string m_soundsPackage;
    MessageRouter m_router;
    RecordingPreloader m_graphics;
    SoundRecorder m_sounds;
};

} // namespace resource_loader_test
