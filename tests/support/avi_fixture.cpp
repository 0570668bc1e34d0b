#include "support/avi_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

extern "C" {
#include <libavformat/avformat.h>
}

namespace avi_fixture {

unsigned char FrameByte(int stream, int frame) {
    return static_cast<unsigned char>(20 + stream * 100 + frame * 7);
}

bool WriteTinyAvi(const std::filesystem::path& path, const std::vector<int>& frameCounts, int fps) {
    std::filesystem::create_directories(path.parent_path());
    AVFormatContext* out = nullptr;
    if (avformat_alloc_output_context2(&out, nullptr, "avi", path.c_str()) < 0) {
        ADD_FAILURE() << "no AVI muxer";
        return false;
    }
    constexpr int kSide = 2;
    constexpr int kFrameBytes = kSide * 8; // rows of 2 BGR pixels padded to 4 bytes
    for (std::size_t i = 0; i < frameCounts.size(); ++i) {
        AVStream* stream = avformat_new_stream(out, nullptr);
        stream->time_base = {1, fps};
        stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
        stream->codecpar->codec_id = AV_CODEC_ID_RAWVIDEO;
        stream->codecpar->width = kSide;
        stream->codecpar->height = kSide;
        stream->codecpar->format = AV_PIX_FMT_BGR24;
        stream->codecpar->bits_per_coded_sample = 24;
    }
    bool ok = avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 &&
              avformat_write_header(out, nullptr) >= 0;
    for (std::size_t s = 0; ok && s < frameCounts.size(); ++s) {
        for (int frame = 0; ok && frame < frameCounts[s]; ++frame) {
            AVPacket* packet = av_packet_alloc();
            ok = av_new_packet(packet, kFrameBytes) >= 0;
            if (ok) {
                std::memset(packet->data, FrameByte(static_cast<int>(s), frame), kFrameBytes);
                packet->stream_index = static_cast<int>(s);
                packet->pts = frame;
                packet->dts = frame;
                packet->duration = 1;
                packet->flags |= AV_PKT_FLAG_KEY;
                av_packet_rescale_ts(packet, {1, fps}, out->streams[s]->time_base);
                ok = av_interleaved_write_frame(out, packet) >= 0;
            }
            av_packet_free(&packet);
        }
    }
    ok = ok && av_write_trailer(out) >= 0;
    if (out->pb != nullptr) {
        avio_closep(&out->pb);
    }
    avformat_free_context(out);
    if (!ok) {
        ADD_FAILURE() << "cannot write " << path;
    }
    return ok;
}

} // namespace avi_fixture
