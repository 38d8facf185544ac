// cgcheck: compiles a Cg file's vertex and pixel entry points through the engine and links
// them into a program, the way the engine will when it loads them.
//
//     cgcheck FILE VERTEX_ENTRY PIXEL_ENTRY
//
// Prints one line per step, "vertex: ok", "pixel: ok" and "program: ok", or the step's error
// text in place of "ok"; exits 0 when all three succeeded and 1 otherwise. After "program: ok"
// comes one line per program parameter, "param NAME TYPE", with the name GetParameter takes and
// the Cg type word ("param IN.video_size float2"). The shaders see the
// standard semantic map (N_POSITION … N_TEXCOORD7). Linking needs an OpenGL context, so it
// opens a small window: run it under a display or Xvfb.

#include "core/Exception.h"
#include "core/Managed.h"
#include "graphics/Device.h"
#include "graphics/Program.h"
#include "graphics/Shader.h"
#include "graphics/Parameter.h"
#include "graphics/gl/CGParameter.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "platform/Window.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

using namespace Nimbrel;
using namespace Nimbrel::Graphics;

namespace cgcheck {

// The error text of a step: the message without the blank lines that close it.
std::string Text(const Exception& error)
{
    std::string text = error.GetMessage().CStr();
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

int Run(const char* path, const char* vertexEntry, const char* pixelEntry)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::printf("cgcheck: %s can not be read\n", path);
        return 1;
    }
    std::stringstream contents;
    contents << file.rdbuf();
    std::string source = contents.str();

    Managed<Window> window;
    Managed<Device> device;
    try {
        window = Managed<Window>(Window::Create(64, 64, "cgcheck", true));
        GL2CGDeviceFactory factory;
        device = Managed<Device>(factory.CreateDevice(window.Get(), DepthStencilFormatD24S8, 0, 0));
    } catch (const Exception& error) {
        std::printf("cgcheck: no OpenGL device: %s\n", Text(error).c_str());
        return 1;
    }

    Managed<Shader> shaders[2];
    const char* entries[2] = {vertexEntry, pixelEntry};
    const ShaderType types[2] = {ShaderTypeVertex, ShaderTypePixel};
    const char* steps[2] = {"vertex", "pixel"};
    bool compiled = true;
    for (int i = 0; i < 2; ++i) {
        try {
            shaders[i] = Managed<Shader>(device->CreateShader(types[i], false, entries[i], nullptr, source.c_str()));
            std::printf("%s: ok\n", steps[i]);
        } catch (const Exception& error) {
            std::printf("%s: %s\n", steps[i], Text(error).c_str());
            compiled = false;
        }
        std::fflush(stdout);
    }
    if (!compiled) {
        std::printf("program: not linked, a shader did not compile\n");
        return 1;
    }
    try {
        Managed<Program> program(device->CreateProgram(shaders[0].Get(), shaders[1].Get()));
        std::printf("program: ok\n");
        for (int i = 0; i < program->GetParameterCount(); ++i) {
            auto* parameter = dynamic_cast<CGParameter*>(program->GetParameter(i));
            if (parameter)
                std::printf("param %s %s\n", parameter->GetName().CStr(), parameter->GetTypeName().c_str());
        }
    } catch (const Exception& error) {
        std::printf("program: %s\n", Text(error).c_str());
        return 1;
    }
    return 0;
}

}  // namespace cgcheck

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: cgcheck FILE VERTEX_ENTRY PIXEL_ENTRY\n");
        return 1;
    }
    try {
        return cgcheck::Run(argv[1], argv[2], argv[3]);
    } catch (const Exception& error) {
        std::printf("cgcheck: %s\n", cgcheck::Text(error).c_str());
    } catch (const std::exception& error) {
        std::printf("cgcheck: %s\n", error.what());
    }
    return 1;
}
