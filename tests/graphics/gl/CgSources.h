#pragma once
// Cg sources for the shading tests, written the way Cg's users wrote them: semantic-bound
// structs and out parameters, `uniform` entry parameters, fixed and half types, tex2D,
// texCUBE and tex2Dproj, mul with float4x4, `texture` as a sampler's name.

namespace cg_sources {

// The classic style: everything through entry parameters, conventional semantics.
inline const char* const VertexLitTextured = R"(
void vsMain(float4 position : POSITION,
            float3 normal   : NORMAL,
            float2 texCoord : TEXCOORD0,
            out float4 oPosition : POSITION,
            out float2 oTexCoord : TEXCOORD0,
            out fixed4 oColor    : COLOR,
            uniform float4x4 modelViewProj,
            uniform float3 lightDirection,
            uniform fixed4 ambient)
{
    oPosition = mul(modelViewProj, position);
    oTexCoord = texCoord;
    float diffuse = max(dot(normalize(normal), -lightDirection), 0);
    oColor = ambient + diffuse;
    oColor.a = 1;
}

fixed4 psMain(float2 texCoord : TEXCOORD0,
              fixed4 color    : COLOR,
              uniform sampler2D texture) : COLOR
{
    return tex2D(texture, texCoord) * color;
}
)";

// The engine's own style: the semantic map's names, the automatic parameters, one struct
// passed from stage to stage (its POSITION read again by the pixel stage).
inline const char* const PhongStructs = R"(
struct VertexInput {
    float4 position : N_POSITION;
    float3 normal   : N_NORMAL;
    float2 uv       : N_TEXCOORD0;
};

struct VertexOutput {
    float4 position      : POSITION;
    float2 uv            : TEXCOORD0;
    float3 worldNormal   : TEXCOORD1;
    float3 worldPosition : TEXCOORD2;
};

float4x4 World;
float4x4 WorldViewProjection;
float3 CameraPosition;
float3 Diffuse;
float Shininess;
sampler2D DiffuseMap;

VertexOutput vsMain(VertexInput IN)
{
    VertexOutput OUT;
    OUT.position = mul(WorldViewProjection, IN.position);
    OUT.uv = IN.uv;
    OUT.worldNormal = mul((float3x3)World, IN.normal);
    OUT.worldPosition = mul(World, IN.position).xyz;
    return OUT;
}

half4 psMain(VertexOutput IN) : COLOR
{
    half3 n = normalize(IN.worldNormal);
    float3 toLight = normalize(float3(0, 10, 10) - IN.worldPosition);
    float3 toEye = normalize(CameraPosition - IN.worldPosition);
    float3 halfway = normalize(toLight + toEye);
    float4 lighting = lit(dot(n, toLight), dot(n, halfway), Shininess);
    half4 albedo = tex2D(DiffuseMap, IN.uv);
    return half4(albedo.rgb * Diffuse * lighting.y + lighting.zzz, albedo.a);
}
)";

// Reflection into a cube map, a projected spot texture with Cg's three-component tex2Dproj,
// helpers that take samplers, a light array walked in a loop, macros.
inline const char* const EnvironmentAndSpot = R"(
#define LIGHT_COUNT 4

struct appdata {
    float4 position : POSITION;
    float3 normal   : NORMAL;
};

struct v2f {
    float4 hpos       : POSITION;
    float3 reflection : TEXCOORD0;
    float3 spot       : TEXCOORD1;
    float4 light      : COLOR0;
};

v2f vsMain(appdata IN,
           uniform float4x4 ModelViewProj,
           uniform float4x4 ModelToWorld,
           uniform float4x4 SpotMatrix,
           uniform float3 EyePosition,
           uniform float4 LightPositions[LIGHT_COUNT])
{
    v2f OUT;
    OUT.hpos = mul(ModelViewProj, IN.position);
    float3 worldPosition = mul(ModelToWorld, IN.position).xyz;
    float3 n = normalize(mul((float3x3)ModelToWorld, IN.normal));
    OUT.reflection = reflect(worldPosition - EyePosition, n);
    OUT.spot = mul(SpotMatrix, float4(worldPosition, 1)).xyw;
    float4 sum = 0;
    for (int i = 0; i < LIGHT_COUNT; i++)
        sum += saturate(dot(n, normalize(LightPositions[i].xyz - worldPosition))) * LightPositions[i].w;
    OUT.light = sum;
    return OUT;
}

fixed3 spotLight(sampler2D map, float3 coordinates)
{
    return tex2Dproj(map, coordinates).rgb;
}

float4 psMain(v2f IN,
              uniform samplerCUBE environmentMap,
              uniform sampler2D spotMap,
              uniform float reflectivity) : COLOR
{
    fixed3 environment = texCUBE(environmentMap, IN.reflection).rgb;
    fixed3 color = lerp(IN.light.rgb, environment, reflectivity) * spotLight(spotMap, IN.spot);
    return float4(color, 1);
}
)";

// A separable blur pass over a full-screen quad: a sampler array, a constant table.
inline const char* const BlurPass = R"(
static const float weights[3] = { 0.25, 0.5, 0.25 };

void vsMain(float4 position : ATTR0, float2 uv : ATTR8,
            out float4 hpos : POSITION, out float2 tex0 : TEX0)
{
    hpos = position;
    tex0 = uv;
}

sampler2D layers[2];

float4 psMain(float2 uv : TEXCOORD0, uniform float2 texelSize, uniform float mixAmount) : COLOR
{
    float4 sum = 0;
    for (int i = 0; i < 3; i++)
        sum += tex2D(layers[0], uv + texelSize * (i - 1)) * weights[i];
    return lerp(sum, tex2D(layers[1], uv), mixAmount);
}
)";

}  // namespace cg_sources
