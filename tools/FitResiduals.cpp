#include "tools/FitResiduals.h"

#include "colour/ColourMaps.h"
#include "output/OutputFile.h"

#include <bit>
#include <cstring>

namespace Vextal {

namespace {

// One vertex as the header declares it: float x y z, uchar red green blue,
// float distance, little-endian.
constexpr std::size_t vertexBytes = 3 * 4 + 3 + 4;

void putFloat(unsigned char* at, double value) {
    static_assert(std::endian::native == std::endian::little, "PLY written little-endian");
    const float f = float(value);
    std::memcpy(at, &f, 4);
}

} // namespace

bool writeResidualPly(const std::string& path, const std::string& input,
                      const std::vector<FitPoint>& points, const SceneValues& scene,
                      std::string& error) {
    const std::vector<double> distances = pointDistances(points, scene);
    const float top = float(0.01 * pointsSize(points));
    OutputFile out(path, OutputFile::Options{input});
    if (!out.stream()) {
        error = out.error();
        return false;
    }
    std::fprintf(out.stream(),
                 "ply\nformat binary_little_endian 1.0\ncomment the points coloured by their "
                 "distance to the fitted surface, 0 to %g\nelement vertex %zu\nproperty float "
                 "x\nproperty float y\nproperty float z\nproperty uchar red\nproperty uchar "
                 "green\nproperty uchar blue\nproperty float distance\nend_header\n",
                 double(top), points.size());
    std::vector<unsigned char> bytes(vertexBytes * points.size());
    for (std::size_t k = 0; k < points.size(); ++k) {
        unsigned char* at = bytes.data() + vertexBytes * k;
        for (int c = 0; c < 3; ++c)
            putFloat(at + 4 * c, points[k][c]);
        const Rgb8 colour = mapColour(sequentialMap, 0, top, float(distances[k]));
        at[12] = colour.r;
        at[13] = colour.g;
        at[14] = colour.b;
        putFloat(at + 15, distances[k]);
    }
    std::fwrite(bytes.data(), 1, bytes.size(), out.stream());
    if (!out.commit()) {
        error = out.error();
        return false;
    }
    return true;
}

} // namespace Vextal
