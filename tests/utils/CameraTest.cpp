// The free camera's directions and moves in the z-up world, and the probe camera reading its
// position and angles from probes.
#include "math/Matrix4.h"
#include "utils/Camera.h"
#include "utils/PCamera.h"
#include "utils/ProbeProxy.h"

#include <gtest/gtest.h>

#include <cmath>

namespace utils_camera_test {

using namespace Nimbrel;
using Utils::Camera;
using Vec = Math::Vector3t<float>;

void ExpectNear(const Vec& got, const Vec& want, const char* what)
{
    EXPECT_NEAR(got.x, want.x, 1e-5) << what;
    EXPECT_NEAR(got.y, want.y, 1e-5) << what;
    EXPECT_NEAR(got.z, want.z, 1e-5) << what;
}

TEST(CameraTest, ANewCameraLooksAlongXWithZUp)
{
    Camera camera;
    EXPECT_EQ(camera.GetType(), Utils::TargetTypeCamera);
    EXPECT_EQ(camera.GetFov(), 45.0f);
    ExpectNear(camera.GetForward(), Vec(1, 0, 0), "forward");
    ExpectNear(camera.GetUp(), Vec(0, 0, 1), "up");
    ExpectNear(camera.GetTarget(), Vec(1, 0, 0), "target");
    camera.MoveRight(2.0f);
    ExpectNear(camera.GetPosition(), Vec(0, -2, 0), "right is -y");
    camera.MoveUp(3.0f);
    camera.MoveForward(1.5f);
    ExpectNear(camera.GetPosition(), Vec(1.5f, -2, 3), "up and forward");
    camera.Zoom(5.0f);
    EXPECT_EQ(camera.GetFov(), 40.0f) << "a positive zoom narrows the view";
}

TEST(CameraTest, AnglesTurnTheDirections)
{
    struct Case {
        float turn, roll;
        Vec forward, up;
        const char* what;
    } cases[] = {
        {90.0f, 0.0f, Vec(0, -1, 0), Vec(0, 0, 1), "a positive turn swings towards -y"},
        {-90.0f, 0.0f, Vec(0, 1, 0), Vec(0, 0, 1), "a negative turn towards +y"},
        {0.0f, 90.0f, Vec(1, 0, 0), Vec(0, 1, 0), "roll tilts the up vector"},
        {450.0f, 0.0f, Vec(0, -1, 0), Vec(0, 0, 1), "angles are not wrapped, but act as turned"},
    };
    for (const Case& c : cases) {
        Camera camera;
        camera.Turn(c.turn);
        camera.Roll(c.roll);
        ExpectNear(camera.GetForward(), c.forward, c.what);
        ExpectNear(camera.GetUp(), c.up, c.what);
        ExpectNear(camera.GetViewMatrix() * camera.GetTarget(), Vec(0, 0, -1), c.what);
    }
    Camera pitched;
    pitched.Pitch(30.0f);
    EXPECT_NEAR(pitched.GetForward().Length(), 1.0f, 1e-6);
    EXPECT_NEAR(std::fabs(pitched.GetForward().z), 0.5f, 1e-6) << "30 degrees off the horizon";
}

TEST(CameraTest, AProbeCameraTakesItsValuesFromItsProbes)
{
    Managed<Utils::ProbeProxy> probes(new Utils::ProbeProxy());
    probes->SetGlobal();
    Utils::PCamera camera(".shot");
    const char* names[] = {"shot.Position.x", "shot.Position.y", "shot.Position.z", "shot.Turn", "shot.Roll", "shot.Pitch", "shot.Fov"};
    const float values[] = {1, 2, 3, 10, 20, 30, 60};
    for (int i = 0; i < 7; ++i)
        probes->SetValue(probes->GetProbeIndex(names[i]), values[i]);
    EXPECT_EQ(camera.GetFov(), 45.0f) << "only Update reads the probes";
    camera.Update();
    ExpectNear(camera.GetPosition(), Vec(1, 2, 3), "position");
    EXPECT_EQ(camera.GetTurn(), 10.0f);
    EXPECT_EQ(camera.GetRoll(), 20.0f);
    EXPECT_EQ(camera.GetPitch(), 30.0f);
    EXPECT_EQ(camera.GetFov(), 60.0f);
}

}  // namespace utils_camera_test
