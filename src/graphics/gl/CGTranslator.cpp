// CGTranslator: the route of one translation and the compiler process it runs in. The steps
// live beside it: the source rewrites for Cg that HLSL reads otherwise (CGSourceRewrites,
// CGUniformRewrites), the prelude (CGPrelude), glslang's compile (CGSpirvCompiler),
// SPIRV-Cross's renaming and reflection (CGCrossCompiler) with the library functions GLSL 1.20
// lacks (CGLegacyLibrary), the messages to and from the compiler process (CGWireFormat) and
// the semantic tables (CGSemantics).
#include "graphics/gl/CGTranslator.h"

#include "core/Managed.h"
#include "graphics/gl/CGCrossCompiler.h"
#include "graphics/gl/CGPrelude.h"
#include "graphics/gl/CGSourceRewrites.h"
#include "graphics/gl/CGUniformRewrites.h"
#include "graphics/gl/CGSpirvCompiler.h"
#include "graphics/gl/CGWireFormat.h"
#include "platform/ChildProcess.h"

#include <exception>
#include <utility>

namespace Nimbrel::Graphics {

namespace CGTranslatorDetail {

// declarations go after the prelude, before the source.
CGTranslator::Result TranslateOnce(const CGTranslator::Request& request, const std::string& declarations,
                                   bool boolsAsInts)
{
    CGTranslator::Result result;
    CGSpirvCompiler::Output compiled;
    std::string prelude =
        CGPrelude::Text(request.definitions, boolsAsInts) + CGPrelude::GlslSpellings(request.source) + declarations;
    if (!CGSpirvCompiler::Compile(request, prelude, compiled, result.listing))
        return result;
    try {
        CGCrossCompiler::Translate(std::move(compiled.spirv), request.stage, compiled.defaults, result);
    } catch (const std::exception& error) {
        result.succeeded = false;
        result.listing += std::string("error: the shader uses what GLSL 1.20 cannot express: ") + error.what() + "\n";
    }
    return result;
}

// A source whose bool uniforms need unsigned integers is tried again with bools as ints.
CGTranslator::Result TranslateWithBoolFallback(const CGTranslator::Request& request, const std::string& declarations)
{
    CGTranslator::Result result = TranslateOnce(request, declarations, false);
    if (!result.succeeded && result.listing.find("Unsigned integers are not supported") != std::string::npos) {
        CGTranslator::Result retry = TranslateOnce(request, declarations, true);
        if (retry.succeeded)
            return retry;
    }
    return result;
}

// The source rewritten into what glslang reads; a source that fails is tried once more
// without the functions its entry point does not reach, whose errors Cg would not have seen.
// The first attempt's listing is the one reported when both fail.
CGTranslator::Result TranslateInThisProcess(const CGTranslator::Request& request)
{
    CGTranslator::Request rewritten = request;
    std::string declarations;
    try {
        std::string source = CGSourceRewrites::LenientDirectives(request.source);
        source = CGUniformRewrites::HoistEntrySamplers(source, request.entryPoint);
        source = CGUniformRewrites::PrivateCopiesOfWrittenGlobals(source);
        source = CGUniformRewrites::StateMatrices(source, request.entryPoint, declarations);
        rewritten.source = CGSourceRewrites::CLikeInitialisers(source);
    } catch (const std::exception& error) {
        CGTranslator::Result refused;
        refused.listing = std::string("ERROR: ") + error.what() + "\n";
        return refused;
    }
    CGTranslator::Result result = TranslateWithBoolFallback(rewritten, declarations);
    if (result.succeeded)
        return result;
    CGTranslator::Request reachable = rewritten;
    reachable.source = CGSourceRewrites::UnreachableFunctionsRemoved(rewritten.source, request.entryPoint);
    if (reachable.source == rewritten.source)
        return result;
    CGTranslator::Result retry = TranslateWithBoolFallback(reachable, declarations);
    return retry.succeeded ? retry : result;
}

// Runs in the compiler process, never in the engine's.
std::string ServeTranslation(const std::string& bytes)
{
    CGTranslator::Request request;
    CGTranslator::Result result;
    if (CGWireFormat::ReadRequest(bytes, request)) {
        CGSpirvCompiler::Initialize();
        result = TranslateInThisProcess(request);
    } else {
        result.listing = "ERROR: the request could not be read\n";
    }
    return CGTranslator::Serialize(result);
}

// The compiler process: glslang and SPIRV-Cross run only there, never in the engine's own
// process. It keeps glslang's built-in symbol tables from one compile to the next.
ChildProcess& CompilerProcess()
{
    static Managed<ChildProcess> process(ChildProcess::Create(&ServeTranslation, "compiler"));
    return *process;
}

}  // namespace CGTranslatorDetail

void CGTranslator::Prepare()
{
    CGTranslatorDetail::CompilerProcess().Prepare();
}

CGTranslator::Result CGTranslator::Translate(const Request& request)
{
    ChildProcess::Outcome outcome =
        CGTranslatorDetail::CompilerProcess().Call(CGWireFormat::WriteRequest(request), TimeoutSeconds);
    Result result;
    if (!outcome.completed) {
        result.listing = "ERROR: " + outcome.failure + " on this source\n";
        return result;
    }
    if (!Deserialize(outcome.output, result)) {
        result = Result();
        result.listing = "ERROR: the compiler's answer could not be read\n";
    }
    return result;
}

}  // namespace Nimbrel::Graphics
