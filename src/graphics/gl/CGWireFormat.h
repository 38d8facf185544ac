#pragma once
// CGWireFormat: requests and results as they cross to and from the compiler process.
// Integers travel as 64 bits, floats as 32, text as a 64-bit length and its bytes, all
// little-endian. A message that is short, too long or holds a value out of range is refused
// whole. Results use CGTranslator::Serialize and CGTranslator::Deserialize (CGWireFormat.cpp).

#include "graphics/gl/CGTranslator.h"

#include <string>

namespace Nimbrel::Graphics::CGWireFormat {

std::string WriteRequest(const CGTranslator::Request& request);
// False when the bytes are not one whole request.
bool ReadRequest(const std::string& bytes, CGTranslator::Request& request);

}  // namespace Nimbrel::Graphics::CGWireFormat
