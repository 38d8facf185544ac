#include "graphics/gl/CGSourceTokens.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace Nimbrel::Graphics {

namespace CGSourceTokensDetail {

bool IsWordCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The first token of the top-level declaration that holds the token at index.
size_t DeclarationStart(const CGSourceTokens& tokens, size_t index)
{
    while (index > 0) {
        const CGSourceTokens::Token& before = tokens[index - 1];
        if (before.depth == 0 && (before.text == ";" || before.text == "}" || before.text == "{"))
            break;
        --index;
    }
    return index;
}

}  // namespace CGSourceTokensDetail

CGSourceTokens::CGSourceTokens(const std::string& source)
{
    using CGSourceTokensDetail::IsWordCharacter;
    int line = 1;
    int depth = 0;
    bool lineStart = true;
    size_t at = 0;
    const size_t size = source.size();
    while (at < size) {
        char c = source[at];
        if (c == '\n') {
            ++line;
            lineStart = true;
            ++at;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++at;
            continue;
        }
        if (c == '/' && at + 1 < size && source[at + 1] == '/') {
            while (at < size && source[at] != '\n')
                ++at;
            continue;
        }
        if (c == '/' && at + 1 < size && source[at + 1] == '*') {
            at += 2;
            while (at < size && !(source[at] == '*' && at + 1 < size && source[at + 1] == '/')) {
                line += source[at] == '\n';
                ++at;
            }
            at = std::min(size, at + 2);
            continue;
        }
        if (c == '#' && lineStart) {
            // The directive and its continuation lines.
            while (at < size && source[at] != '\n') {
                if (source[at] == '\\' && at + 1 < size && source[at + 1] == '\n') {
                    ++line;
                    ++at;
                }
                ++at;
            }
            continue;
        }
        lineStart = false;
        if (c == '"') {
            ++at;
            while (at < size && source[at] != '"' && source[at] != '\n')
                at += source[at] == '\\' ? 2 : 1;
            at = std::min(size, at + 1);
            continue;
        }
        Token token;
        token.offset = at;
        token.line = line;
        if (IsWordCharacter(c)) {
            size_t end = at;
            bool number = std::isdigit(static_cast<unsigned char>(c));
            while (end < size && (IsWordCharacter(source[end]) ||
                                  (number && (source[end] == '.' ||
                                              ((source[end] == '+' || source[end] == '-') &&
                                               (source[end - 1] == 'e' || source[end - 1] == 'E'))))))
                ++end;
            token.text = source.substr(at, end - at);
            token.identifier = !number;
            at = end;
        } else if (c == '.' && at + 1 < size && std::isdigit(static_cast<unsigned char>(source[at + 1]))) {
            size_t end = at + 1;
            while (end < size && (IsWordCharacter(source[end]) || source[end] == '.'))
                ++end;
            token.text = source.substr(at, end - at);
            at = end;
        } else {
            static const char* const pairs[] = {"==", "!=", "<=", ">=", "+=", "-=", "*=", "/=", "%=", "&=", "|=",
                                                "^=", "++", "--", "&&", "||", "<<", ">>", "::"};
            token.text = std::string(1, c);
            for (const char* pair : pairs)
                if (source.compare(at, 2, pair) == 0)
                    token.text = pair;
            at += token.text.size();
        }
        if (token.text == "}")
            depth = std::max(depth - 1, 0);
        token.depth = depth;
        if (token.text == "{")
            ++depth;
        tokens.push_back(std::move(token));
    }
    // Each bracket's partner, found once so that asking is cheap however often it is asked.
    closing.assign(tokens.size(), tokens.size());
    std::vector<size_t> open[3];
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& text = tokens[i].text;
        if (text.size() != 1)
            continue;
        for (int kind = 0; kind < 3; ++kind) {
            if (text[0] == "([{"[kind]) {
                open[kind].push_back(i);
            } else if (text[0] == ")]}"[kind] && !open[kind].empty()) {
                closing[open[kind].back()] = i;
                open[kind].pop_back();
            }
        }
    }
}

size_t CGSourceTokens::Closing(size_t index) const
{
    return index < closing.size() ? closing[index] : tokens.size();
}

void CGSourceEdits::Replace(size_t offset, size_t length, std::string text)
{
    edits.push_back({offset, length, std::move(text)});
}

std::string CGSourceEdits::Apply(const std::string& source) const
{
    std::vector<Edit> ordered = edits;
    std::stable_sort(ordered.begin(), ordered.end(), [](const Edit& a, const Edit& b) { return a.offset > b.offset; });
    std::string text = source;
    for (const Edit& edit : ordered)
        if (edit.offset <= text.size())
            text.replace(edit.offset, std::min(edit.length, text.size() - edit.offset), edit.text);
    return text;
}

bool CGIsSamplerType(const std::string& word)
{
    static const std::set<std::string> samplers = {"sampler",     "sampler1D",   "sampler2D",   "sampler3D",
                                                   "samplerCUBE", "samplerRECT", "sampler1DARRAY",
                                                   "sampler2DARRAY"};
    return samplers.count(word) > 0;
}

std::vector<CGSourceFunction> CGSourceFunctions(const CGSourceTokens& tokens)
{
    std::vector<CGSourceFunction> functions;
    for (size_t i = 0; i + 1 < tokens.Count(); ++i) {
        if (!tokens[i].identifier || tokens[i].depth != 0 || tokens[i + 1].text != "(")
            continue;
        size_t close = tokens.Closing(i + 1);
        // After the list: an optional ": SEMANTIC", then the body.
        size_t next = close + 1;
        while (next < tokens.Count() && tokens[next].text != "{" && tokens[next].text != ";" &&
               tokens[next].text != "(" && tokens[next].text != "=")
            ++next;
        if (next >= tokens.Count() || tokens[next].text != "{")
            continue;
        CGSourceFunction function;
        function.name = tokens[i].text;
        function.nameToken = i;
        function.open = i + 1;
        function.body = next;
        function.end = tokens.Closing(next);
        function.first = CGSourceTokensDetail::DeclarationStart(tokens, i);
        functions.push_back(function);
        i = function.end < tokens.Count() ? function.end : tokens.Count();
    }
    return functions;
}

std::string CGBlankedOut(const std::string& text)
{
    // Preprocessor lines stay, so that conditionals keep their pairs.
    std::string blank = text;
    bool directive = false;
    bool lineStart = true;
    for (char& c : blank) {
        if (c == '\n') {
            directive = false;
            lineStart = true;
            continue;
        }
        if (lineStart && c == '#')
            directive = true;
        if (!std::isspace(static_cast<unsigned char>(c)))
            lineStart = false;
        if (!directive)
            c = ' ';
    }
    return blank;
}

}  // namespace Nimbrel::Graphics
