#pragma once
// CGSemantics: how Cg semantics are spelled and split. The tables that give them meaning are
// CGTranslator::AttributeIndex and CGTranslator::VaryingSemantic (CGSemantics.cpp).

#include <string>

namespace Nimbrel::Graphics::CGSemantics {

// The text in upper case (semantics are case-insensitive).
std::string Upper(const std::string& text);

// Splits a semantic into its name and trailing number ("TEXCOORD3" gives "TEXCOORD" and 3,
// "NORMAL" gives "NORMAL" and -1). More than three digits are all part of the name.
void Split(const std::string& semantic, std::string& base, int& number);

}  // namespace Nimbrel::Graphics::CGSemantics
