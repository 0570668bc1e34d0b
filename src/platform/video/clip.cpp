#include "platform/video/clip.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

#include <cerrno>
#include <cstdio>

namespace video {

struct Clip::Format {
    AVFormatContext* context = nullptr;
    ~Format() { avformat_close_input(&context); }
};

namespace {

i32 DurationMs(const AVFormatContext* context, const AVStream* stream) {
    const AVRational ms{1, 1000};
    if (stream->duration != AV_NOPTS_VALUE) {
        const i64 start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
        return static_cast<i32>(av_rescale_q(start + stream->duration, stream->time_base, ms));
    }
    if (context->duration != AV_NOPTS_VALUE) {
        return static_cast<i32>(av_rescale_q(context->duration, AV_TIME_BASE_Q, ms));
    }
    return 0;
}

} // namespace

std::unique_ptr<Clip> Clip::Open(const std::string& path, OpenError* error) {
    OpenError ignored = OpenError::None;
    OpenError& result = error != nullptr ? *error : ignored;

    // FFmpeg says "invalid data" both for a missing file on some protocols and for junk, so
    // whether the file is there at all is asked first.
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
    } else {
        result = OpenError::NotFound;
        return nullptr;
    }

    std::unique_ptr<Clip> clip(new Clip);
    clip->m_format = std::make_unique<Format>();
    av_log_set_level(AV_LOG_ERROR);
    if (avformat_open_input(&clip->m_format->context, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(clip->m_format->context, nullptr) < 0) {
        result = OpenError::BadFormat;
        return nullptr;
    }
    const AVFormatContext* context = clip->m_format->context;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            ++clip->m_audio_count;
        } else if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            clip->m_video.push_back({DurationMs(context, stream)});
        }
    }
    result = OpenError::None;
    return clip;
}

Clip::~Clip() = default;

} // namespace video
