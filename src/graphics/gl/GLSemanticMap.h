#pragma once
// GLSemanticMap: a SemanticMap the GL device can set. The shading context makes it; a map that
// goes away tells its device, which then no longer holds it as current or applied.

#include "graphics/SemanticMap.h"

namespace Nimbrel::Graphics {

class GLDevice;

class GLSemanticMap : public SemanticMap {
public:
    explicit GLSemanticMap(GLDevice* device) : owner(device) {}
    ~GLSemanticMap() override;
    GLSemanticMap(const GLSemanticMap&) = delete;
    GLSemanticMap& operator=(const GLSemanticMap&) = delete;

private:
    GLDevice* owner;
};

}  // namespace Nimbrel::Graphics
