#pragma once
// A video file opened for playback: its audio and video streams in file order, each video
// stream with its length, and its pictures decoded on demand as R, G, B bytes.
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

// One decoded picture: width x height pixels of R, G, B bytes, rows from the top down.
struct Picture {
    const u8* rgb = nullptr;
    i32 width = 0;
    i32 height = 0;
};

// What playback needs of a video file; Clip reads real files, tests give their own.
class Decoder {
  public:
    virtual ~Decoder() = default;
    virtual const std::vector<VideoStream>& VideoStreams() const = 0;
    virtual u32 AudioStreamCount() const = 0;
    // The picture index shown at timeMs of video stream `stream`; -1 past its last picture or
    // for a stream that is not there.
    virtual i32 TimeToSample(u32 stream, i32 timeMs) const = 0;
    // Decodes forward to picture `sample` of `stream`. Pictures are never decoded backwards:
    // asking for an earlier one than the last gives the last one again until Rewind. Null
    // when the stream has no picture up to there.
    virtual Picture Frame(u32 stream, i32 sample) = 0;
    // Back to the start of every stream.
    virtual void Rewind() = 0;
};

class Clip : public Decoder {
  public:
    // Null on failure, with the reason in *error when given.
    static std::unique_ptr<Clip> Open(const std::string& path, OpenError* error = nullptr);
    ~Clip() override;
    Clip(const Clip&) = delete;
    Clip& operator=(const Clip&) = delete;

    const std::vector<VideoStream>& VideoStreams() const override { return m_video; }
    u32 AudioStreamCount() const override { return m_audio_count; }
    i32 TimeToSample(u32 stream, i32 timeMs) const override;
    Picture Frame(u32 stream, i32 sample) override;
    void Rewind() override;

  private:
    Clip() = default;
    struct Format;
    struct StreamDecoder;
    // Decodes the next picture of the stream being played; false at its end.
    bool DecodeNext(StreamDecoder& decoder);

    std::unique_ptr<Format> m_format;
    std::vector<VideoStream> m_video;
    std::vector<std::unique_ptr<StreamDecoder>> m_decoders;
    // The stream being decoded; the file is read from its start again to change streams.
    u32 m_active = 0;
    u32 m_audio_count = 0;
};

} // namespace video
