#include "utils/loaders/collada/TexturePath.h"

#include <string>

namespace Nimbrel::Utils::Loaders::COLLADA {

namespace collada_texture_path_detail {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string Decoded(const String& path)
{
    std::string text(path.CStr(), size_t(path.Length()));
    if (text.compare(0, 5, "file:") == 0) {
        text.erase(0, 5);
        // "file:///C:/x" and "file:///x" name absolute paths; "file://x" a path relative to the
        // document in practice.
        if (text.compare(0, 3, "///") == 0)
            text.erase(0, text.size() > 5 && text[4] == ':' ? 3 : 2);
        else if (text.compare(0, 2, "//") == 0)
            text.erase(0, 2);
    }
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += char(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += c == '\\' ? '/' : c;
        }
    }
    return out;
}

bool IsAbsolute(const std::string& path)
{
    return (!path.empty() && path[0] == '/') || (path.size() >= 2 && path[1] == ':');
}

}  // namespace collada_texture_path_detail

void TexturePathCandidates(const String& path, const String& folder, Array<String>& candidates)
{
    std::string decoded = collada_texture_path_detail::Decoded(path);
    while (decoded.compare(0, 2, "./") == 0)
        decoded.erase(0, 2);
    if (!collada_texture_path_detail::IsAbsolute(decoded)) {
        candidates.Add(folder + String(decoded.c_str(), int(decoded.size())));
        return;
    }
    candidates.Add(String(decoded.c_str(), int(decoded.size())));
    size_t slash = decoded.find_last_of('/');
    std::string name = slash == std::string::npos ? decoded.substr(2) : decoded.substr(slash + 1);
    if (!name.empty())
        candidates.Add(folder + String(name.c_str(), int(name.size())));
}

String FolderOf(const String& descriptor)
{
    int last = -1;
    for (int i = 0; i < descriptor.Length(); ++i)
        if (descriptor[i] == '/' || descriptor[i] == '\\')
            last = i;
    return descriptor.SubString(0, last + 1);
}

}  // namespace Nimbrel::Utils::Loaders::COLLADA
