#include "graphics/gl/CGUniformDefaults.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

namespace Nimbrel::Graphics {

namespace CGUniformDefaultsDetail {

struct Token {
    enum Kind { Identifier, Number, Symbol } kind;
    std::string text;
    float value = 0;
};

std::vector<Token> Tokenize(const std::string& source)
{
    std::vector<Token> tokens;
    size_t at = 0;
    bool lineStart = true;
    while (at < source.size()) {
        char c = source[at];
        if (c == '\n') {
            lineStart = true;
            ++at;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++at;
            continue;
        }
        if (lineStart && c == '#') {
            at = source.find('\n', at);
            if (at == std::string::npos)
                break;
            continue;
        }
        lineStart = false;
        if (c == '/' && at + 1 < source.size() && source[at + 1] == '/') {
            at = source.find('\n', at);
            if (at == std::string::npos)
                break;
            continue;
        }
        if (c == '/' && at + 1 < source.size() && source[at + 1] == '*') {
            size_t end = source.find("*/", at + 2);
            at = end == std::string::npos ? source.size() : end + 2;
            continue;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t end = at;
            while (end < source.size() && (std::isalnum(static_cast<unsigned char>(source[end])) || source[end] == '_'))
                ++end;
            tokens.push_back({Token::Identifier, source.substr(at, end - at)});
            at = end;
            continue;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '.' && at + 1 < source.size() && std::isdigit(static_cast<unsigned char>(source[at + 1])))) {
            const char* start = source.c_str() + at;
            char* end = nullptr;
            float value = std::strtof(start, &end);
            size_t length = size_t(end - start);
            if (length == 0)
                length = 1;
            at += length;
            while (at < source.size() && std::isalpha(static_cast<unsigned char>(source[at])))
                ++at;  // suffixes: 1.0f, 2h, 3u
            Token token{Token::Number, source.substr(size_t(start - source.c_str()), length)};
            token.value = value;
            tokens.push_back(token);
            continue;
        }
        tokens.push_back({Token::Symbol, std::string(1, c)});
        ++at;
    }
    return tokens;
}

// float, half3, fixed4x4, int2, bool, ...: the names a constructor call may have.
bool IsTypeName(const std::string& name)
{
    static const char* const bases[] = {"float", "half", "fixed", "double", "int", "bool"};
    for (const char* base : bases) {
        size_t length = std::char_traits<char>::length(base);
        if (name.compare(0, length, base) != 0)
            continue;
        std::string rest = name.substr(length);
        auto dimension = [](char c) { return c >= '1' && c <= '4'; };
        return rest.empty() || (rest.size() == 1 && dimension(rest[0])) ||
               (rest.size() == 3 && dimension(rest[0]) && rest[1] == 'x' && dimension(rest[2]));
    }
    return false;
}

bool Is(const Token& token, const char* symbol)
{
    return token.kind != Token::Number && token.text == symbol;
}

// The values of an initialiser, or false when it is not made of literals.
bool Evaluate(const std::vector<Token>& tokens, std::vector<float>& values)
{
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (token.kind == Token::Number) {
            values.push_back(token.value);
        } else if (token.kind == Token::Identifier) {
            if (token.text == "true" || token.text == "false") {
                values.push_back(token.text == "true" ? 1.0f : 0.0f);
                continue;
            }
            // A constructor: a type name followed by its arguments.
            if (!IsTypeName(token.text) || i + 1 >= tokens.size() || !Is(tokens[i + 1], "("))
                return false;
        } else if (Is(token, "-") || Is(token, "+")) {
            if (i + 1 >= tokens.size() || tokens[i + 1].kind != Token::Number)
                return false;
            values.push_back(Is(token, "-") ? -tokens[i + 1].value : tokens[i + 1].value);
            ++i;
        } else if (!(Is(token, "(") || Is(token, ")") || Is(token, "{") || Is(token, "}") || Is(token, ","))) {
            return false;
        }
    }
    return !values.empty();
}

// One declarator "name = initialiser" (after the type, or the whole first one with it).
void Declarator(const std::vector<Token>& tokens, std::map<std::string, std::vector<float>>& defaults)
{
    size_t equals = 0;
    while (equals < tokens.size() && !Is(tokens[equals], "="))
        ++equals;
    if (equals == tokens.size())
        return;
    // The name is the last identifier before a semantic (":"), an array size ("[") or "=".
    size_t end = equals;
    for (size_t i = 0; i < equals; ++i) {
        if (Is(tokens[i], ":") || Is(tokens[i], "[")) {
            end = i;
            break;
        }
    }
    if (end == 0 || tokens[end - 1].kind != Token::Identifier)
        return;
    std::vector<float> values;
    if (Evaluate(std::vector<Token>(tokens.begin() + long(equals) + 1, tokens.end()), values))
        defaults[tokens[end - 1].text] = values;
}

void Statement(const std::vector<Token>& tokens, std::map<std::string, std::vector<float>>& defaults)
{
    for (const Token& token : tokens)
        if (Is(token, "static") || Is(token, "const") || Is(token, "typedef") || Is(token, "struct"))
            return;
    // Split at the commas outside brackets: "float a = 1, b = {1, 2};" declares two.
    int depth = 0;
    std::vector<Token> piece;
    for (const Token& token : tokens) {
        if (Is(token, "(") || Is(token, "{") || Is(token, "["))
            ++depth;
        else if (Is(token, ")") || Is(token, "}") || Is(token, "]"))
            --depth;
        if (depth == 0 && Is(token, ",")) {
            Declarator(piece, defaults);
            piece.clear();
            continue;
        }
        piece.push_back(token);
    }
    Declarator(piece, defaults);
}

}  // namespace CGUniformDefaultsDetail

std::map<std::string, std::vector<float>> CGUniformDefaults::Find(const std::string& source)
{
    using namespace CGUniformDefaultsDetail;
    std::vector<Token> tokens = Tokenize(source);
    std::map<std::string, std::vector<float>> defaults;
    std::vector<Token> statement;
    bool initializer = false;
    bool call = false;
    int parentheses = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (Is(token, "{")) {
            // A brace after "=" opens an initialiser list and belongs to the statement; any
            // other opens a body (function, struct), skipped whole.
            size_t close = i;
            int depth = 0;
            for (; close < tokens.size(); ++close) {
                if (Is(tokens[close], "{"))
                    ++depth;
                else if (Is(tokens[close], "}") && --depth == 0)
                    break;
            }
            if (initializer)
                statement.insert(statement.end(), tokens.begin() + long(i), tokens.begin() + long(std::min(close + 1, tokens.size())));
            i = close;
            if (!initializer && call) {
                statement.clear();  // a function definition ends with its body
                initializer = call = false;
                parentheses = 0;
            }
            continue;
        }
        if (Is(token, ";")) {
            if (initializer)
                Statement(statement, defaults);
            statement.clear();
            initializer = call = false;
            parentheses = 0;
            continue;
        }
        if (Is(token, "=") && parentheses == 0)
            initializer = true;
        if (Is(token, "(") && !initializer)
            call = true;
        if (Is(token, "("))
            ++parentheses;
        else if (Is(token, ")"))
            --parentheses;
        statement.push_back(token);
    }
    return defaults;
}

}  // namespace Nimbrel::Graphics
