#include "utils/draw2d/Default2DEffect.h"

#include "core/Exception.h"
#include "graphics/Shader.h"
#include "utils/Drawable.h"
#include "utils/State.h"

namespace Nimbrel::Utils::Effects {

namespace {

const char* const Source = R"(
float4 ScreenSpaceConformOffset;
float4 ViewportConformFactor;
float2 Resolution;
sampler2D DiffuseMap;

struct VertexInput {
    float4 Position : N_POSITION;
    float2 Texcoord : N_TEXCOORD0;
    float4 ClipRect : N_TEXCOORD1;
    float4 Color : N_COLOR;
};

struct VertexOutput {
    float4 Position : POSITION;
    float2 Texcoord : TEXCOORD0;
    float4 Color : TEXCOORD1;
    float2 Pixel : TEXCOORD2;
    float4 ClipRect : TEXCOORD3;
};

VertexOutput vsMain(VertexInput input)
{
    VertexOutput output;
    float4 p = float4(input.Position.xy, 0, 1);
    output.Position = (p / float4(Resolution.x * 0.5, -Resolution.y * 0.5, 1, 1) + float4(-1, 1, 0, 0))
                      * ViewportConformFactor + ScreenSpaceConformOffset;
    output.Texcoord = input.Texcoord;
    output.Color = input.Color;
    output.Pixel = input.Position.xy;
    output.ClipRect = input.ClipRect;
    return output;
}

float4 psMain(VertexOutput input) : COLOR
{
    // Pixel centres lie half a pixel inside the corners the vertices name.
    if (input.Pixel.x < input.ClipRect.x || input.Pixel.y < input.ClipRect.y ||
        input.Pixel.x > input.ClipRect.z || input.Pixel.y > input.ClipRect.w)
        discard;
    return tex2D(DiffuseMap, input.Texcoord) * input.Color;
}
)";

}  // namespace

const char* Default2DEffect::GetSource()
{
    return Source;
}

Default2DEffect::Default2DEffect(Graphics::Device* device) : device(device)
{
    if (!device || (!device->SupportsShadingLanguage(Graphics::ShadingLanguageCg) &&
                    !device->SupportsShadingLanguage(Graphics::ShadingLanguageHLSL)))
        throw Exception("Draw2D::Default2DEffect requires a graphics device with CG/HLSL support (for now)");
    Managed<Graphics::Shader> vertex(device->CreateShader(Graphics::ShaderTypeVertex, false, "vsMain", nullptr, Source));
    Managed<Graphics::Shader> pixel(device->CreateShader(Graphics::ShaderTypePixel, false, "psMain", nullptr, Source));
    program.Set(device->CreateProgram(vertex.Get(), pixel.Get()));
}

void Default2DEffect::RenderDrawable(Target& target, State& state)
{
    state.programs.Push(program.Get());
    struct Popped {
        State& state;
        ~Popped() { state.programs.Pop(); }
    } popped{state};
    state.Begin();
    try {
        static_cast<Drawable&>(target).Draw();
    } catch (...) {
        state.End();
        throw;
    }
    state.End();
}

}  // namespace Nimbrel::Utils::Effects
