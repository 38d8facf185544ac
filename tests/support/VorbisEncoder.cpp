#include "support/VorbisEncoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <stdexcept>

namespace Nimbrel::Testing {

std::vector<uint8_t> EncodeVorbis(const std::vector<float>& interleaved, int channels, int rate, float quality,
                                  int pageBytes)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
        vorbis_info_clear(&info);
        throw std::runtime_error("EncodeVorbis: unsupported channel count or rate");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 4711);

    std::vector<uint8_t> file;
    ogg_page page;
    auto writePage = [&] {
        file.insert(file.end(), page.header, page.header + page.header_len);
        file.insert(file.end(), page.body, page.body + page.body_len);
    };

    ogg_packet identification, comments, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&stream, &identification);
    ogg_stream_packetin(&stream, &comments);
    ogg_stream_packetin(&stream, &codebooks);
    while (ogg_stream_flush(&stream, &page))
        writePage();

    auto drain = [&] {
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (pageBytes > 0 ? ogg_stream_pageout_fill(&stream, &page, pageBytes) : ogg_stream_pageout(&stream, &page))
                    writePage();
            }
        }
    };
    const int frames = static_cast<int>(interleaved.size()) / channels;
    for (int offset = 0; offset < frames;) {
        const int count = std::min(1024, frames - offset);
        float** buffer = vorbis_analysis_buffer(&dsp, count);
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < channels; ++c)
                buffer[c][i] = interleaved[static_cast<size_t>(offset + i) * channels + c];
        vorbis_analysis_wrote(&dsp, count);
        drain();
        offset += count;
    }
    vorbis_analysis_wrote(&dsp, 0);
    drain();
    while (ogg_stream_flush(&stream, &page))
        writePage();

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return file;
}

}  // namespace Nimbrel::Testing
