// Studio layout files: the GUIWidget request of the default proxy, which reads the file as an
// XML document and builds its widgets; then the widgets are closed and collected.
#include "FuzzProxy.h"

#include "support/RecordingBlitter.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/Widget.h"

using namespace Nimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("gui_layout.xml", data, size);
    Managed<Testing::RecordingBlitter> blitter(new Testing::RecordingBlitter());
    Managed<Utils::GUI::DefaultSkin> skin(new Utils::GUI::DefaultSkin(blitter.Get()));
    proxy->SetSkin(skin.Get());
    Fuzzing::Attempt([&] {
        // Privately, as the Studio loads it: the widget is not kept in the proxy's records.
        Object* loaded = proxy->GetPrivate(Utils::ResourceType::GUIWidget, "gui_layout.xml");
        auto* layout = dynamic_cast<Utils::GUI::Widget*>(loaded);
        if (!layout) {
            std::fprintf(stderr, "The layout loaded as an object of another type\n");
            std::abort();
        }
        layout->Close();
    });
    proxy->SetSkin(static_cast<Utils::GUI::Skin*>(nullptr));
    proxy->Collect();
    Utils::GUI::Widget::Collect();
    return 0;
}
