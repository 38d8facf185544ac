#pragma once
// Presentation: the demo's content and how a frame of it is drawn at a time t.
//
// The constructor loads, through the Application's resource proxy and in this order, the
// music, the fifteen scenes of the scene table, the floor scene, the three programs (the
// scenes', one loaded but not used, the floor's) and the texture (loaded but not used); a
// missing or damaged file ends it with the proxy's report naming the file. The programs and
// the texture are watched: Draw first lets the watcher poll (about four times a second), so
// a Cg program edited while the demo plays is drawn with from the next poll on, and one that
// no longer compiles keeps the last good program and is reported once.
//
// Draw(t): the camera circles the origin, the floor is drawn with its animated program, and
// from t = 16 s on scene (t / 8 - 2) grows in and shrinks away with the wipe, each for eight
// seconds. The floor program's "Glow" is the probe "floor.glow", which the Studio's sync data
// drives, read as the frame is drawn.

#include "CircleWipe.h"
#include "TestEffect.h"

#include "core/Managed.h"
#include "graphics/Program.h"
#include "graphics/Texture.h"
#include "utils/ProbeValue.h"
#include "utils/Resource.h"
#include "utils/ResourceWatch.h"
#include "utils/Scene.h"
#include "utils/audio/Stream.h"

namespace Nimbrel::Utils {
class Application;
}

namespace host {

// One scene of the presentation and how its wipe grows it in.
struct SceneEntry {
    const char* file;
    float speed;
    float divisor;
};

class Presentation {
public:
    static constexpr int SceneCount = 15;
    static const SceneEntry sceneTable[SceneCount];

    // The Application must be started and outlive the presentation.
    explicit Presentation(Nimbrel::Utils::Application& application);
    Presentation(const Presentation&) = delete;
    Presentation& operator=(const Presentation&) = delete;

    Nimbrel::Utils::Audio::Stream* GetMusic() const { return music.Get(); }
    // Index into the scene table of the scene shown at t, or -1 when none is.
    static int SceneAt(float t);

    void Draw(float t);

private:
    using SceneHandle = Nimbrel::Utils::Resource<Nimbrel::Utils::Scene, Nimbrel::Utils::ResourceType::Scene>;
    using ProgramHandle = Nimbrel::Utils::Resource<Nimbrel::Graphics::Program, Nimbrel::Utils::ResourceType::Program>;

    Nimbrel::Utils::Application& application;
    Nimbrel::Utils::Resource<Nimbrel::Utils::Audio::Stream, Nimbrel::Utils::ResourceType::AudioStream> music;
    SceneHandle scenes[SceneCount];
    SceneHandle floor;
    ProgramHandle sceneProgram;
    ProgramHandle glowProgram;
    ProgramHandle floorProgram;
    Nimbrel::Utils::Resource<Nimbrel::Graphics::Texture2D, Nimbrel::Utils::ResourceType::Texture2D> texture;

    Nimbrel::Managed<Nimbrel::Utils::ResourceWatch> watch;
    int sceneProgramEntry = -1;
    int floorProgramEntry = -1;

    Nimbrel::Managed<TestEffect> floorEffect{new TestEffect()};
    Nimbrel::Managed<CircleWipe> wipe{new CircleWipe()};
    int previousScene = -1;
    Nimbrel::Utils::ProbeValue<float> floorGlow;
    const Nimbrel::String glowName{"Glow"};
};

}  // namespace host
