#pragma once
// The demo's texture: a 256 × 256 RGB studio backdrop (a warm horizon under a cool sky with
// soft light panels), which the scene program reads as a reflection map. Written as PNG with
// libpng at a fixed compression level, so the bytes are the same on every run.

#include <cstdint>
#include <vector>

namespace demogen {

std::vector<uint8_t> MakeTexturePng();

}  // namespace demogen
