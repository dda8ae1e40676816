#include "meshfiles/ThreeMfWriter.h"

#include "mesh/PolygonsIndexedNormal.h"
#include "meshfiles/ZipNarrowing.h"

#include <Model/COM/NMR_DLLInterfaces.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

namespace Vextal {

namespace {

// Owns one lib3mf object and releases it.
class Lib3mfObject {
public:
    Lib3mfObject() = default;
    Lib3mfObject(const Lib3mfObject&) = delete;
    Lib3mfObject& operator=(const Lib3mfObject&) = delete;
    ~Lib3mfObject() {
        if (object)
            NMR::lib3mf_release(object);
    }
    NMR::PLib3MFBase* get() const { return object; }
    NMR::PLib3MFBase** out() { return &object; }

private:
    NMR::PLib3MFBase* object = nullptr;
};

// What lib3mf says went wrong with the last call on `object`.
std::string lastError(NMR::PLib3MFBase* object, const char* step) {
    DWORD code = 0;
    LPCSTR message = nullptr;
    std::string text = std::string("lib3mf cannot ") + step;
    if (object && NMR::lib3mf_getlasterror(object, &code, &message) == 0 && message)
        text += std::string(": ") + message;
    return text;
}

// lib3mf's stream callbacks: 0 for success.
std::uint32_t writeBytes(unsigned char* bytes, std::uint32_t size, void* file) {
    return std::fwrite(bytes, 1, size, static_cast<std::FILE*>(file)) == size ? 0 : 1;
}
std::uint32_t seekTo(std::uint64_t position, void* file) {
    return fseeko(static_cast<std::FILE*>(file), off_t(position), SEEK_SET) == 0 ? 0 : 1;
}

// A UUID that the same mesh and name always get, so that the same export
// gives the same bytes: two FNV-1a hashes of the name, the counts and `role`,
// with the version (5, name-based) and variant bits of RFC 4122.
std::string stableUuid(const PolygonsIndexedNormal& mesh, const std::string& name,
                       const char* role) {
    const std::string text = name + "/" + std::to_string(mesh.vertexCount) + "/" +
                             std::to_string(mesh.triangleCount) + "/" + role;
    std::uint64_t halves[2] = {0xcbf29ce484222325ull, 0x84222325cbf29ce4ull};
    for (std::uint64_t& hash : halves)
        for (const char c : text)
            hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    unsigned char bytes[16];
    for (int k = 0; k < 16; ++k)
        bytes[k] = static_cast<unsigned char>(halves[k / 8] >> (8 * (k % 8)));
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0f) | 0x50);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3f) | 0x80);
    char uuid[37];
    std::snprintf(uuid, sizeof uuid,
                  "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                  bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return uuid;
}

// Hands the mesh to lib3mf, which copies it into its own, then frees it:
// the triangles are turned counter-clockwise seen from outside in place,
// rather than in a copy, since the mesh goes right after.
std::string moveGeometry(NMR::PLib3MFModelMeshObject* object, PolygonsIndexedNormal& mesh) {
    static_assert(sizeof(NMR::MODELMESHVERTEX) == sizeof(Vec3));
    static_assert(sizeof(NMR::MODELMESHTRIANGLE) == sizeof(Triangle));
    for (std::uint32_t t = 0; t < mesh.triangleCount; ++t)
        std::swap(mesh.triangles[t].i1, mesh.triangles[t].i2);
    auto* vertices = reinterpret_cast<NMR::MODELMESHVERTEX*>(mesh.vertices);
    auto* faces = reinterpret_cast<NMR::MODELMESHTRIANGLE*>(mesh.triangles);
    const bool taken = NMR::lib3mf_meshobject_setgeometry(object, vertices, mesh.vertexCount, faces,
                                                          mesh.triangleCount) == 0;
    mesh.release();
    return taken ? "" : lastError(object, "take the mesh");
}

} // namespace

std::string writeThreeMf(std::FILE* out, PolygonsIndexedNormal& mesh, ModelUnit unit,
                         const std::string& name) {
    Lib3mfObject model, object, item, writer;
    if (NMR::lib3mf_createmodel(model.out()) != 0)
        return "lib3mf cannot make a model";
    if (NMR::lib3mf_model_setunit(model.get(), DWORD(unit)) != 0)
        return lastError(model.get(), "set the unit");
    if (NMR::lib3mf_model_addmeshobject(model.get(), object.out()) != 0)
        return lastError(model.get(), "add a mesh object");
    NMR::lib3mf_object_setnameutf8(object.get(), name.c_str());
    NMR::lib3mf_object_setuuidutf8(object.get(), stableUuid(mesh, name, "object").c_str());
    NMR::lib3mf_model_setbuilduuidutf8(model.get(), stableUuid(mesh, name, "build").c_str());
    const std::string itemUuid = stableUuid(mesh, name, "item");
    if (std::string problem = moveGeometry(object.get(), mesh); !problem.empty())
        return problem;
    if (NMR::lib3mf_model_addbuilditem(model.get(), object.get(), nullptr, item.out()) != 0)
        return lastError(model.get(), "add the build item");
    NMR::lib3mf_builditem_setuuidutf8(item.get(), itemUuid.c_str());
    if (NMR::lib3mf_model_querywriter(model.get(), "3mf", writer.out()) != 0)
        return lastError(model.get(), "make a 3MF writer");
    // lib3mf finishes a package by going back to earlier bytes: it writes
    // into a scratch file, which is then copied to `out` in one pass.
    std::FILE* scratch = std::tmpfile();
    if (!scratch)
        return std::string("cannot make a scratch file: ") + std::strerror(errno);
    const bool packed =
        NMR::lib3mf_writer_writetocallback(writer.get(), reinterpret_cast<void*>(writeBytes),
                                           reinterpret_cast<void*>(seekTo), scratch) == 0;
    std::string problem = packed ? "" : lastError(writer.get(), "write the package");
    if (packed && std::fflush(scratch) != 0)
        problem = std::string("cannot write the scratch file: ") + std::strerror(errno);
    if (problem.empty())
        problem = narrowZip(scratch, out);
    std::fclose(scratch);
    return problem;
}

} // namespace Vextal
