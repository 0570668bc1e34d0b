#include "platform/video/clip.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/mathematics.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cmath>
#include <cstdio>

namespace video {

struct Clip::Format {
    AVFormatContext* context = nullptr;
    AVPacket* packet = av_packet_alloc();
    ~Format() {
        av_packet_free(&packet);
        avformat_close_input(&context);
    }
};

// The decoder of one video stream and its last picture in R, G, B.
struct Clip::StreamDecoder {
    int index = -1;
    AVRational rate{0, 1};
    i64 frameCount = 0;
    AVCodecContext* codec = nullptr;
    AVFrame* frame = av_frame_alloc();
    SwsContext* scaler = nullptr;
    std::vector<u8> rgb;
    i32 width = 0;
    i32 height = 0;
    // Pictures decoded since the start; the picture in rgb is number decoded - 1.
    i64 decoded = 0;
    bool inputEnded = false;
    bool ended = false;

    ~StreamDecoder() {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
    }

    void Restart() {
        if (codec != nullptr) {
            avcodec_flush_buffers(codec);
        }
        decoded = 0;
        inputEnded = false;
        ended = false;
    }

    void Convert() {
        width = frame->width;
        height = frame->height;
        scaler = sws_getCachedContext(scaler, width, height,
                                      static_cast<AVPixelFormat>(frame->format), width, height,
                                      AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (scaler == nullptr) {
            return;
        }
        rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
        u8* planes[4] = {rgb.data(), nullptr, nullptr, nullptr};
        int strides[4] = {width * 3, 0, 0, 0};
        sws_scale(scaler, frame->data, frame->linesize, 0, height, planes, strides);
    }
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
            auto decoder = std::make_unique<StreamDecoder>();
            decoder->index = static_cast<int>(i);
            decoder->rate =
                stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
            decoder->frameCount = stream->nb_frames;
            // A stream we cannot decode still has its length; it shows no pictures.
            if (const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id)) {
                decoder->codec = avcodec_alloc_context3(codec);
                if (avcodec_parameters_to_context(decoder->codec, stream->codecpar) < 0 ||
                    avcodec_open2(decoder->codec, codec, nullptr) < 0) {
                    avcodec_free_context(&decoder->codec);
                }
            }
            clip->m_decoders.push_back(std::move(decoder));
        }
    }
    result = OpenError::None;
    return clip;
}

Clip::~Clip() = default;

i32 Clip::TimeToSample(u32 stream, i32 timeMs) const {
    if (stream >= m_decoders.size() || timeMs < 0) {
        return -1;
    }
    const StreamDecoder& decoder = *m_decoders[stream];
    if (decoder.rate.num <= 0 || decoder.rate.den <= 0) {
        return timeMs <= m_video[stream].durationMs ? 0 : -1;
    }
    const i64 sample =
        av_rescale_rnd(timeMs, decoder.rate.num, 1000LL * decoder.rate.den, AV_ROUND_DOWN);
    if (decoder.frameCount > 0 && sample >= decoder.frameCount) {
        return -1;
    }
    return static_cast<i32>(sample);
}

bool Clip::DecodeNext(StreamDecoder& decoder) {
    AVFormatContext* context = m_format->context;
    AVPacket* packet = m_format->packet;
    while (!decoder.ended) {
        const int received = avcodec_receive_frame(decoder.codec, decoder.frame);
        if (received == 0) {
            ++decoder.decoded;
            return true;
        }
        if (received == AVERROR_EOF) {
            decoder.ended = true;
            break;
        }
        if (received != AVERROR(EAGAIN)) {
            decoder.ended = true;
            break;
        }
        if (decoder.inputEnded) {
            decoder.ended = true;
            break;
        }
        // Packets of other streams are passed over.
        const int read = av_read_frame(context, packet);
        if (read < 0) {
            decoder.inputEnded = true;
            avcodec_send_packet(decoder.codec, nullptr);
            continue;
        }
        if (packet->stream_index == decoder.index) {
            avcodec_send_packet(decoder.codec, packet);
        }
        av_packet_unref(packet);
    }
    return false;
}

Picture Clip::Frame(u32 stream, i32 sample) {
    if (stream >= m_decoders.size() || sample < 0 || m_decoders[stream]->codec == nullptr) {
        return {};
    }
    if (stream != m_active) {
        Rewind();
        m_active = stream;
    }
    StreamDecoder& decoder = *m_decoders[stream];
    // Only the picture asked for is converted; a stream that ends before it keeps the last
    // picture converted.
    while (decoder.decoded <= sample && DecodeNext(decoder)) {
        if (decoder.decoded > sample) {
            decoder.Convert();
        }
    }
    if (decoder.rgb.empty()) {
        return {};
    }
    return {decoder.rgb.data(), decoder.width, decoder.height};
}

void Clip::Rewind() {
    av_seek_frame(m_format->context, -1, 0, AVSEEK_FLAG_BACKWARD);
    for (auto& decoder : m_decoders) {
        decoder->Restart();
    }
    m_active = 0;
}

} // namespace video
