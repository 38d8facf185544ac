#pragma once
// ParameterSet: the uniforms of one program that receive automatic values from the render
// state, looked up by name once per program.
//
// Shaders ask for a value by declaring a uniform of its name and type; the table below is the
// whole list. An entry is null when the program does not use the name, and nothing is computed
// or set for it. Matrices are the column-major transforms of Math::Matrix4 acting on column
// vectors, so WorldViewProjection = Projection * View * World maps object space to clip space;
// an inverse of a singular matrix is that matrix unchanged.
//
// The sets live in one process-wide cache keyed by program. A set is built on the first
// request for its program and dropped when the program is destroyed, so a program made later
// at the same address starts afresh. Main thread only.

#include "graphics/Device.h"
#include "math/Matrix4.h"

namespace Nimbrel::Utils {

class ParameterSet {
public:
    // The semantic names in table order.
    enum Semantic : int {
        SemanticWorld,                       // float4x4
        SemanticWorldView,                   // float4x4
        SemanticWorldViewProjection,         // float4x4
        SemanticView,                        // float4x4
        SemanticViewProjection,              // float4x4
        SemanticProjection,                  // float4x4
        SemanticWorldInverse,                // float4x4
        SemanticWorldViewInverse,            // float4x4
        SemanticWorldViewProjectionInverse,  // float4x4
        SemanticViewInverse,                 // float4x4
        SemanticViewProjectionInverse,       // float4x4
        SemanticProjectionInverse,           // float4x4
        SemanticCameraPosition,              // float3
        SemanticScreenSpaceConformOffset,    // float4
        SemanticViewportConformFactor,       // float4
        SemanticResolution,                  // float2, in pixels
        SemanticTime,                        // float, seconds
        SemanticShininess,                   // float
        SemanticTransparency,                // float
        SemanticDisplacement,                // float
        SemanticReflectivity,                // float
        SemanticNormal,                      // float3
        SemanticDiffuse,                     // float3
        SemanticSpecular,                    // float3
        SemanticEmission,                    // float3
        SemanticReflection,                  // float3
        SemanticShininessMap,                // sampler
        SemanticTransparencyMap,
        SemanticDisplacementMap,
        SemanticReflectivityMap,
        SemanticNormalMap,
        SemanticDiffuseMap,
        SemanticSpecularMap,
        SemanticEmissionMap,
        SemanticReflectionMap,
        SemanticCount
    };
    static constexpr int MapCount = SemanticCount - SemanticShininessMap;

    // The uniform name of each semantic.
    static const char* const Names[SemanticCount];

    // Looks up every name on the program (GetParameter, kept when IsValid).
    explicit ParameterSet(Graphics::Program* program);
    ParameterSet(const ParameterSet&) = delete;
    ParameterSet& operator=(const ParameterSet&) = delete;

    // The cached set of the program, built on the first request.
    static ParameterSet& For(Graphics::Program* program);
    // Number of programs with a cached set.
    static int CachedCount();

    Graphics::Program* GetProgram() const { return program; }
    // The program's parameter for the semantic, or null when the program does not use it.
    Graphics::Parameter* Get(Semantic semantic) const { return parameters[semantic]; }

    // World, View, Projection, their products and the inverses, in the order World,
    // WorldInverse, WorldView, WorldViewInverse, WorldViewProjection, its inverse, View,
    // ViewInverse, ViewProjection, its inverse, Projection, ProjectionInverse. A product or an
    // inverse is computed only when some wanted value needs it.
    void SetMatrices(const Math::Matrix4& world, const Math::Matrix4& view, const Math::Matrix4& projection);
    // ViewportConformFactor, then ScreenSpaceConformOffset, from the device's conformance, its
    // framebuffer and its viewport; the device is not asked when neither is wanted.
    void SetConformance(Graphics::Device& device);
    // Scalar and vector setters that skip an unused semantic.
    void SetFloat(Semantic semantic, float value);
    void SetFloat2(Semantic semantic, float x, float y);
    void SetFloat3(Semantic semantic, const float* values);

private:
    Graphics::Program* program;
    Graphics::Parameter* parameters[SemanticCount];
};

}  // namespace Nimbrel::Utils
