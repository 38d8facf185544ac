#pragma once
// CGSourceTokens: a Cg source cut into the tokens the source rewrites look at (identifiers,
// numbers, punctuation), each with its place and line. Comments, string literals and
// preprocessor lines are skipped, so a rewrite never edits inside them. Runs in the compiler
// process, before glslang.

#include <string>
#include <vector>

namespace Nimbrel::Graphics {

class CGSourceTokens {
public:
    struct Token {
        std::string text;
        size_t offset = 0;
        int line = 1;
        int depth = 0;  // braces open before the token (a '}' counts itself out)
        bool identifier = false;
    };

    explicit CGSourceTokens(const std::string& source);

    const std::vector<Token>& All() const { return tokens; }
    size_t Count() const { return tokens.size(); }
    const Token& operator[](size_t index) const { return tokens[index]; }
    // The index of the token that closes the bracket opened at index ('(' ')', '{' '}', '['
    // ']'), Count() when it is never closed.
    size_t Closing(size_t index) const;

private:
    std::vector<Token> tokens;
    std::vector<size_t> closing;  // by token, the index of the bracket closing it
};

// Edits of a text by offset, applied at once, last first, so that earlier offsets hold.
class CGSourceEdits {
public:
    void Replace(size_t offset, size_t length, std::string text);
    void Insert(size_t offset, std::string text) { Replace(offset, 0, std::move(text)); }
    bool Empty() const { return edits.empty(); }
    std::string Apply(const std::string& source) const;

private:
    struct Edit {
        size_t offset;
        size_t length;
        std::string text;
    };
    std::vector<Edit> edits;
};

// A function defined at the top level: its name, where its text starts (its first token) and
// the tokens of its body.
struct CGSourceFunction {
    std::string name;
    size_t first = 0;      // token index of the declaration's first token
    size_t nameToken = 0;  // token index of the name
    size_t open = 0;       // '(' of the parameter list
    size_t body = 0;       // '{' of the body
    size_t end = 0;        // '}' closing the body
};

// The functions the source defines at the top level, in source order.
std::vector<CGSourceFunction> CGSourceFunctions(const CGSourceTokens& tokens);
// Whether the word names one of Cg's sampler types.
bool CGIsSamplerType(const std::string& word);

// The text with everything but line breaks and preprocessor lines blanked out, so that line
// numbers keep.
std::string CGBlankedOut(const std::string& text);

}  // namespace Nimbrel::Graphics
