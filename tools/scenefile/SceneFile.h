#pragma once
// What scenecheck and scenetool share: a scene file loaded the way a demo loads it, and the
// summary both print of it.
//
// The file is requested as a Scene from a default resource proxy over its folder, on an OpenGL
// device (a small hidden window: run the tools under a display or Xvfb). A file that does not
// load as a scene ends in an Exception carrying the proxy's report.

#include "core/Managed.h"
#include "graphics/Device.h"
#include "io/NativeFileSystem.h"
#include "platform/Window.h"
#include "utils/ResourceProxy.h"
#include "utils/Scene.h"

#include <cstdio>
#include <string>

namespace SceneTools {

class SceneFile {
public:
    // `tool` names the window and the failure message.
    SceneFile(const std::string& path, const char* tool);

    Nimbrel::Utils::Scene& GetScene() const { return *scene; }
    // The folder the file was read from; its descriptors are relative to it.
    const std::string& GetFolder() const { return folder; }

private:
    std::string folder;
    // Declared in the order they are made, so they are released scene first, window last.
    Nimbrel::Managed<Nimbrel::Window> window;
    Nimbrel::Managed<Nimbrel::Graphics::Device> device;
    Nimbrel::Managed<Nimbrel::IO::NativeFileSystem> files;
    Nimbrel::Managed<Nimbrel::Utils::ResourceProxy> proxy;
    Nimbrel::Managed<Nimbrel::Utils::Scene> scene;
};

// One line each for "nodes N" (every node of the tree, the root included), "geometries N",
// "triangles N" (of the geometries' triangle ranges), "materials N", "controllers N",
// "lights N" and "cameras N" (light and camera nodes of the tree), then every line of the
// importer's log prefixed with "log: ".
void PrintSummary(const Nimbrel::Utils::Scene& scene, std::FILE* out);

// Runs `work` and turns what it throws into a message on standard error and exit status 1.
int RunReportingErrors(const char* tool, int (*work)(int argc, char** argv), int argc, char** argv);

}  // namespace SceneTools
