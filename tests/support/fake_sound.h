#pragma once
// A fake sound process: it answers instance requests at once, as the real one does, and its
// instances are records of what was done with them through SoundControl. A path in
// m_missing gets a null answer.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/message.h"
#include "core/message_handler.h"
#include "core/message_router.h"
#include "core/message_types.h"
#include "game/sound_control.h"

namespace fake_sound {

struct FakeInstance {
    std::string path;
    f32 volume = 0.0f;
    bool loop = false;
    bool playing = false;
    bool paused = false;
    bool stopped = false;
    u32 group = 0;
    bool persistent = false;
    bool finished = false;
    bool release = false;
    int plays = 0;
};

class FakeSound : public MessageHandler, public SoundControl {
  public:
    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        if (msg->type == MSG_LOAD_SOUND_STREAM) {
            m_loaded.push_back(msg->ValueOr<std::string>(""));
            return;
        }
        if (msg->type != MSG_GET_SOUND_INSTANCE && msg->type != MSG_GET_SOUND_STREAM_INSTANCE) {
            return;
        }
        const std::string path = msg->ValueOr<std::string>("");
        SoundInstance* answer = nullptr;
        if (m_missing.count(path) == 0) {
            m_instances.push_back(std::make_unique<FakeInstance>());
            m_instances.back()->path = path;
            answer = Handle(m_instances.back().get());
        }
        Message<SoundInstance*> reply(MSG_SOUND_INSTANCE, answer);
        router->SendMessage(&reply, fromId, id);
    }

    static SoundInstance* Handle(FakeInstance* fake) {
        return reinterpret_cast<SoundInstance*>(fake);
    }
    static FakeInstance* Of(SoundInstance* instance) {
        return reinterpret_cast<FakeInstance*>(instance);
    }
    static const FakeInstance* Of(const SoundInstance* instance) {
        return reinterpret_cast<const FakeInstance*>(instance);
    }

    void Play(SoundInstance* i, f32 volume, bool loop) override {
        Of(i)->volume = volume;
        Of(i)->loop = loop;
        Of(i)->playing = true;
        Of(i)->plays += 1;
    }
    void Pause(SoundInstance* i) override { Of(i)->paused = true; }
    void Resume(SoundInstance* i) override { Of(i)->paused = false; }
    void Stop(SoundInstance* i) override {
        Of(i)->playing = false;
        Of(i)->stopped = true;
    }
    void SetGroup(SoundInstance* i, u32 group) override { Of(i)->group = group; }
    void MarkPersistent(SoundInstance* i) override {
        Of(i)->persistent = true;
        Of(i)->finished = false;
        Of(i)->release = false;
    }
    bool IsFinished(const SoundInstance* i) const override {
        return Of(i)->persistent && Of(i)->finished;
    }
    void MarkRelease(SoundInstance* i) override { Of(i)->release = true; }
    void SetVolume(SoundInstance* i, f32 volume) override { Of(i)->volume = volume; }

    FakeInstance* Last() { return m_instances.empty() ? nullptr : m_instances.back().get(); }

    std::vector<std::unique_ptr<FakeInstance>> m_instances;
    std::vector<std::string> m_loaded;
    std::map<std::string, bool> m_missing;
};

} // namespace fake_sound
