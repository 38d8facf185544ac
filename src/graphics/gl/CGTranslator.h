#pragma once
// CGTranslator: one entry point of a Cg source turned into GLSL 1.20 for an OpenGL 2.1 class
// context, with what is needed to link it to the other stage and to reach its uniforms by
// their Cg names.
//
// The route: rewrites of the source that keep its lines (lenient directives, samplers of the
// entry point moved out to global uniforms, private copies of assigned globals, C-like
// initialisers; a failed compile is tried again without the functions the entry point does
// not reach), a short prelude for Cg spellings HLSL lacks (fixed types, `texture` and a few
// other words as plain identifiers, lookups typed by result such as f3tex2D, tex2Dproj with
// three components), the compile definitions as #define lines, glslang's HLSL front end with
// Vulkan rules and HLSL functionality 1 (every interface variable keeps its semantic), DX9
// compatibility for sampler2D and tex2D, legalisation, then SPIRV-Cross to GLSL 1.20. On the
// GLSL side:
// - vertex inputs are named by this class and listed with the generic attribute that their
//   semantic reads (ATTRn reads n; Cg's conventional vertex semantics keep their attributes;
//   inputs without a semantic take the lowest free attributes in declaration order);
// - varyings are named after their semantic ("nbl_TEXCOORD0", "nbl_COLOR0"), or after their
//   own name when they have none ("nbl_var_phase"), float ones widened to vec4 so that stages
//   that disagree on the width still link, as under Cg;
// - a pixel colour narrower than four components is widened (alpha 1);
// - uniform structs are listed member by member under Cg's names ("IN.video_size",
//   "lights[1].color");
// - a POSITION (or HPOS) vertex output is the clip position; a POSITION or WPOS pixel input
//   the window position; FACE the facing sign;
// - all global uniforms of a stage live in one struct instance named per stage
//   ("nbl_vs"/"nbl_ps"), members "u_" + Cg name; samplers and loose uniforms are "u_" + name,
//   the same in both stages.
//
// Global uniforms keep the initial values their declarations give them (CGUniformDefaults),
// which the program sets after linking, as Cg did.
//
// Limits, Cg that does not translate: samplerRECT and texRECT; interfaces; uniforms bound to
// OpenGL state other than the mvp, modelview[0] and projection matrices (texture matrices,
// lights, materials, fog); a struct parameter that carries both varyings and samplers; a
// sampler type inside a longer macro in a struct the entry point takes (glslang dies on it);
// a global written only through an out argument; int and bool parameters take no values
// (the engine's Cg contract refuses them).
//
// Translate runs glslang and SPIRV-Cross in a separate compiler process (a ChildProcess):
// this glslang version dies on some valid Cg (an entry parameter whose struct holds a
// sampler, ...), and a crash there must end in an error, not in the engine's death. Nothing
// here throws; failures come back as a Result with succeeded false and the compiler's listing.

#include <string>
#include <vector>

namespace Nimbrel::Graphics {

class CGTranslator {
public:
    enum Stage { StageVertex, StagePixel };

    struct Request {
        std::string source;
        std::string entryPoint;
        Stage stage = StageVertex;
        // Compile definitions, each "NAME" or "NAME=VALUE".
        std::vector<std::string> definitions;
    };

    // A vertex input: the GLSL attribute and the generic attribute index it is bound to.
    struct Attribute {
        std::string variable;
        int index = 0;
        std::string name;  // the input as the Cg source names it ("weight", "IN.weight")
    };

    // A varying written by the vertex stage or read by the pixel stage.
    struct Varying {
        std::string semantic;  // normalised: "TEXCOORD0" … "TEXCOORD7", "COLOR0", "COLOR1", …
        std::string variable;  // the GLSL varying ("nbl_" + semantic)
        std::string type;      // its GLSL type ("vec4" when widened)
        bool widened = false;  // a float scalar or vector carried as vec4
    };

    // A uniform the stage uses.
    struct Uniform {
        std::string name;      // as written in the Cg source
        std::string variable;  // the GLSL name to look up (without an element index)
        int type = 0;          // ParameterType value; 0 for types the engine cannot name
        std::string typeName;  // the Cg type word ("float2", "float3x4", "sampler1D", ...)
        int rows = 0;          // a float matrix's rows and columns as Cg counts them; 0 otherwise
        int columns = 0;
        int arraySize = 0;     // element count; 0 when not an array
        bool sampler = false;
        unsigned int samplerTarget = 0;  // GL_TEXTURE_2D, GL_TEXTURE_CUBE_MAP, … for samplers
        std::vector<float> defaults;     // its initial value in the source, in source order
    };

    struct Result {
        bool succeeded = false;
        std::string listing;  // the compiler's messages (errors, or warnings on success)
        std::string glsl;
        // Where "void main()" starts in glsl, and where its body starts. The program inserts
        // declarations at the first and vertex output defaults at the second.
        size_t mainOffset = 0;
        size_t bodyOffset = 0;
        // Vertex stage: statements giving every output a defined value before the body runs
        // (components a narrower write leaves alone read 0, 0, 0, 1).
        std::string outputDefaults;
        std::vector<Attribute> attributes;
        std::vector<Varying> varyings;
        std::vector<Uniform> uniforms;
    };

    // Translates in the compiler process; a crash or a hang of the compiler comes back as a
    // failed Result whose listing says so.
    static Result Translate(const Request& request);
    // Starts the compiler process ahead of the first Translate. A fork copies only the calling
    // thread, so the earlier it happens, the fewer threads of the engine can be caught holding
    // a lock the compiler process will need.
    static void Prepare();

    // The generic attribute a vertex input semantic reads, -1 for none. Case-insensitive.
    static int AttributeIndex(const std::string& semantic);
    // The name both stages use for a varying semantic (COLOR and COL0 give "COLOR0", TEX3
    // gives "TEXCOORD3", ...). Case-insensitive.
    static std::string VaryingSemantic(const std::string& semantic);

    static std::string Serialize(const Result& result);
    static bool Deserialize(const std::string& bytes, Result& result);

    // The time a child compile may take before it is stopped.
    static constexpr double TimeoutSeconds = 60.0;
};

}  // namespace Nimbrel::Graphics
