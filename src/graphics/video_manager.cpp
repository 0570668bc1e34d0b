#include "graphics/video_manager.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "platform/gfx/device.h"
#include "platform/gfx/texture.h"
#include "platform/system/log.h"
#include "platform/video/clip.h"

namespace {

VideoManager* g_video_manager = nullptr;

} // namespace

Video::Video() = default;

Video::~Video() {
    Release();
}

bool Video::Load(const char* fileName, gfx::Device* targetDevice) {
    device = targetDevice;
    video::OpenError error = video::OpenError::None;
    file = video::Clip::Open(fileName, &error);
    if (file == nullptr) {
        if (error == video::OpenError::BadFormat) {
            sys::Log() << "Video (" << fileName << ") could not be read or has a bad format";
        } else if (error == video::OpenError::NotFound) {
            sys::Log() << "Video filename " << fileName << " was not found";
        }
        return false;
    }
    audioStreams = file->AudioStreamCount();
    videoStreams.clear();
    for (const video::VideoStream& stream : file->VideoStreams()) {
        videoStreams.push_back({stream.durationMs});
    }
    name = fileName;
    return true;
}

void Video::Update(float dt) {
    if (!playing) {
        return;
    }
    timeMs += static_cast<i32>(std::trunc(dt * 1000.0));
    if (streamIndex >= videoStreams.size() || videoStreams[streamIndex].durationMs < timeMs) {
        ++streamIndex;
        timeMs = 0;
        if (streamIndex >= videoStreams.size()) {
            playing = false;
            finished = true;
            streamIndex = 0;
        }
        return;
    }
    if (file == nullptr) {
        return;
    }
    const i32 sample = file->TimeToSample(streamIndex, timeMs);
    if (sample == lastFrame || sample == -1) {
        return;
    }
    lastFrame = sample;
    ++framesFetched;
    const video::Picture picture = file->Frame(streamIndex, sample);
    // Pixels go to GL only on the thread that draws.
    if (picture.rgb == nullptr || device == nullptr || !device->OnRenderThread()) {
        return;
    }
    if (m_frame_texture == nullptr) {
        m_frame_texture = gfx::Texture::CreateStreaming(picture.width, picture.height);
    }
    m_frame_texture->UpdateRgb(picture.rgb, picture.width, picture.height);
    texture = m_frame_texture.get();
}

void Video::Release() {
    file.reset();
    texture = nullptr;
    m_frame_texture.reset();
    audioStreams = 0;
    videoStreams.clear();
}

VideoManager* VideoManager::Instance() {
    if (g_video_manager == nullptr) {
        g_video_manager = new VideoManager;
    }
    return g_video_manager;
}

void VideoManager::DestroyInstance() {
    delete g_video_manager;
    g_video_manager = nullptr;
}

VideoManager::~VideoManager() {
    for (Video* v : m_videos) {
        delete v;
    }
    m_videos.clear();
}

Video* VideoManager::Find(const char* name) const {
    const auto found = std::find_if(m_videos.begin(), m_videos.end(),
                                    [name](const Video* v) { return v->name == name; });
    return found == m_videos.end() ? nullptr : *found;
}

Video* VideoManager::Load(const char* name, gfx::Device* device) {
    if (Video* loaded = Find(name)) {
        return loaded;
    }
    Video* v = new Video;
    if (!v->Load(name, device)) {
        sys::LogLine("Video failed to load");
        delete v;
        return nullptr;
    }
    m_videos.push_back(v);
    return v;
}

void VideoManager::Restart(const char* name) {
    if (Video* v = Find(name)) {
        v->timeMs = 0;
        v->playing = true;
        v->finished = false;
        v->streamIndex = 0;
        v->lastFrame = -1;
        if (v->file != nullptr) {
            v->file->Rewind();
        }
    }
}

void VideoManager::Stop(const char* name) {
    if (Video* v = Find(name)) {
        v->Stop();
    }
}

void VideoManager::ToggleLogoVideo() {
    if (Video* v = Find(kLogoVideo)) {
        v->TogglePlaying();
    }
}

gfx::Texture* VideoManager::GetTexture(const char* name) const {
    const Video* v = Find(name);
    return v != nullptr ? v->texture : nullptr;
}

bool VideoManager::Update(float dt) {
    bool unfinished = false;
    for (Video* v : m_videos) {
        v->Update(dt);
        unfinished = unfinished || !v->IsFinished();
    }
    return unfinished;
}

bool VideoManager::IsUnfinished(const char* name) const {
    const Video* v = Find(name);
    return v != nullptr && !v->IsFinished();
}

void VideoManager::Unload(const char* name) {
    if (Video* v = Find(name)) {
        m_videos.remove(v);
        delete v;
    }
}

void VideoManager::ReleaseAll() {
    for (Video* v : m_videos) {
        v->Release();
    }
}

void VideoManager::ReloadAll(gfx::Device* device) {
    for (Video* v : m_videos) {
        const std::string name = v->name;
        v->Load(name.c_str(), device);
    }
}
