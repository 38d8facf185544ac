#include "graphics/gl/CGUniformRewrites.h"

#include "graphics/gl/CGPrelude.h"
#include "graphics/gl/CGSourceTokens.h"

#include <map>
#include <set>
#include <stdexcept>
#include <vector>

namespace Nimbrel::Graphics {

namespace CGUniformRewritesDetail {

// The struct types that hold a sampler, themselves or in a struct member; and those whose
// members carry semantics (varyings).
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
            if (memberStart && tokens[j].identifier && text != "const" && text != "uniform")
                memberTypes[name].push_back(text), memberStart = false;
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

std::string CGUniformRewrites::GlStateMatrices(const std::string& source, std::string& declarations)
{
    using namespace CGUniformRewritesDetail;
    CGSourceTokens tokens(source);
    static const std::map<std::string, std::string> matrices = {
        {"mvp", "WorldViewProjection"}, {"modelview", "WorldView"}, {"projection", "Projection"}};
    CGSourceEdits edits;
    std::set<std::string> used;
    for (size_t i = 0; i < tokens.Count(); ++i) {
        if (tokens[i].text != "glstate" || (i > 0 && tokens[i - 1].text == "."))
            continue;
        int line = tokens[i].line;
        // glstate . matrix . [inverse|transpose|invtrans .] NAME [ [0] ]
        auto word = [&](size_t at) { return at < tokens.Count() ? tokens[at].text : std::string(); };
        std::string written = "glstate";
        size_t at = i + 1;
        while (word(at) == "." && at + 1 < tokens.Count() && tokens[at + 1].identifier) {
            written += "." + word(at + 1);
            at += 2;
        }
        std::string form;
        std::string name;
        size_t dot = written.find('.', 8);
        std::string member =
            written.size() <= 8 ? std::string() : written.substr(8, dot == std::string::npos ? std::string::npos : dot - 8);
        std::string rest = dot == std::string::npos ? std::string() : written.substr(dot + 1);
        size_t split = rest.find('.');
        if (split != std::string::npos) {
            form = rest.substr(0, split);
            name = rest.substr(split + 1);
        } else {
            name = rest;
        }
        auto matrix = matrices.find(name);
        bool known = member == "matrix" && matrix != matrices.end() &&
                     (form.empty() || form == "inverse" || form == "transpose" || form == "invtrans");
        size_t end = at;  // one past the last token of the reference
        // modelview is an array of which the engine has the first; brackets after the
        // others index the matrix's rows.
        if (known && name == "modelview") {
            known = word(at) == "[" && word(at + 1) == "0" && word(at + 2) == "]";
            written += word(at) == "[" ? "[" + word(at + 1) + "]" : std::string();
            end = known ? at + 3 : at;
        }
        if (!known)
            throw std::runtime_error("line " + std::to_string(line) + ": " + written +
                                     " is not supported; glstate.matrix.mvp, .modelview[0] and .projection are, also"
                                     " under .inverse, .transpose and .invtrans");
        std::string uniform = matrix->second + (form == "inverse" || form == "invtrans" ? "Inverse" : "");
        used.insert(uniform);
        std::string replacement = form == "transpose" || form == "invtrans" ? "transpose(" + uniform + ")" : uniform;
        size_t from = tokens[i].offset;
        size_t to = tokens[end - 1].offset + tokens[end - 1].text.size();
        edits.Replace(from, to - from, replacement);
        i = end - 1;
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
