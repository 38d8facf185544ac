#include "Scenes.h"

#include <cmath>
#include <cstdint>

namespace demogen {

namespace {

constexpr float kPi = 3.14159265358979f;

// A fixed-seed generator, so a scene's jitter is the same on every run and machine.
class Jitter {
public:
    explicit Jitter(uint32_t seed) : state_(seed) {}
    float Next()  // in [0, 1)
    {
        state_ = state_ * 1664525u + 1013904223u;
        return float(state_ >> 8) / float(1u << 24);
    }
    float Between(float low, float high) { return low + (high - low) * Next(); }

private:
    uint32_t state_;
};

Part MakePart(const char* mesh, int material, float x, float y, float z, float sx, float sy, float sz)
{
    Part part;
    part.mesh = mesh;
    part.material = material;
    part.position[0] = x, part.position[1] = y, part.position[2] = z;
    part.scale[0] = sx, part.scale[1] = sy, part.scale[2] = sz;
    return part;
}

Part Turned(Part part, float degrees)
{
    part.angle = degrees;
    return part;
}

float Degrees(float radians) { return radians * 180 / kPi; }

SceneDescription Start(const char* name, std::vector<Colour> palette)
{
    SceneDescription scene;
    scene.name = name;
    scene.palette = std::move(palette);
    scene.meshes = {MakeBox(), MakeSphere(16, 10), MakeCylinder(16), MakeCone(16)};
    return scene;
}

SceneDescription RingOfPillars()
{
    SceneDescription s = Start("ring-of-pillars", {{0.85f, 0.78f, 0.62f}, {0.55f, 0.35f, 0.2f}, {0.95f, 0.7f, 0.2f}});
    const int pillars = 10;
    for (int i = 0; i < pillars; ++i) {
        const float a = 2 * kPi * i / pillars, x = 90 * std::cos(a), y = 90 * std::sin(a);
        s.parts.push_back(MakePart("cylinder", 0, x, y, 0, 7, 7, 76));
        s.parts.push_back(Turned(MakePart("box", 1, x, y, 76, 15, 15, 4), Degrees(a)));
    }
    Part orb = MakePart("sphere", 2, 0, 0, 40, 18, 18, 18);
    orb.bobHeight = 12;
    s.parts.push_back(orb);
    return s;
}

SceneDescription SpiralStaircase()
{
    SceneDescription s = Start("spiral-staircase", {{0.3f, 0.6f, 0.9f}, {0.9f, 0.9f, 0.95f}, {0.2f, 0.3f, 0.5f}});
    s.parts.push_back(MakePart("cylinder", 2, 0, 0, 0, 10, 10, 150));
    const int steps = 32;
    for (int i = 0; i < steps; ++i) {
        const float a = 0.4f * i, r = 40;
        s.parts.push_back(Turned(MakePart("box", i % 2, r * std::cos(a), r * std::sin(a), 4.5f * i, 55, 16, 3), Degrees(a)));
    }
    return s;
}

SceneDescription CityBlock()
{
    SceneDescription s = Start("city-block", {{0.25f, 0.28f, 0.35f}, {0.55f, 0.6f, 0.7f}, {0.95f, 0.75f, 0.35f}, {0.15f, 0.15f, 0.2f}});
    Jitter jitter(7);
    for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 8; ++i) {
            const float x = -105 + 30 * i, y = -105 + 30 * j;
            const float centre = 1 - std::hypot(x, y) / 160;
            const float h = 15 + 130 * centre * centre * jitter.Between(0.5f, 1.0f);
            s.parts.push_back(MakePart("box", int(jitter.Next() * 3), x, y, h / 2, 20, 20, h));
        }
    s.parts.push_back(MakePart("box", 3, 0, 0, -1, 250, 250, 2));
    return s;
}

SceneDescription FlowerOfSpheres()
{
    SceneDescription s = Start("flower-of-spheres", {{0.95f, 0.4f, 0.6f}, {1.0f, 0.75f, 0.85f}, {1.0f, 0.85f, 0.2f}, {0.3f, 0.7f, 0.3f}});
    s.parts.push_back(MakePart("cylinder", 3, 0, 0, 0, 4, 4, 60));
    Part heart = MakePart("sphere", 2, 0, 0, 70, 16, 16, 10);
    heart.spinSeconds = 6;
    s.parts.push_back(heart);
    for (int ring = 0; ring < 3; ++ring) {
        const int petals = 8 + 4 * ring;
        for (int i = 0; i < petals; ++i) {
            const float a = 2 * kPi * (i + 0.5f * ring) / petals, r = 28 + 24 * ring;
            const float size = 13 - 2.5f * ring;
            s.parts.push_back(Turned(MakePart("sphere", ring % 2, r * std::cos(a), r * std::sin(a), 70 - 8 * ring, size * 1.6f,
                                              size, size * 0.5f),
                                     Degrees(a)));
        }
    }
    for (int i = 0; i < 4; ++i) {
        const float a = kPi / 2 * i;
        s.parts.push_back(Turned(MakePart("sphere", 3, 20 * std::cos(a), 20 * std::sin(a), 20 + 8 * i, 18, 6, 2), Degrees(a)));
    }
    return s;
}

SceneDescription Helix()
{
    SceneDescription s = Start("double-helix", {{0.2f, 0.8f, 0.7f}, {0.9f, 0.3f, 0.5f}, {0.9f, 0.9f, 0.9f}});
    const int rungs = 60;
    for (int i = 0; i < rungs; ++i) {
        const float a = 0.21f * i, z = 5 + 2.6f * i, r = 45;
        s.parts.push_back(MakePart("sphere", 0, r * std::cos(a), r * std::sin(a), z, 8, 8, 8));
        s.parts.push_back(MakePart("sphere", 1, -r * std::cos(a), -r * std::sin(a), z, 8, 8, 8));
        s.parts.push_back(Turned(MakePart("box", 2, 0, 0, z, 2 * r, 3, 3), Degrees(a)));
    }
    return s;
}

SceneDescription WaveOfTiles()
{
    SceneDescription s = Start("wave-of-tiles", {{0.1f, 0.35f, 0.8f}, {0.15f, 0.6f, 0.9f}, {0.6f, 0.9f, 1.0f}});
    const int n = 11;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const float x = -110 + 22 * i, y = -110 + 22 * j;
            const float wave = std::sin(0.045f * x + 0.03f * y) + 0.5f * std::cos(0.06f * y);
            const int shade = wave > 0.6f ? 2 : wave > -0.3f ? 1 : 0;
            s.parts.push_back(MakePart("box", shade, x, y, 30 + 25 * wave, 20, 20, 4));
        }
    return s;
}

SceneDescription Arch()
{
    SceneDescription s = Start("arch", {{0.8f, 0.45f, 0.3f}, {0.65f, 0.35f, 0.25f}, {0.9f, 0.85f, 0.7f}});
    const int stones = 17;
    for (int i = 0; i < stones; ++i) {
            const float a = kPi * i / (stones - 1), r = 100;
            Part stone = MakePart("box", i % 2, r * std::cos(a), 0, 10 + r * std::sin(a), 18, 60, 16);
            stone.axis[0] = 0, stone.axis[1] = 1, stone.axis[2] = 0;
            stone.angle = -Degrees(a);
            s.parts.push_back(stone);
    }
    s.parts.push_back(MakePart("box", 2, -100, 0, 5, 30, 90, 10));
    s.parts.push_back(MakePart("box", 2, 100, 0, 5, 30, 90, 10));
    return s;
}

SceneDescription StepPyramid()
{
    SceneDescription s = Start("step-pyramid", {{0.85f, 0.7f, 0.4f}, {0.75f, 0.6f, 0.35f}, {0.3f, 0.9f, 0.6f}});
    for (int level = 0; level < 3; ++level) {
        const int n = 3 - level;
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                const float size = 56, offset = -(n - 1) * size / 2;
                s.parts.push_back(MakePart("box", (i + j + level) % 2, offset + size * i, offset + size * j, 20 + 40 * level, 54,
                                           54, 40));
            }
    }
    Part crystal = MakePart("cone", 2, 0, 0, 120, 18, 18, 40);
    crystal.spinSeconds = 4;
    s.parts.push_back(crystal);
    return s;
}

SceneDescription ConeForest()
{
    SceneDescription s = Start("cone-forest", {{0.1f, 0.45f, 0.25f}, {0.2f, 0.6f, 0.3f}, {0.45f, 0.3f, 0.2f}, {0.9f, 0.95f, 1.0f}});
    Jitter jitter(23);
    for (int ring = 0; ring < 3; ++ring) {
        const int trees = 6 + 6 * ring;
        for (int i = 0; i < trees; ++i) {
            const float a = 2 * kPi * (i + jitter.Next() * 0.5f) / trees, r = 30 + 35 * ring;
            const float h = 70 - 12 * ring + jitter.Between(-8, 8);
            const float x = r * std::cos(a), y = r * std::sin(a);
            s.parts.push_back(MakePart("cylinder", 2, x, y, 0, 2, 2, 10));
            s.parts.push_back(MakePart("cone", ring % 2, x, y, 8, h / 4, h / 4, h));
        }
    }
    s.parts.push_back(MakePart("cone", 3, 0, 0, 0, 14, 14, 110));
    return s;
}

SceneDescription TrefoilKnot()
{
    SceneDescription s = Start("trefoil-knot", {{0.95f, 0.5f, 0.1f}, {0.95f, 0.8f, 0.2f}, {0.8f, 0.2f, 0.1f}});
    const int beads = 90;
    for (int i = 0; i < beads; ++i) {
        const float t = 2 * kPi * i / beads;
        const float x = std::sin(t) + 2 * std::sin(2 * t), y = std::cos(t) - 2 * std::cos(2 * t), z = -std::sin(3 * t);
        s.parts.push_back(MakePart("sphere", i % 3, 32 * x, 32 * y, 60 + 30 * z, 9, 9, 9));
    }
    return s;
}

SceneDescription DominoSpiral()
{
    SceneDescription s = Start("domino-spiral", {{0.95f, 0.95f, 0.9f}, {0.1f, 0.1f, 0.12f}, {0.8f, 0.1f, 0.15f}});
    float a = 1.2f;
    for (int i = 0; i < 36; ++i) {
        const float r = 12 + 16 * a;
        s.parts.push_back(Turned(MakePart("box", i % 6 == 5 ? 2 : i % 2, r * std::cos(a), r * std::sin(a), 20, 4, 16, 40),
                                 Degrees(a)));
        a += 16.0f / r;
    }
    return s;
}

SceneDescription SphereShell()
{
    SceneDescription s = Start("cube-shell", {{0.6f, 0.3f, 0.9f}, {0.3f, 0.5f, 1.0f}, {0.9f, 0.5f, 1.0f}});
    const int cubes = 240;
    const float golden = kPi * (3 - std::sqrt(5.0f));
    for (int i = 0; i < cubes; ++i) {
        const float z = 1 - 2 * (i + 0.5f) / cubes, r = std::sqrt(1 - z * z), a = golden * i;
        Part cube = MakePart("box", i % 3, 95 * r * std::cos(a), 95 * r * std::sin(a), 100 + 95 * z, 10, 10, 10);
        cube.angle = Degrees(a);
        s.parts.push_back(cube);
    }
    Part core = MakePart("sphere", 2, 0, 0, 100, 34, 34, 34);
    core.spinSeconds = 5;
    s.parts.push_back(core);
    return s;
}

void Branch(SceneDescription& s, float x, float y, float z, float heading, float tilt, float length, int depth)
{
    const float dx = std::sin(tilt) * std::cos(heading), dy = std::sin(tilt) * std::sin(heading), dz = std::cos(tilt);
    Part limb = MakePart("cylinder", depth < 2 ? 1 : 0, x, y, z, 1.0f + depth * 1.2f, 1.0f + depth * 1.2f, length);
    // Rotate +z onto (dx, dy, dz): about the horizontal axis perpendicular to both.
    const float axisLength = std::hypot(dx, dy);
    if (axisLength > 1e-4f) {
        limb.axis[0] = -dy / axisLength, limb.axis[1] = dx / axisLength, limb.axis[2] = 0;
        limb.angle = Degrees(tilt);
    }
    s.parts.push_back(limb);
    const float ex = x + dx * length, ey = y + dy * length, ez = z + dz * length;
    if (depth == 0) {
        s.parts.push_back(MakePart("sphere", 2, ex, ey, ez, 5, 5, 5));
        return;
    }
    for (int k = 0; k < 3; ++k)
        Branch(s, ex, ey, ez, heading + 2 * kPi * k / 3 + 0.5f, 0.55f + 0.1f * (3 - depth), length * 0.68f, depth - 1);
}

SceneDescription Tree()
{
    SceneDescription s = Start("branching-tree", {{0.45f, 0.3f, 0.2f}, {0.35f, 0.6f, 0.25f}, {1.0f, 0.55f, 0.65f}});
    Branch(s, 0, 0, 0, 0, 0, 55, 4);
    return s;
}

SceneDescription Galaxy()
{
    SceneDescription s = Start("galaxy", {{1.0f, 0.95f, 0.7f}, {0.5f, 0.6f, 1.0f}, {1.0f, 0.6f, 0.4f}});
    Jitter jitter(91);
    Part core = MakePart("sphere", 0, 0, 0, 40, 20, 20, 10);
    core.spinSeconds = 8;
    s.parts.push_back(core);
    for (int arm = 0; arm < 3; ++arm)
        for (int i = 0; i < 55; ++i) {
            const float r = 22 + 2.0f * i, a = 2 * kPi * arm / 3 + 0.045f * i + jitter.Between(-0.08f, 0.08f);
            const float size = 6.5f - 0.07f * i;
            s.parts.push_back(MakePart("sphere", 1 + (i + arm) % 2, r * std::cos(a), r * std::sin(a), 40 + jitter.Between(-4, 4),
                                       size, size, size));
        }
    return s;
}

SceneDescription Carousel()
{
    SceneDescription s = Start("carousel", {{0.9f, 0.2f, 0.25f}, {0.95f, 0.9f, 0.8f}, {0.95f, 0.75f, 0.2f}, {0.3f, 0.35f, 0.8f}});
    s.parts.push_back(MakePart("cylinder", 1, 0, 0, 0, 100, 100, 6));
    s.parts.push_back(MakePart("cylinder", 2, 0, 0, 6, 8, 8, 80));
    s.parts.push_back(MakePart("cone", 0, 0, 0, 86, 50, 50, 34));
    const int horses = 12;
    for (int i = 0; i < horses; ++i) {
        const float a = 2 * kPi * i / horses, x = 75 * std::cos(a), y = 75 * std::sin(a);
        s.parts.push_back(MakePart("cylinder", 2, x, y, 6, 1.5f, 1.5f, 80));
        Part seat = Turned(MakePart("box", i % 2 ? 0 : 3, x, y, 30, 12, 24, 10), Degrees(a));
        seat.bobHeight = 8;
        s.parts.push_back(seat);
        s.parts.push_back(MakePart("sphere", 1, 105 * std::cos(a), 105 * std::sin(a), 86, 5, 5, 5));
    }
    return s;
}

}  // namespace

// In the order of the host's scene table, whose wipe staggers the k-th part by k / divisor
// seconds at its speed: each scene's part count suits its entry, so every scene has grown in
// within about five of its eight seconds.
std::vector<SceneDescription> MakeScenes()
{
    return {RingOfPillars(), SpiralStaircase(), CityBlock(), WaveOfTiles(), Arch(),
            FlowerOfSpheres(), StepPyramid(), ConeForest(), DominoSpiral(), TrefoilKnot(),
            Carousel(), SphereShell(), Tree(), Galaxy(), Helix()};
}

SceneDescription MakeFloor()
{
    SceneDescription floor;
    floor.name = "floor";
    floor.palette = {{0.35f, 0.3f, 0.55f}};
    floor.specular = 0.2f;
    floor.meshes = {MakeGrid(64, 1600)};
    floor.parts.push_back(MakePart("grid", 0, 0, 0, 0, 1, 1, 1));
    return floor;
}

}  // namespace demogen
