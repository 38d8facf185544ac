# Runs cgcheck over small Cg files written here: two that link (one with struct uniforms, listed
# member by member), one with an error in its pixel entry point, one that this glslang crashes
# on, and a missing file.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(WRITE "${WORK}/good.cg" [[
struct v2f {
    float4 position : POSITION;
    float2 uv       : TEXCOORD0;
};
v2f vsMain(float4 position : N_POSITION, float2 uv : N_TEXCOORD0, uniform float4x4 WorldViewProjection)
{
    v2f OUT;
    OUT.position = mul(WorldViewProjection, position);
    OUT.uv = uv;
    return OUT;
}
fixed4 psMain(v2f IN, uniform sampler2D texture) : COLOR
{
    return tex2D(texture, IN.uv);
}
]])
file(WRITE "${WORK}/structs.cg" [[
struct input { float2 video_size; float frame_count; };
struct Lut { sampler2D tex; float3x4 colors[2]; };
void vsMain(float4 p : POSITION, uniform input IN, out float4 o : POSITION) { o = float4(p.xy * IN.video_size, p.zw); }
float4 psMain(uniform input IN, uniform Lut lut) : COLOR
{
    return tex2D(lut.tex, IN.video_size) * IN.frame_count + lut.colors[1][0];
}
]])
file(WRITE "${WORK}/broken.cg" [[
float4 vsMain(float4 p : POSITION) : POSITION { return p; }
float4 psMain() : COLOR { return undefinedThing; }
]])
file(WRITE "${WORK}/crash.cg" [[
#define MEMBERS sampler2D map; float4 tint;
struct Material { MEMBERS };
float4 vsMain(float4 p : POSITION) : POSITION { return p; }
float4 psMain(float2 uv : TEXCOORD0, uniform Material m) : COLOR { return tex2D(m.map, uv) * m.tint; }
]])

include("${CMAKE_CURRENT_LIST_DIR}/../ToolCheck.cmake")

run(0 good.cg vsMain psMain)
expect("${out}" "vertex: ok\npixel: ok\nprogram: ok\nparam WorldViewProjection float4x4\nparam texture sampler2D\n")
run(0 structs.cg vsMain psMain)
expect("${out}" "vertex: ok\npixel: ok\nprogram: ok\nparam IN.frame_count float\nparam IN.video_size float2\nparam lut.colors float3x4\nparam lut.tex sampler2D\n")
run(1 broken.cg vsMain psMain)
# Only what an entry point reaches is checked: the error is the pixel step's alone.
expect_match("${out}" "^vertex: ok\npixel: The compile returned an error\\.\n\npixel entry point \"psMain\":\n[^\n]*'undefinedThing'.*\nprogram: not linked, a shader did not compile\n$")
run(1 crash.cg vsMain psMain)
expect_match("${out}" "^vertex: ok\npixel: The compile returned an error\\.\n.*the compiler crashed \\(signal 11.*\nprogram: not linked")
run(1 missing.cg vsMain psMain)
expect_match("${out}" "^cgcheck: missing.cg can not be read\n$")
