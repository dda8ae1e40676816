#pragma once

namespace Vextal {

class PolygonsIndexedNormal;

// Root interface of everything the scene can act on; no data.
class IVorelAction {
public:
    virtual void tessellate(PolygonsIndexedNormal& mesh) = 0;

protected:
    ~IVorelAction() = default;
};

// Interface of primitives: a surface that can write itself into a mesh.
// Primitives are small value objects, never destroyed through a base pointer.
class IPrimitive : public IVorelAction {
protected:
    ~IPrimitive() = default;
};

} // namespace Vextal
