#pragma once
// ProfileProxy: measures nested sections of code and publishes each duration, in seconds, as
// a probe, so the Studio's probe monitor can show timings next to other live values.
//
// A section begun while another is open is named below it: Begin("frame"), Begin("draw")
// measure "frame.draw". End() closes the innermost section; a Begin section replaces its
// probe's value, a BeginAccumulate section adds to it (the Studio resets probes to 0 at the
// end of each frame, so an accumulating probe sums one frame's runs). End() with no open
// section throws "The array doesn't contain any elements".
//
// One profile proxy is the global one, with the same rules as the global ProbeProxy: the
// first one constructed while none is global becomes global, SetGlobal() takes the place,
// and destroying the global one leaves none. The global pointer holds no reference.
//
// Durations come from the process clock (GetSeconds). SetClock() replaces it, so a test can
// give exact times.

#include "core/Managed.h"
#include "core/Object.h"
#include "core/Stack.h"
#include "core/String.h"
#include "utils/ProbeProxy.h"
#include "utils/ProbeValue.h"

namespace Nimbrel::Utils {

class ProfileProxy : public Object {
public:
    struct ActiveProfile {
        String name;  // the full dotted section name
        bool accumulate = false;
        double start = 0.0;  // clock seconds
    };
    using Clock = double (*)();

    // Uses the global probe proxy; throws "No Global ProbeProxy" when there is none.
    ProfileProxy();
    explicit ProfileProxy(ProbeProxy* probes);
    // Also opens a section with that name.
    ProfileProxy(ProbeProxy* probes, const String& name);
    ~ProfileProxy() override;
    ProfileProxy(const ProfileProxy&) = delete;
    ProfileProxy& operator=(const ProfileProxy&) = delete;

    void SetGlobal();
    // Throws "No Global ProfileProxy Set" when no profile proxy is global.
    static ProfileProxy* GetGlobal();

    void Begin(const String& name);
    void BeginAccumulate(const String& name);
    // Closes the innermost section, writes its probe and returns a handle to it.
    ProbeValue<float> End();

    void SetClock(Clock clock) { this->clock = clock; }
    ProbeProxy* GetProbeProxy() const { return probes.Get(); }

private:
    void Open(const String& name, bool accumulate);

    Managed<ProbeProxy> probes;
    Stack<ActiveProfile> active;
    Clock clock;
};

}  // namespace Nimbrel::Utils
