#pragma once
// Encodes interleaved float samples as an Ogg Vorbis file in memory with libvorbisenc, for
// the tests that need Ogg fixtures. The encoder records the exact length, so the decoded file
// has exactly as many frames as were given. Audio pages are cut at about 4 KB, or at about
// `pageBytes` when that is given (small pages give small files many pages to break).

#include <cstdint>
#include <vector>

namespace Nimbrel::Testing {

std::vector<uint8_t> EncodeVorbis(const std::vector<float>& interleaved, int channels, int rate,
                                  float quality = 0.4f, int pageBytes = 0);

}  // namespace Nimbrel::Testing
