#pragma once
// Studio::CameraEditor: the window the Sequencer opens for a block's "Edit Block in" ->
// "Camera Editor". It is an applet with no content of its own: camera keys are edited in the
// Tracker, whose joystick flight writes a camera group's seven columns. It keeps neither the
// root nor the block it was opened for, so it outlives both safely, and it is not saved in the
// layout file.

#include "utils/gui/Applet.h"

namespace Nimbrel::Utils::Studio {

class Block;
class Root;

class CameraEditor : public GUI::Applet {
public:
    CameraEditor(GUI::Skin* skin, Root* root, Block* block);
    ~CameraEditor() override;

    // The applet's own drawing and nothing more.
    void Draw(Widget* widget) override;
    bool CanClose(Widget* widget) override;
};

}  // namespace Nimbrel::Utils::Studio
