// The semantic tables: which generic attribute a vertex input semantic reads, and the name
// both stages give a varying semantic.
#include "graphics/gl/CGSemantics.h"

#include "graphics/gl/CGTranslator.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace Nimbrel::Graphics {

std::string CGSemantics::Upper(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

void CGSemantics::Split(const std::string& semantic, std::string& base, int& number)
{
    size_t end = semantic.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(semantic[end - 1])))
        --end;
    base = semantic.substr(0, end);
    size_t digits = semantic.size() - end;
    number = digits > 0 && digits <= 3 ? std::stoi(semantic.substr(end)) : -1;
    if (digits > 3)
        base = semantic;
}

int CGTranslator::AttributeIndex(const std::string& semantic)
{
    std::string base;
    int number;
    CGSemantics::Split(CGSemantics::Upper(semantic), base, number);
    if (base == "ATTR")
        return number >= 0 && number <= 15 ? number : -1;
    if (base == "TEXCOORD")
        return number <= 7 ? 8 + std::max(number, 0) : -1;
    if (base == "COLOR")
        return number <= 1 ? 3 + std::max(number, 0) : -1;
    static const std::map<std::string, int> conventional = {
        {"POSITION", 0}, {"SV_POSITION", 0}, {"BLENDWEIGHT", 1}, {"NORMAL", 2},  {"DIFFUSE", 3},
        {"SPECULAR", 4}, {"FOGCOORD", 5},    {"FOG", 5},         {"PSIZE", 6},   {"BLENDINDICES", 7},
        {"TANGENT", 14}, {"BINORMAL", 15},
    };
    auto found = conventional.find(base);
    if (found == conventional.end() || number > 0)
        return -1;
    return found->second;
}

std::string CGTranslator::VaryingSemantic(const std::string& semantic)
{
    std::string base;
    int number;
    std::string upper = CGSemantics::Upper(semantic);
    CGSemantics::Split(upper, base, number);
    if (base == "COLOR" || base == "COL")
        return "COLOR" + std::to_string(std::max(number, 0));
    if (base == "DIFFUSE" && number < 0)
        return "COLOR0";
    if (base == "SPECULAR" && number < 0)
        return "COLOR1";
    if (base == "TEXCOORD" || base == "TEX")
        return "TEXCOORD" + std::to_string(std::max(number, 0));
    if (upper == "FOGC" || upper == "FOGP")
        return "FOG";
    return upper;
}

}  // namespace Nimbrel::Graphics
