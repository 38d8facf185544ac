#pragma once
// Shapes::IntersectionProxy: the table of intersection tests by pair of shape kinds.
//
// a.Intersects(b) takes the test registered for (kind of a, kind of b), or else the one for
// (kind of b, kind of a) with the shapes swapped. Without either, or for a kind outside the
// table, it throws "IntersectionProxy does not support intersection-check between " + the
// names of a's and b's kinds + ".". The standard proxy, made on first use, holds the tests of
// Intersectors.h.

#include "core/Object.h"
#include "utils/shapes/Intersector.h"
#include "utils/shapes/Shape.h"

#include <memory>

namespace Nimbrel::Utils::Shapes {

class IntersectionProxy : public Object {
public:
    // With the standard tests.
    IntersectionProxy();
    ~IntersectionProxy() override;

    // Takes ownership; replaces any test for the same pair of kinds. Throws for kinds outside
    // the table.
    void Register(Intersector* intersector);
    Intersector* GetIntersector(int first, int second) const;
    bool Intersects(Shape& a, Shape& b) const;

    // The process-wide proxy, made on first use. SetGlobal adds a reference to the new one and
    // releases the old; null brings the standard one back on next use.
    static IntersectionProxy* GetGlobal();
    static void SetGlobal(IntersectionProxy* proxy);

private:
    std::unique_ptr<Intersector> table[ShapeTypeCount][ShapeTypeCount];
};

}  // namespace Nimbrel::Utils::Shapes
