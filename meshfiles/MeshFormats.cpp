#include "meshfiles/MeshFormats.h"

#include "meshfiles/MeshCheck.h"
#include "meshfiles/ObjWriter.h"
#include "meshfiles/PlyWriter.h"
#include "meshfiles/StlWriter.h"

namespace Vextal {

std::span<const MeshFormat> meshFormats() {
    static constexpr MeshFormat formats[] = {
        {"obj", "OBJ", writeObj, nullptr},
        {"ply", "PLY", writePly, checkFinitePositionsAndNormals},
        {"stl", "STL", writeStl, checkFinitePositions},
    };
    return formats;
}

const MeshFormat* meshFormatNamed(std::string_view name) {
    for (const MeshFormat& format : meshFormats())
        if (name == format.name)
            return &format;
    return nullptr;
}

} // namespace Vextal
