#pragma once
// A video file opened for playback: its audio and video streams in file order, each video
// stream with its length. Decoding is not done here yet.
#include <memory>
#include <string>
#include <vector>

#include "platform/system/types.h"

namespace video {

enum class OpenError {
    None,
    // The file is not there or cannot be opened.
    NotFound,
    // It opens but is not a video file we can read.
    BadFormat,
};

struct VideoStream {
    // Start plus length of the stream, in milliseconds.
    i32 durationMs = 0;
};

class Clip {
  public:
    // Null on failure, with the reason in *error when given.
    static std::unique_ptr<Clip> Open(const std::string& path, OpenError* error = nullptr);
    ~Clip();
    Clip(const Clip&) = delete;
    Clip& operator=(const Clip&) = delete;

    const std::vector<VideoStream>& VideoStreams() const { return m_video; }
    u32 AudioStreamCount() const { return m_audio_count; }

  private:
    Clip() = default;

    struct Format;
    std::unique_ptr<Format> m_format;
    std::vector<VideoStream> m_video;
    u32 m_audio_count = 0;
};

} // namespace video
