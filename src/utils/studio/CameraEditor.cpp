#include "utils/studio/CameraEditor.h"

namespace Nimbrel::Utils::Studio {

CameraEditor::CameraEditor(GUI::Skin* skin, Root*, Block*) : GUI::Applet(skin) {}

CameraEditor::~CameraEditor() = default;

void CameraEditor::Draw(Widget* widget)
{
    GUI::Applet::Draw(widget);
}

bool CameraEditor::CanClose(Widget*)
{
    return true;
}

}  // namespace Nimbrel::Utils::Studio
