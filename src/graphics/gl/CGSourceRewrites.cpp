#include "graphics/gl/CGSourceRewrites.h"

#include "graphics/gl/CGSourceTokens.h"

#include <cctype>
#include <map>
#include <set>
#include <vector>

namespace Nimbrel::Graphics {

namespace CGSourceRewritesDetail {

// The numeric width of a float, half, fixed or int vector or matrix type word (float3 is 3,
// float2x3 is 6); 0 for anything else.
int ComponentCount(const std::string& type)
{
    for (const char* base : {"float", "half", "fixed", "int", "double", "bool", "vec"}) {
        size_t length = std::string(base).size();
        if (type.compare(0, length, base) != 0)
            continue;
        std::string rest = type.substr(length);
        if (rest.size() == 1 && rest[0] >= '1' && rest[0] <= '4')
            return rest[0] - '0';
        if (rest.size() == 3 && rest[1] == 'x' && rest[0] >= '1' && rest[0] <= '4' && rest[2] >= '1' && rest[2] <= '4')
            return (rest[0] - '0') * (rest[2] - '0');
    }
    return 0;
}

}  // namespace CGSourceRewritesDetail

std::string CGSourceRewrites::LenientDirectives(const std::string& source)
{
    std::string text;
    text.reserve(source.size());
    for (size_t start = 0; start < source.size();) {
        size_t end = source.find('\n', start);
        end = end == std::string::npos ? source.size() : end;
        std::string line = source.substr(start, end - start);
        size_t at = line.find_first_not_of(" \t");
        if (at != std::string::npos && line[at] == '#') {
            size_t word = line.find_first_not_of(" \t", at + 1);
            size_t wordEnd = word == std::string::npos ? std::string::npos : line.find_first_of(" \t/", word);
            std::string directive =
                word == std::string::npos ? std::string() : line.substr(word, wordEnd == std::string::npos ? std::string::npos : wordEnd - word);
            size_t keep = std::string::npos;  // where the words to drop start
            if ((directive == "ifdef" || directive == "ifndef") && wordEnd != std::string::npos) {
                size_t name = line.find_first_not_of(" \t", wordEnd);
                if (name != std::string::npos) {
                    size_t nameEnd = name;
                    while (nameEnd < line.size() &&
                           (std::isalnum(static_cast<unsigned char>(line[nameEnd])) || line[nameEnd] == '_'))
                        ++nameEnd;
                    keep = nameEnd;
                }
            } else if ((directive == "else" || directive == "endif") && wordEnd != std::string::npos) {
                keep = wordEnd;
            }
            if (keep != std::string::npos && keep < line.size() && line.back() != '\\') {
                // A block comment that starts on the line may go on past it: keep it.
                size_t comment = line.find("/*", keep);
                line = line.substr(0, keep) + (comment == std::string::npos ? std::string() : " " + line.substr(comment));
            }
        }
        text += line;
        if (end < source.size())
            text += '\n';
        start = end + 1;
    }
    return text;
}

std::string CGSourceRewrites::CLikeInitialisers(const std::string& source)
{
    using namespace CGSourceRewritesDetail;
    CGSourceTokens tokens(source);
    CGSourceEdits edits;
    for (size_t i = 0; i + 3 < tokens.Count(); ++i) {
        // TYPE [ N? ] ( ... ): the constructor becomes a brace list.
        if (tokens[i].identifier && tokens[i + 1].text == "[") {
            size_t close = tokens.Closing(i + 1);
            if (close + 1 < tokens.Count() && close <= i + 3 && tokens[close + 1].text == "(" &&
                (i == 0 || tokens[i - 1].text == "=" || tokens[i - 1].text == "," || tokens[i - 1].text == "{")) {
                size_t end = tokens.Closing(close + 1);
                if (end < tokens.Count()) {
                    size_t from = tokens[i].offset;
                    size_t to = tokens[close + 1].offset + 1;
                    edits.Replace(from, to - from, std::string(to - from - 1, ' ') + "{");
                    edits.Replace(tokens[end].offset, 1, "}");
                    i = close + 1;
                    continue;
                }
            }
        }
        // TYPE NAME [ N ] = { flat list }: the elements of a vector type get their own braces.
        if (!tokens[i].identifier || !tokens[i + 1].identifier || tokens[i + 2].text != "[")
            continue;
        int width = ComponentCount(tokens[i].text);
        size_t sizeClose = tokens.Closing(i + 2);
        if (width < 2 || sizeClose + 2 >= tokens.Count() || tokens[sizeClose + 1].text != "=" ||
            tokens[sizeClose + 2].text != "{")
            continue;
        size_t open = sizeClose + 2;
        size_t close = tokens.Closing(open);
        if (close >= tokens.Count())
            continue;
        // The top-level items of the list, which must all be plain values.
        std::vector<std::pair<size_t, size_t>> items;
        size_t start = open + 1;
        int nesting = 0;
        bool flat = true;
        for (size_t j = open + 1; j <= close; ++j) {
            const std::string& text = tokens[j].text;
            if (text == "{")
                flat = false;
            if (text == "(" || text == "[")
                ++nesting;
            else if (text == ")" || text == "]")
                --nesting;
            if ((text == "," && nesting == 0) || j == close) {
                if (j > start)
                    items.emplace_back(start, j - 1);
                start = j + 1;
            }
        }
        if (!flat || items.size() <= 1 || items.size() % size_t(width) != 0)
            continue;
        for (size_t item = 0; item < items.size(); item += size_t(width)) {
            edits.Insert(tokens[items[item].first].offset, "{");
            const CGSourceTokens::Token& last = tokens[items[item + size_t(width) - 1].second];
            edits.Insert(last.offset + last.text.size(), "}");
        }
        i = close;
    }
    return edits.Empty() ? source : edits.Apply(source);
}

std::string CGSourceRewrites::UnreachableFunctionsRemoved(const std::string& source, const std::string& entryPoint)
{
    using namespace CGSourceRewritesDetail;
    CGSourceTokens tokens(source);
    std::vector<CGSourceFunction> functions = CGSourceFunctions(tokens);
    std::map<std::string, std::vector<const CGSourceFunction*>> byName;
    for (const CGSourceFunction& function : functions)
        byName[function.name].push_back(&function);
    std::set<std::string> reached;
    std::vector<std::string> pending = {entryPoint};
    while (!pending.empty()) {
        std::string name = pending.back();
        pending.pop_back();
        if (!reached.insert(name).second)
            continue;
        auto found = byName.find(name);
        if (found == byName.end())
            continue;
        for (const CGSourceFunction* function : found->second)
            for (size_t i = function->open; i < function->end && i < tokens.Count(); ++i)
                if (tokens[i].identifier && byName.count(tokens[i].text) && !reached.count(tokens[i].text))
                    pending.push_back(tokens[i].text);
    }
    CGSourceEdits edits;
    for (const CGSourceFunction& function : functions) {
        if (reached.count(function.name) || function.end >= tokens.Count())
            continue;
        size_t from = tokens[function.first].offset;
        size_t to = tokens[function.end].offset + 1;
        edits.Replace(from, to - from, CGBlankedOut(source.substr(from, to - from)));
    }
    return edits.Empty() ? source : edits.Apply(source);
}

}  // namespace Nimbrel::Graphics
