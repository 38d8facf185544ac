#include "utils/loaders/ShaderIncludes.h"

#include "core/Exception.h"
#include "utils/Resource.h"

#include <string>
#include <vector>

namespace Nimbrel::Utils::Loaders {

namespace ShaderIncludesDetail {

constexpr int MaxDepth = 32;

// The folder part of a descriptor, with its trailing '/' ("" for none).
std::string FolderOf(const std::string& descriptor)
{
    size_t slash = descriptor.rfind('/');
    return slash == std::string::npos ? std::string() : descriptor.substr(0, slash + 1);
}

// The name of an include line ("" when the line is no include); malformed set when the line
// is one but its name is not quoted.
std::string IncludedName(const std::string& line, bool& malformed)
{
    malformed = false;
    size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line[at] != '#')
        return std::string();
    at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string::npos || line.compare(at, 7, "include") != 0)
        return std::string();
    at = line.find_first_not_of(" \t", at + 7);
    char close = at == std::string::npos ? 0 : line[at] == '"' ? '"' : line[at] == '<' ? '>' : 0;
    size_t end = close ? line.find(close, at + 1) : std::string::npos;
    if (end == std::string::npos || end == at + 1) {
        malformed = true;
        return std::string();
    }
    return line.substr(at + 1, end - at - 1);
}

void Expand(const std::string& text, const std::string& descriptor, ResourceProxy* proxy,
            std::vector<std::string>& chain, std::string& output)
{
    if (int(chain.size()) > MaxDepth)
        throw Exception(String((descriptor + ": includes are nested more than " + std::to_string(MaxDepth) +
                                " levels deep").c_str()));
    int line = 0;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string current = text.substr(start, end - start);
        start = end + 1;
        ++line;
        bool malformed = false;
        std::string name = IncludedName(current, malformed);
        std::string where = descriptor + "(" + std::to_string(line) + "): ";
        if (malformed)
            throw Exception(String((where + "#include needs a file name in quotes").c_str()));
        if (name.empty()) {
            output += current;
            if (end < text.size())
                output += '\n';
            continue;
        }
        std::string included = name[0] == '/' ? name.substr(1) : FolderOf(descriptor) + name;
        for (const std::string& open : chain)
            if (open == included)
                throw Exception(String((where + "\"" + name + "\" includes itself").c_str()));
        std::string body;
        try {
            Resource<String, ResourceType::String> source(proxy, String(included.c_str()));
            body = source->CStr();
        } catch (const Exception& error) {
            throw Exception(String((where + "\"" + name + "\" could not be included: " + error.GetMessage().CStr()).c_str()));
        }
        chain.push_back(included);
        output += "#line 1\n";
        Expand(body, included, proxy, chain, output);
        chain.pop_back();
        if (output.empty() || output.back() != '\n')
            output += '\n';
        output += "#line " + std::to_string(line + 1) + "\n";
    }
}

}  // namespace ShaderIncludesDetail

String ShaderIncludes::Expand(const String& text, const String& descriptor, ResourceProxy* proxy)
{
    std::string source(text.CStr(), size_t(text.Length()));
    if (source.find("include") == std::string::npos)
        return text;
    std::vector<std::string> chain = {descriptor.CStr()};
    std::string output;
    output.reserve(source.size());
    ShaderIncludesDetail::Expand(source, descriptor.CStr(), proxy, chain, output);
    return String(output.c_str(), int(output.size()));
}

}  // namespace Nimbrel::Utils::Loaders
