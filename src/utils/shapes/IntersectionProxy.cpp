#include "utils/shapes/IntersectionProxy.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "core/String.h"
#include "utils/shapes/Intersectors.h"

namespace Nimbrel::Utils::Shapes {

namespace {

Managed<IntersectionProxy>& Global()
{
    static Managed<IntersectionProxy> global;
    return global;
}

bool InTable(int kind)
{
    return kind >= 0 && kind < ShapeTypeCount;
}

}  // namespace

IntersectionProxy::IntersectionProxy()
{
    Register(new BoxAlignedBoxAlignedIntersector());
    Register(new BoxAlignedFrustumIntersector());
    Register(new SphereBoxAlignedIntersector());
    Register(new SphereFrustumIntersector());
    Register(new SphereSphereIntersector());
}

IntersectionProxy::~IntersectionProxy() = default;

void IntersectionProxy::Register(Intersector* intersector)
{
    std::unique_ptr<Intersector> owned(intersector);
    int first = -1, second = -1;
    owned->GetTypes(first, second);
    if (!InTable(first) || !InTable(second))
        throw Exception(String::Format("IntersectionProxy: no place for a test between kinds %d and %d", first, second));
    table[first][second] = std::move(owned);
}

Intersector* IntersectionProxy::GetIntersector(int first, int second) const
{
    return InTable(first) && InTable(second) ? table[first][second].get() : nullptr;
}

bool IntersectionProxy::Intersects(Shape& a, Shape& b) const
{
    const int first = a.GetType(), second = b.GetType();
    if (Intersector* test = GetIntersector(first, second))
        return test->Intersects(a, b);
    if (Intersector* test = GetIntersector(second, first))
        return test->Intersects(b, a);
    throw Exception(String("IntersectionProxy does not support intersection-check between ") + GetShapeTypeName(first) +
                    " and " + GetShapeTypeName(second) + ".");
}

IntersectionProxy* IntersectionProxy::GetGlobal()
{
    Managed<IntersectionProxy>& global = Global();
    if (!global)
        global.Set(new IntersectionProxy());
    return global.Get();
}

void IntersectionProxy::SetGlobal(IntersectionProxy* proxy)
{
    if (proxy)
        proxy->AddRef();
    Global().Set(proxy);
}

}  // namespace Nimbrel::Utils::Shapes
