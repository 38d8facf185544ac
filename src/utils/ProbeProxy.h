#pragma once
// ProbeProxy: the registry of probes, the named float cells that presentation code reads,
// the host publishes into and the Studio animates from its sync data.
//
// Names are dotted paths (camera1.Position.x lies in group camera1, subgroup Position). Each
// registered name owns one value cell, reached by an index handed out 0, 1, 2 ... in order of
// first registration and never reused. Resolve a name once (GetProbeIndex, or a ProbeValue
// handle) and read and write by index every frame; an index outside the table throws.
//
// The name tree is made of Probe nodes. Nodes are created on the way to a registered name and
// never removed, so a Probe* stays valid for as long as its proxy lives. A node that exists
// only as a group reports index 0 until its own name is registered.
//
// The process-wide proxy. One proxy at a time is the global one, found with GetGlobal(). The
// global pointer holds no reference: a proxy becomes global when it is constructed while no
// proxy is global, or through SetGlobal(), and stops being global when it is destroyed (or
// another proxy calls SetGlobal()). Whoever creates a proxy and lets go of every reference
// to it therefore leaves no global state behind; in particular a test that creates its own
// proxy and releases it before it ends leaves the next test with no global proxy, exactly
// as at process start. Handles (ProbeValue, ProbeVector) hold counted references and keep a
// proxy alive, and global, after its creator let go.
//
// Main thread only; nothing is locked.

#include "core/Array.h"
#include "core/HashMap.h"
#include "core/Object.h"
#include "core/String.h"

#include <cstdint>

namespace Nimbrel::Utils {

class ProbeProxy;

// A node of the name tree. Owned by its parent; the root is owned by the proxy.
class Probe {
public:
    ~Probe();
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // The last component of the dotted name; empty for the root.
    const String& GetName() const { return name; }
    // The value cell of this probe; 0 for the root and for nodes that are only groups.
    int GetIndex() const { return index; }
    int GetChildCount() const { return children.Count(); }
    Probe* GetChild(int i) const { return children[i]; }

    // The dotted path from this node down to target, starting with this node's name; empty
    // when target is not in this node's subtree.
    String FindPath(const Probe* target) const;
    // The path from the global proxy's root: ".camera1.Position.x" (the root's name is empty,
    // hence the leading dot). Empty for a node that is not in the global proxy's tree.
    String GetFullName() const;

private:
    friend class ProbeProxy;
    explicit Probe(const String& name) : name(name) {}

    String name;
    int32_t index = 0;
    Array<Probe*> children;
};

class ProbeProxy : public Object {
public:
    ProbeProxy();
    ~ProbeProxy() override;
    ProbeProxy(const ProbeProxy&) = delete;
    ProbeProxy& operator=(const ProbeProxy&) = delete;

    void SetGlobal();
    // Throws "No Global ProbeProxy" when no proxy is global.
    static ProbeProxy* GetGlobal();

    // The node registered under name, registering it first if it is new. One leading dot is
    // ignored, so a name from GetFullName() finds its probe.
    Probe* GetProbe(const String& name);
    int GetProbeIndex(const String& name) { return GetProbe(name)->GetIndex(); }

    int GetValueCount() const { return values.Count(); }
    // Both throw "ProbeProxy::GetValue(): No probe with index n" (SetValue likewise) for an
    // index outside the table.
    float GetValue(int index) const
    {
        if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(values.Count()))
            ThrowBadIndex("ProbeProxy::GetValue()", index);
        return values.Data()[index];
    }
    void SetValue(int index, float value)
    {
        if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(values.Count()))
            ThrowBadIndex("ProbeProxy::SetValue()", index);
        values.Data()[index] = value;
    }
    // The name as registered, without a leading dot.
    String GetProbeName(int index) const;
    Probe* GetRoot() const { return root; }
    // Every cell back to 0.0.
    void ResetValues();

private:
    [[noreturn]] static void ThrowBadIndex(const char* operation, int index);

    Probe* root;
    Array<float> values;
    Array<String> names;
    HashMap<String, Probe*> byName;
};

}  // namespace Nimbrel::Utils
