// CGTranslator: the route of one translation and the compiler process it runs in. The steps
// live beside it: the prelude (CGPrelude), glslang's compile (CGSpirvCompiler), SPIRV-Cross's
// renaming and reflection (CGCrossCompiler), the messages to and from the compiler process
// (CGWireFormat) and the semantic tables (CGSemantics).
#include "graphics/gl/CGTranslator.h"

#include "core/Managed.h"
#include "graphics/gl/CGCrossCompiler.h"
#include "graphics/gl/CGPrelude.h"
#include "graphics/gl/CGSpirvCompiler.h"
#include "graphics/gl/CGWireFormat.h"
#include "platform/ChildProcess.h"

#include <exception>
#include <utility>

namespace Nimbrel::Graphics {

namespace CGTranslatorDetail {

CGTranslator::Result TranslateOnce(const CGTranslator::Request& request, bool boolsAsInts)
{
    CGTranslator::Result result;
    CGSpirvCompiler::Output compiled;
    if (!CGSpirvCompiler::Compile(request, CGPrelude::Text(request.definitions, boolsAsInts), compiled, result.listing))
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
CGTranslator::Result TranslateInThisProcess(const CGTranslator::Request& request)
{
    CGTranslator::Result result = TranslateOnce(request, false);
    if (!result.succeeded && result.listing.find("Unsigned integers are not supported") != std::string::npos) {
        CGTranslator::Result retry = TranslateOnce(request, true);
        if (retry.succeeded)
            return retry;
    }
    return result;
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
