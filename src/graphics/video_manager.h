#pragma once
// Short movies (logos, the menu's intro screen, the film leader, the credits) played into a
// texture that the renderer draws on a screen quad. Videos are loaded, restarted, stopped
// and unloaded by file name; the sound of a movie is not played.

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "core/asset_paths.h"
#include "core/memory_allocator.h"
#include "core/types.h"

namespace gfx {
class Device;
class Texture;
} // namespace gfx

namespace video {
class Decoder;
}

class Video : public Allocator<Video> {
  public:
    struct Stream {
        i32 durationMs = 0;
    };

    Video();
    ~Video();
    Video(const Video&) = delete;
    Video& operator=(const Video&) = delete;

    // Opens the file and reads its streams; false after a log line when it cannot.
    bool Load(const char* fileName, gfx::Device* targetDevice);
    // Advances a playing video; past the end of a stream the next one starts, past the last
    // the video has finished. A new picture is fetched only when the time reaches another
    // one, and goes into the one frame texture in place.
    void Update(float dt);
    // Closes the file and forgets its streams.
    void Release();

    bool IsFinished() const { return finished; }
    void Stop() { playing = false; }
    void TogglePlaying() { playing = !playing; }

    gfx::Device* device = nullptr;
    std::unique_ptr<video::Decoder> file;
    std::string name;
    u32 audioStreams = 0;
    std::vector<Stream> videoStreams;
    // The current frame; null until the first frame.
    gfx::Texture* texture = nullptr;
    // Pictures fetched from the file, for the tests of when decoding happens.
    u32 framesFetched = 0;
    i32 timeMs = 0;
    bool playing = false;
    bool finished = false;
    u32 streamIndex = 0;
    i32 lastFrame = -1;

  private:
    // Made on the first picture and reused for every later one.
    std::unique_ptr<gfx::Texture> m_frame_texture;
};

class VideoManager {
  public:
    static constexpr const char* kLogoVideo = asset_path::kLogoVideo;

    static VideoManager* Instance();
    // Deletes the instance; the next Instance makes a new one.
    static void DestroyInstance();

    virtual ~VideoManager();

    // The loaded video of this name, else a newly loaded one, or null when it cannot load.
    // A new video does not play until Restart.
    Video* Load(const char* name, gfx::Device* device);
    // Rewinds the file too, so the next picture is decoded from the start.
    void Restart(const char* name);
    // Pauses without rewinding.
    void Stop(const char* name);
    void ToggleLogoVideo();
    gfx::Texture* GetTexture(const char* name) const;
    // Advances every video; true while at least one has not finished.
    bool Update(float dt);
    // True when a video of this name is loaded and has not finished.
    bool IsUnfinished(const char* name) const;
    void Unload(const char* name);
    // Closes every file before the device is reset, and opens them again after it.
    void ReleaseAll();
    void ReloadAll(gfx::Device* device);

    const std::list<Video*>& Videos() const { return m_videos; }

  private:
    VideoManager() = default;
    // Load keeps names unique, so there is at most one.
    Video* Find(const char* name) const;

    std::list<Video*> m_videos;
};
