#include "utils/ProbeProxy.h"

#include "core/Exception.h"

#include <string>
#include <utility>
#include <vector>

namespace Nimbrel::Utils {

namespace ProbeProxyDetail {
ProbeProxy* global = nullptr;
}

// Names can be arbitrarily deep (they also come from files), so neither tearing down nor
// searching the tree recurses.
Probe::~Probe()
{
    std::vector<Probe*> pending(children.begin(), children.end());
    children.Clear();
    while (!pending.empty()) {
        Probe* node = pending.back();
        pending.pop_back();
        pending.insert(pending.end(), node->children.begin(), node->children.end());
        node->children.Clear();
        delete node;
    }
}

String Probe::FindPath(const Probe* target) const
{
    // Depth-first in child order, so the first match is the one a recursive search that
    // visits children in order would find. A node with an empty name is still a match.
    struct Step {
        const Probe* node;
        int nextChild;
    };
    std::vector<Step> path{{this, 0}};
    while (!path.empty()) {
        Step& top = path.back();
        if (top.nextChild == 0 && top.node == target) {
            std::string result(path[0].node->name.CStr(), path[0].node->name.Length());
            for (size_t i = 1; i < path.size(); ++i) {
                result += '.';
                result.append(path[i].node->name.CStr(), path[i].node->name.Length());
            }
            return String(result.data(), static_cast<int>(result.size()));
        }
        if (top.nextChild < top.node->children.Count()) {
            const Probe* child = top.node->children[top.nextChild++];
            path.push_back({child, 0});
        } else {
            path.pop_back();
        }
    }
    return String();
}

String Probe::GetFullName() const
{
    return ProbeProxy::GetGlobal()->GetRoot()->FindPath(this);
}

ProbeProxy::ProbeProxy() : root(new Probe(String()))
{
    if (!ProbeProxyDetail::global)
        ProbeProxyDetail::global = this;
}

ProbeProxy::~ProbeProxy()
{
    if (ProbeProxyDetail::global == this)
        ProbeProxyDetail::global = nullptr;
    delete root;
}

void ProbeProxy::SetGlobal()
{
    ProbeProxyDetail::global = this;
}

ProbeProxy* ProbeProxy::GetGlobal()
{
    if (!ProbeProxyDetail::global)
        throw Exception("No Global ProbeProxy");
    return ProbeProxyDetail::global;
}

Probe* ProbeProxy::GetProbe(const String& givenName)
{
    String name = givenName.Length() > 0 && givenName[0] == '.'
                      ? givenName.SubString(1, givenName.Length() - 1)
                      : givenName;
    Probe* found = nullptr;
    if (byName.TryGet(name, found))
        return found;

    Array<String> components;
    name.Split('.', components);
    Probe* node = root;
    for (const String& component : components) {
        Probe* next = nullptr;
        for (Probe* child : node->children) {
            if (child->name == component) {
                next = child;
                break;
            }
        }
        if (!next) {
            next = new Probe(component);
            node->children.Add(next);
        }
        node = next;
    }

    int index = values.Add(0.0f);
    names.Add(name);
    node->index = index;
    byName[name] = node;
    return node;
}

String ProbeProxy::GetProbeName(int index) const
{
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(names.Count()))
        ThrowBadIndex("ProbeProxy::GetProbeName()", index);
    return names[index];
}

void ProbeProxy::ResetValues()
{
    for (float& value : values)
        value = 0.0f;
}

void ProbeProxy::ThrowBadIndex(const char* operation, int index)
{
    throw Exception(String::Format("%s: No probe with index %d", operation, index));
}

}  // namespace Nimbrel::Utils
