#include "tests/support/test_sounds.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "base/byte_order.h"

namespace kvtest {

std::vector<std::int16_t> RampPcm(std::uint32_t frames, std::uint16_t channels, std::int16_t step) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames) * channels);
    for (std::uint32_t i = 0; i < frames; ++i) {
        for (std::uint16_t c = 0; c < channels; ++c) {
            samples[static_cast<std::size_t>(i) * channels + c] =
                static_cast<std::int16_t>(static_cast<std::uint16_t>(i * step + c * 1000 + 1));
        }
    }
    return samples;
}

std::vector<std::int16_t> SinePcm(std::uint32_t frames, std::uint16_t channels, std::uint32_t rate, double hz,
                                  double peak) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames) * channels);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto value = static_cast<std::int16_t>(std::lround(peak * std::sin(2 * M_PI * hz * i / rate)));
        for (std::uint16_t c = 0; c < channels; ++c) samples[static_cast<std::size_t>(i) * channels + c] = value;
    }
    return samples;
}

std::vector<std::uint8_t> PcmBytes(const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(samples[i]);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(samples[i]) >> 8);
    }
    return bytes;
}

std::vector<std::uint8_t> MakeWav(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                                  const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out;
    out.reserve(46 + data.size());
    auto text = [&](const char* id) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(id[i]));
    };
    auto le16 = [&](std::uint16_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    const std::uint16_t block = static_cast<std::uint16_t>(channels * bits / 8);
    text("RIFF");
    kv::AppendLe32(out, static_cast<std::uint32_t>(4 + 24 + 8 + data.size() + (data.size() & 1)));
    text("WAVE");
    text("fmt ");
    kv::AppendLe32(out, 16);
    le16(1);
    le16(channels);
    kv::AppendLe32(out, rate);
    kv::AppendLe32(out, rate * block);
    le16(block);
    le16(bits);
    text("data");
    kv::AppendLe32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1) out.push_back(0);
    return out;
}

std::vector<std::uint8_t> MakeWav16(std::uint16_t channels, std::uint32_t rate,
                                    const std::vector<std::int16_t>& samples) {
    return MakeWav(channels, rate, 16, PcmBytes(samples));
}

std::vector<std::uint8_t> EncodeOgg(std::uint16_t channels, std::uint32_t rate,
                                    const std::vector<std::int16_t>& samples) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, static_cast<long>(rate), 0.6f) != 0) std::abort();
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    std::vector<std::uint8_t> out;
    ogg_page page;
    auto appendPage = [&] {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    while (ogg_stream_flush(&stream, &page) != 0) appendPage();

    const std::size_t frames = samples.size() / channels;
    std::size_t done = 0;
    bool finished = false;
    while (!finished) {
        const std::size_t chunk = std::min<std::size_t>(1024, frames - done);
        if (chunk == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(chunk));
            for (std::size_t i = 0; i < chunk; ++i) {
                for (std::uint16_t c = 0; c < channels; ++c) {
                    buffer[c][i] = samples[(done + i) * channels + c] / 32768.0f;
                }
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(chunk));
            done += chunk;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    appendPage();
                    if (ogg_page_eos(&page)) finished = true;
                }
            }
        }
        if (chunk == 0) finished = true;
    }
    while (ogg_stream_flush(&stream, &page) != 0) appendPage();
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

}  // namespace kvtest
