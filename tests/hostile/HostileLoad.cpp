#include "HostileLoad.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "primitives/PrimitiveSuperShapeSpheric.h"
#include "support/ChildProcess.h"
#include "support/MeshCompare.h"
#include "support/ResidentMemory.h"
#include "support/Sanitized.h"

#include <gtest/gtest.h>

#include <fstream>

namespace VextalTest {

namespace {

void fillWithGoodSurface(Vextal::PolygonsIndexedNormal& mesh) {
    Vextal::PrimitiveSuperShapeSpheric spheric;
    spheric.sliceCount = 5;
    spheric.tessellate(mesh);
    mesh.computeNormals();
}

bool consistent(const Vextal::PolygonsIndexedNormal& mesh, const Vextal::SceneSummary& scene) {
    const Vextal::GridCounts counts =
        Vextal::gridCounts(scene.sliceCount, scene.rotateCount, scene.closed);
    if (mesh.vertexCount != counts.vertexCount || mesh.triangleCount != counts.triangleCount ||
        mesh.normalCount != mesh.vertexCount)
        return false;
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t) {
        const Vextal::Triangle& f = mesh.triangles[t];
        if (f.i0 >= mesh.vertexCount || f.i1 >= mesh.vertexCount || f.i2 >= mesh.vertexCount)
            return false;
    }
    return true;
}

LoadReport loadHere(const std::string& path, const std::function<bool()>& prepare) {
    LoadReport report;
    if (prepare && !prepare()) {
        report.skipped = true;
        return report;
    }
    Vextal::PolygonsIndexedNormal mesh;
    Vextal::PolygonsIndexedNormal before;
    fillWithGoodSurface(mesh);
    fillWithGoodSurface(before);

    const bool peakReset = resetPeakResident();
    const long baseline = peakResidentKiB();
    const Vextal::SceneLoadResult result = Vextal::loadSceneFile(path.c_str(), mesh);
    const long peak = peakResidentKiB();

    report.status = result.status;
    report.errorNumber = result.errorNumber;
    report.scene = result.scene;
    report.meshKept = bool(sameMesh(mesh, before));
    report.meshConsistent = consistent(mesh, result.scene);
    report.vertexCount = mesh.vertexCount;
    report.triangleCount = mesh.triangleCount;
    if (peakReset && baseline >= 0 && peak >= 0)
        report.peakGrowthKiB = peak - baseline;
    return report;
}

} // namespace

LoadReport loadInChild(const std::string& path, const std::function<bool()>& prepare) {
    const ChildOutcome<LoadReport> outcome =
        runInChild<LoadReport>([&] { return loadHere(path, prepare); },
                               std::chrono::duration_cast<std::chrono::milliseconds>(loadLimit));
    EXPECT_TRUE(outcome.reported) << "loading " << path << ": child " << outcome.how;
    return outcome.result;
}

long memoryAllowanceKiB(const LoadReport& report, long largestTokenBytes) {
    const long tokenKiB = largestTokenBytes / 1024;
    if (addressSanitized)
        return 4 * (report.meshKiB() + 2 * tokenKiB) + 64 * 1024;
    return report.meshKiB() + 2 * tokenKiB + 8 * 1024;
}

std::string writeRepeated(const std::string& path, std::string_view prefix, std::string_view piece,
                          std::size_t repeat, std::string_view suffix) {
    std::ofstream out(path, std::ios::binary);
    out << prefix;
    // Pieces go out in blocks of about 1 MiB, not one write each.
    std::string block;
    const std::size_t perBlock =
        std::max<std::size_t>(1, (1u << 20) / std::max<std::size_t>(1, piece.size()));
    for (std::size_t i = 0; i < perBlock && i < repeat; ++i)
        block += piece;
    for (std::size_t done = 0; done < repeat;) {
        const std::size_t n = std::min(perBlock, repeat - done);
        out.write(block.data(), std::streamsize(n * piece.size()));
        done += n;
    }
    out << suffix;
    return path;
}

} // namespace VextalTest
