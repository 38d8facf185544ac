#pragma once
// State: the render-state machine handed to all drawing code.
//
// Everything that influences a draw lives on a stack of its own. Drawing code pushes what it
// changes, calls Begin, draws with the device on top of `devices`, calls End, and pops what it
// pushed, in reverse order, so nested drawers (scene nodes, effects, 2D overlays) compose
// without knowing each other. Begin turns the tops of the stacks into device state and into
// the program's automatic parameters (ParameterSet); End releases what Begin obtained and
// returns the device to the back buffer when a framebuffer was bound. Changing a stack between
// Begin and End has no effect until the next Begin.
//
// Stacks hold values; pointer stacks hold no counted references, so whoever pushes an object
// keeps it alive until it pops it. The stacks Begin does not read carry context for scene
// traversal: the effect that draws the targets met, the kinds of target handled, the culling
// shape and the enclosing bounds, local time and the name of the enclosing named node.
//
// Between Begin and End the caller sets its own vertex buffers, index buffer, input layout and
// primitive type, and may set further parameters of the top program, which Begin has bound.
// Main thread only.

#include "core/Array.h"
#include "core/Object.h"
#include "core/Stack.h"
#include "core/String.h"
#include "graphics/Device.h"
#include "math/Matrix4.h"
#include "math/Vector2t.h"
#include "math/Vector3t.h"
#include "utils/TargetType.h"
#include "utils/TextureComponent.h"

namespace Nimbrel::Utils {

class Effect;
class Framebuffer;
namespace Shapes {
class Shape;
}

class State : public Object {
public:
    // Pushes the initial entries (see each stack).
    State();
    // Destroys the stacks; nothing the pointer stacks refer to is released.
    ~State() override;

    // Applies the tops of the stacks: binds the top program on the top device, sets the
    // program's automatic parameters, binds the top framebuffer if any, obtains the sampler
    // states of the pushed maps and the blend, depth-stencil and rasterizer states and sets
    // them. Throws "State::Begin(): Previous call to Begin() not matched by a call to End()"
    // inside a pass, "State::Begin(): No GraphicsProgram set" with no program and
    // "State::Begin(): No GraphicsDevice set" with no device, in that order of checking. Any
    // other failure passes through after what this Begin obtained is released and a
    // framebuffer it bound is unbound, so the State is outside a pass and the next Begin
    // starts clean.
    void Begin();
    // Leaves the pass: releases the state objects Begin obtained and unbinds the top
    // framebuffer, if any. An End without a Begin is not detected; with a framebuffer pushed
    // it fails in the framebuffer's unbind.
    void End();
    bool IsInBegin() const { return inBegin; }

    Stack<Effect*> effects;                        // empty
    Stack<TargetType> targetTypes;                 // TargetTypeDrawable
    Stack<Shapes::Shape*> shapes;                  // empty; the top may be null
    Stack<double> times;                           // 0.0; "Time"
    Stack<String> strings;                         // empty
    Stack<Framebuffer*> framebuffers;              // empty; the top is bound during a pass
    Stack<Math::Vector2t<int>> resolutions;        // (800, 600); "Resolution"
    Stack<Math::Vector3t<float>> cameraPositions;  // (0, 0, 0); "CameraPosition"
    Stack<Math::Matrix4> worlds;                   // identity; "World" and what derives from it
    Stack<Math::Matrix4> views;                    // identity
    Stack<Math::Matrix4> projections;              // identity
    Stack<Shapes::Shape*> secondShapes;            // empty
    Stack<Graphics::BlendStateDescriptor> blendStates;                // default descriptor
    Stack<Graphics::DepthStencilStateDescriptor> depthStencilStates;  // default descriptor
    Stack<Graphics::RasterizerStateDescriptor> rasterizerStates;      // default descriptor
    Stack<float> shininess;                        // 0
    Stack<float> transparency;                     // 0
    Stack<float> displacement;                     // 0
    Stack<float> reflectivity;                     // 0
    Stack<Math::Vector3t<float>> normals;          // (0, 0, 1)
    Stack<Math::Vector3t<float>> diffuseColors;    // (1, 1, 1)
    Stack<Math::Vector3t<float>> specularColors;   // (0, 0, 0)
    Stack<Math::Vector3t<float>> emissionColors;   // (0, 0, 0)
    Stack<Math::Vector3t<float>> reflectionColors; // (0, 0, 0)
    // Material maps, empty: a map whose stack is empty leaves the program's sampler as it was.
    Stack<Graphics::Texture*> shininessMaps;
    Stack<Graphics::Texture*> transparencyMaps;
    Stack<Graphics::Texture*> displacementMaps;
    Stack<Graphics::Texture*> reflectivityMaps;
    // Which channel of each single-value map holds the value; empty, not read by Begin.
    Stack<TextureComponent> shininessComponents;
    Stack<TextureComponent> transparencyComponents;
    Stack<TextureComponent> displacementComponents;
    Stack<TextureComponent> reflectivityComponents;
    Stack<Graphics::Texture*> normalMaps;
    Stack<Graphics::Texture*> diffuseMaps;
    Stack<Graphics::Texture*> specularMaps;
    Stack<Graphics::Texture*> emissionMaps;
    Stack<Graphics::Texture*> reflectionMaps;
    // The sampler state of the map of the same name; one default descriptor each (linear
    // filtering with mipmaps, wrap).
    Stack<Graphics::SamplerStateDescriptor> shininessSamplers;
    Stack<Graphics::SamplerStateDescriptor> transparencySamplers;
    Stack<Graphics::SamplerStateDescriptor> displacementSamplers;
    Stack<Graphics::SamplerStateDescriptor> reflectivitySamplers;
    Stack<Graphics::SamplerStateDescriptor> normalSamplers;
    Stack<Graphics::SamplerStateDescriptor> diffuseSamplers;
    Stack<Graphics::SamplerStateDescriptor> specularSamplers;
    Stack<Graphics::SamplerStateDescriptor> emissionSamplers;
    Stack<Graphics::SamplerStateDescriptor> reflectionSamplers;
    Stack<Graphics::Program*> programs;            // empty
    Stack<Graphics::Device*> devices;              // empty

private:
    void ReleaseCreated();

    bool inBegin = false;
    // The state objects the current pass obtained from the device, one reference each.
    Array<Object*> created;
};

}  // namespace Nimbrel::Utils
