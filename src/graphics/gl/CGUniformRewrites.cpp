#include "graphics/gl/CGUniformRewrites.h"

#include "graphics/gl/CGPrelude.h"
#include "graphics/gl/CGSourceTokens.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <vector>

namespace Nimbrel::Graphics {

namespace CGUniformRewritesDetail {

// Other names for sampler types: "typedef sampler2D Map;" and "#define MAP sampler2D".
std::set<std::string> SamplerAliases(const std::string& source, const CGSourceTokens& tokens)
{
    std::set<std::string> aliases;
    for (size_t i = 0; i + 3 < tokens.Count(); ++i)
        if (tokens[i].text == "typedef" && CGIsSamplerType(tokens[i + 1].text) && tokens[i + 2].identifier &&
            tokens[i + 3].text == ";")
            aliases.insert(tokens[i + 2].text);
    for (size_t start = 0; start < source.size();) {
        size_t end = source.find('\n', start);
        end = end == std::string::npos ? source.size() : end;
        std::string line = source.substr(start, end - start);
        start = end + 1;
        size_t hash = line.find_first_not_of(" \t");
        if (hash == std::string::npos || line[hash] != '#')
            continue;
        // The directive's words, without the '#'.
        CGSourceTokens directive(line.substr(hash + 1));
        if (directive.Count() == 3 && directive[0].text == "define" && directive[1].identifier &&
            CGIsSamplerType(directive[2].text))
            aliases.insert(directive[1].text);
    }
    return aliases;
}

// The struct types that hold a sampler, themselves or in a struct member; and those whose
// members carry semantics (varyings).
void FindStructs(const CGSourceTokens& tokens, const std::set<std::string>& samplerAliases,
                 std::set<std::string>& withSamplers, std::set<std::string>& withSemantics)
{
    std::map<std::string, std::vector<std::string>> memberTypes;
    for (size_t i = 0; i + 2 < tokens.Count(); ++i) {
        if (tokens[i].text != "struct" || !tokens[i + 1].identifier || tokens[i + 2].text != "{")
            continue;
        const std::string& name = tokens[i + 1].text;
        size_t end = tokens.Closing(i + 2);
        bool memberStart = true;
        for (size_t j = i + 3; j < end && j < tokens.Count(); ++j) {
            const std::string& text = tokens[j].text;
            if (memberStart && tokens[j].identifier && text != "const" && text != "uniform") {
                memberTypes[name].push_back(text);
                memberStart = false;
            }
            if (text == ":")
                withSemantics.insert(name);
            if (text == ";")
                memberStart = true;
        }
    }
    // A struct holds a sampler when one of its member types is one or holds one.
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto& [name, types] : memberTypes) {
            if (withSamplers.count(name))
                continue;
            for (const std::string& type : types)
                if (CGIsSamplerType(type) || samplerAliases.count(type) || withSamplers.count(type)) {
                    withSamplers.insert(name);
                    changed = true;
                    break;
                }
        }
    }
}

// One parameter of a list: its tokens from first to last (inclusive) and the comma after it.
struct ParameterSpan {
    size_t first = 0;
    size_t last = 0;
    size_t comma = 0;  // 0 when no comma follows
};

std::vector<ParameterSpan> SplitParameters(const CGSourceTokens& tokens, size_t open, size_t close)
{
    std::vector<ParameterSpan> parameters;
    size_t start = open + 1;
    int nesting = 0;
    for (size_t i = open + 1; i <= close && i < tokens.Count(); ++i) {
        const std::string& text = tokens[i].text;
        if (text == "(" || text == "[" || text == "{")
            ++nesting;
        else if ((text == ")" || text == "]" || text == "}") && i != close)
            --nesting;
        if ((text == "," && nesting == 0) || i == close) {
            if (i > start)
                parameters.push_back({start, i - 1, text == "," ? i : 0});
            start = i + 1;
        }
    }
    return parameters;
}

bool IsAssignment(const std::string& text)
{
    static const std::set<std::string> operators = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "++", "--"};
    return operators.count(text) > 0;
}

// Whether the token at index, a use of a variable, is written: assigned to directly, through a
// swizzle or member (".xy =", ".color +="), through an element ("[i] ="), or stepped.
bool IsWritten(const CGSourceTokens& tokens, size_t index)
{
    if (index > 0 && (tokens[index - 1].text == "++" || tokens[index - 1].text == "--"))
        return true;
    size_t at = index + 1;
    while (at < tokens.Count()) {
        if (tokens[at].text == "." && at + 1 < tokens.Count() && tokens[at + 1].identifier)
            at += 2;
        else if (tokens[at].text == "[")
            at = tokens.Closing(at) + 1;
        else
            break;
    }
    return at < tokens.Count() && IsAssignment(tokens[at].text);
}

// A reference to an OpenGL state matrix: the expression that reads the engine's automatic
// parameter of the same meaning, that parameter (empty when the reference names no matrix the
// engine has), the reference as written and the token after it.
struct StateMatrix {
    std::string expression;
    std::string uniform;
    std::string written;
    size_t end = 0;
};

// Reads "glstate.matrix.[FORM.]NAME" (code) or "state.matrix.NAME[.FORM]" (a semantic) from
// the token at first on; NAME is mvp, modelview[0] or projection (a semantic may leave the
// [0] out), FORM inverse, transpose or invtrans. Brackets after another matrix index its rows
// and are not part of the reference.
StateMatrix ParseStateMatrix(const CGSourceTokens& tokens, size_t first, bool code)
{
    static const std::map<std::string, std::string> matrices = {
        {"mvp", "WorldViewProjection"}, {"modelview", "WorldView"}, {"projection", "Projection"}};
    auto word = [&](size_t at) { return at < tokens.Count() ? tokens[at].text : std::string(); };
    StateMatrix matrix;
    matrix.written = tokens[first].text;
    std::vector<std::string> words;
    bool indexed = false;
    bool badIndex = false;
    size_t at = first + 1;
    while (word(at) == "." && at + 1 < tokens.Count() && tokens[at + 1].identifier) {
        words.push_back(word(at + 1));
        matrix.written += "." + words.back();
        at += 2;
        if (words.back() == "modelview" && word(at) == "[" && word(at + 2) == "]") {
            matrix.written += "[" + word(at + 1) + "]";
            indexed = true;
            badIndex = word(at + 1) != "0";
            at += 3;
        }
    }
    matrix.end = at;
    std::string name, form;
    bool known = words.size() >= 2 && words.size() <= 3 && words[0] == "matrix" && !badIndex;
    for (size_t i = 1; known && i < words.size(); ++i) {
        if (matrices.count(words[i]) && name.empty())
            name = words[i];
        else if ((words[i] == "inverse" || words[i] == "transpose" || words[i] == "invtrans") && form.empty())
            form = words[i];
        else
            known = false;
    }
    // Code names the form first, a semantic after the matrix; modelview is an array in code.
    if (!known || name.empty() || (words.size() == 3 && (words[1] == name) == code) ||
        (code && name == "modelview" && !indexed))
        return matrix;
    matrix.uniform = matrices.at(name) + (form == "inverse" || form == "invtrans" ? "Inverse" : "");
    matrix.expression = form == "transpose" || form == "invtrans" ? "transpose(" + matrix.uniform + ")" : matrix.uniform;
    return matrix;
}

}  // namespace CGUniformRewritesDetail

std::string CGUniformRewrites::HoistEntrySamplers(const std::string& source, const std::string& entryPoint)
{
    using namespace CGUniformRewritesDetail;
    CGSourceTokens tokens(source);
    std::set<std::string> withSamplers, withSemantics;
    const std::set<std::string> aliases = SamplerAliases(source, tokens);
    FindStructs(tokens, aliases, withSamplers, withSemantics);
    CGSourceEdits edits;
    for (const CGSourceFunction& function : CGSourceFunctions(tokens)) {
        if (function.name != entryPoint)
            continue;
        size_t close = tokens.Closing(function.open);
        std::string declarations;
        for (const ParameterSpan& parameter : SplitParameters(tokens, function.open, close)) {
            bool uniform = false;
            size_t at = parameter.first;
            while (at < parameter.last && (tokens[at].text == "uniform" || tokens[at].text == "in" ||
                                           tokens[at].text == "const")) {
                uniform |= tokens[at].text == "uniform";
                ++at;
            }
            const CGSourceTokens::Token& type = tokens[at];
            if (at + 1 > parameter.last || !tokens[at + 1].identifier)
                continue;
            const std::string& name = tokens[at + 1].text;
            bool sampler = CGIsSamplerType(type.text) || aliases.count(type.text) > 0;
            bool holdsSamplers = withSamplers.count(type.text) > 0;
            if (!sampler && !holdsSamplers)
                continue;
            if (holdsSamplers && !uniform && withSemantics.count(type.text))
                throw std::runtime_error("line " + std::to_string(type.line) + ": the parameter \"" + name +
                                         "\" of type " + type.text +
                                         " holds both varyings and samplers, which cannot be split into inputs and uniforms");
            // The declaration: type, name and array sizes, without semantic or initial value.
            std::string declaration = "uniform " + type.text + " " + name;
            for (size_t i = at + 2; i <= parameter.last && tokens[i].text != ":" && tokens[i].text != "="; ++i)
                declaration += tokens[i].text;
            declarations += declaration + "; ";
            // The parameter goes, with one comma beside it.
            size_t from = tokens[parameter.first].offset;
            size_t to = tokens[parameter.last].offset + tokens[parameter.last].text.size();
            if (parameter.comma)
                to = tokens[parameter.comma].offset + 1;
            else if (parameter.first > function.open + 1 && tokens[parameter.first - 1].text == ",")
                from = tokens[parameter.first - 1].offset;
            edits.Replace(from, to - from, CGBlankedOut(source.substr(from, to - from)));
        }
        if (!declarations.empty())
            edits.Insert(tokens[function.first].offset, declarations);
    }
    return edits.Empty() ? source : edits.Apply(source);
}

std::string CGUniformRewrites::PrivateCopiesOfWrittenGlobals(const std::string& source)
{
    using namespace CGUniformRewritesDetail;
    CGSourceTokens tokens(source);
    std::vector<CGSourceFunction> functions = CGSourceFunctions(tokens);
    // Top-level declarations outside functions: "TYPE NAME ... ;" without storage words.
    struct Global {
        size_t nameToken;
        size_t end;  // its ';'
        std::string type;
    };
    std::map<std::string, Global> globals;
    size_t nextFunction = 0;
    for (size_t i = 0; i < tokens.Count();) {
        if (nextFunction < functions.size() && i >= functions[nextFunction].first) {
            i = functions[nextFunction++].end + 1;
            continue;
        }
        size_t end = i;
        while (end < tokens.Count() && !(tokens[end].depth == 0 && tokens[end].text == ";") &&
               !(nextFunction < functions.size() && end >= functions[nextFunction].first))
            end = tokens[end].text == "{" ? tokens.Closing(end) : end + 1;
        if (end >= tokens.Count() || tokens[end].text != ";") {
            i = end;
            continue;
        }
        bool plain = i + 1 < end && tokens[i].identifier && tokens[i + 1].identifier;
        static const std::set<std::string> storage = {"uniform", "static", "const", "extern", "struct",
                                                      "typedef", "shared", "volatile", "in", "out"};
        if (plain && !storage.count(tokens[i].text) && !CGIsSamplerType(tokens[i].text) &&
            (i + 2 >= end || tokens[i + 2].text != "("))
            globals[tokens[i + 1].text] = {i + 1, end, tokens[i].text};
        i = end + 1;
    }
    std::set<std::string> written;
    for (const CGSourceFunction& function : functions)
        for (size_t i = function.body; i < function.end && i < tokens.Count(); ++i)
            if (tokens[i].identifier && globals.count(tokens[i].text) && tokens[i - 1].text != "." &&
                !tokens[i - 1].identifier && IsWritten(tokens, i))
                written.insert(tokens[i].text);
    CGSourceEdits edits;
    for (const std::string& name : written) {
        const Global& global = globals[name];
        std::string mangled = CGPrelude::Mangle(name);
        edits.Replace(tokens[global.nameToken].offset, name.size(), mangled);
        std::string suffix;
        for (size_t i = global.nameToken + 1; i < global.end && tokens[i].text != "=" && tokens[i].text != ":"; ++i)
            suffix += tokens[i].text;
        edits.Insert(tokens[global.end].offset + 1, " static " + global.type + " " + name + suffix + " = " + mangled + ";");
    }
    return edits.Empty() ? source : edits.Apply(source);
}

std::string CGUniformRewrites::StateMatrices(const std::string& source, const std::string& entryPoint,
                                             std::string& declarations)
{
    using namespace CGUniformRewritesDetail;
    CGSourceTokens tokens(source);
    CGSourceEdits edits;
    std::set<std::string> used;
    auto refuse = [](const CGSourceTokens::Token& at, const std::string& what) {
        return std::runtime_error("line " + std::to_string(at.line) + ": " + what +
                                  " is not supported; the matrices mvp, modelview[0] and projection are, also"
                                  " as inverse, transpose and invtrans");
    };
    // References in code: glstate.matrix.[FORM.]NAME.
    for (size_t i = 0; i < tokens.Count(); ++i) {
        if (tokens[i].text != "glstate" || (i > 0 && tokens[i - 1].text == "."))
            continue;
        StateMatrix matrix = ParseStateMatrix(tokens, i, true);
        if (matrix.uniform.empty())
            throw refuse(tokens[i], matrix.written);
        used.insert(matrix.uniform);
        size_t from = tokens[i].offset;
        size_t to = tokens[matrix.end - 1].offset + tokens[matrix.end - 1].text.size();
        edits.Replace(from, to - from, matrix.expression);
        i = matrix.end - 1;
    }
    // Uniforms bound by semantic: "uniform float4x4 mvp : state.matrix.mvp" as a parameter of
    // the entry point (it becomes a local of the body) or as a global (a static copy).
    std::vector<CGSourceFunction> functions = CGSourceFunctions(tokens);
    const CGSourceFunction* entry = nullptr;
    for (const CGSourceFunction& function : functions)
        if (function.name == entryPoint && !entry)
            entry = &function;
    for (size_t i = 3; i + 1 < tokens.Count(); ++i) {
        // "TYPE NAME : state." (not "case LABEL: state.x", nor "c ? a : state.x" in code).
        if (tokens[i].text != "state" || tokens[i - 1].text != ":" || tokens[i + 1].text != "." ||
            !tokens[i - 2].identifier || !tokens[i - 3].identifier || tokens[i - 3].text == "case" ||
            tokens[i - 3].text == "return")
            continue;
        StateMatrix matrix = ParseStateMatrix(tokens, i, false);
        if (matrix.uniform.empty())
            throw refuse(tokens[i], matrix.written);
        const CGSourceTokens::Token& name = tokens[i - 2];
        const CGSourceTokens::Token& type = tokens[i - 3];
        used.insert(matrix.uniform);
        std::string local = type.text + " " + name.text + " = " + matrix.expression + ";";
        bool parameter = false;
        for (const CGSourceFunction& function : functions) {
            size_t close = tokens.Closing(function.open);
            if (i <= function.open || i >= close)
                continue;
            parameter = true;
            if (&function != entry)
                break;
            for (const ParameterSpan& span : SplitParameters(tokens, function.open, close)) {
                if (i < span.first || i > span.last)
                    continue;
                size_t from = tokens[span.first].offset;
                size_t to = tokens[span.last].offset + tokens[span.last].text.size();
                if (span.comma)
                    to = tokens[span.comma].offset + 1;
                else if (span.first > function.open + 1 && tokens[span.first - 1].text == ",")
                    from = tokens[span.first - 1].offset;
                edits.Replace(from, to - from, CGBlankedOut(source.substr(from, to - from)));
                edits.Insert(tokens[function.body].offset + 1, " " + local);
            }
            break;
        }
        if (parameter || tokens[i].depth != 0)
            continue;
        // A global: the declaration from its first word to its ';' becomes the static copy.
        size_t first = i - 2;
        while (first > 0 && !(tokens[first - 1].depth == 0 &&
                              (tokens[first - 1].text == ";" || tokens[first - 1].text == "}" || tokens[first - 1].text == "{")))
            --first;
        if (matrix.end >= tokens.Count() || tokens[matrix.end].text != ";")
            throw refuse(tokens[i], "a state binding with an initial value");
        size_t from = tokens[first].offset;
        size_t to = tokens[matrix.end].offset + 1;
        // The declaration's line breaks stay, so the lines after it keep their numbers.
        const std::string replaced = source.substr(from, to - from);
        edits.Replace(from, to - from, "static " + local + std::string(size_t(std::count(replaced.begin(), replaced.end(), '\n')), '\n'));
    }
    for (const std::string& uniform : used) {
        bool declared = false;
        for (size_t i = 1; i < tokens.Count() && !declared; ++i)
            declared = tokens[i].depth == 0 && tokens[i].text == uniform && tokens[i - 1].identifier;
        if (!declared)
            declarations += "uniform float4x4 " + uniform + ";\n";
    }
    return edits.Empty() ? source : edits.Apply(source);
}

}  // namespace Nimbrel::Graphics
