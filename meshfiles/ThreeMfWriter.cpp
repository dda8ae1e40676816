#include "meshfiles/ThreeMfWriter.h"

#include "mesh/PolygonsIndexed.h"
#include "meshfiles/DeflateChunks.h"
#include "meshfiles/ShortestFloat.h"
#include "meshfiles/ZipWriter.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace Vextal {

namespace {

constexpr std::string_view contentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"model\" "
    "ContentType=\"application/vnd.ms-package.3dmanufacturing-3dmodel+xml\"/>"
    "</Types>\n";

constexpr std::string_view relationships =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Type=\"http://schemas.microsoft.com/3dmanufacturing/2013/01/3dmodel\" "
    "Target=\"/3D/3dmodel.model\" Id=\"rel0\"/>"
    "</Relationships>\n";

constexpr std::uint32_t objectId = 1;
constexpr std::uint32_t propertiesId = 2; // the colour group or the base materials

// A UUID that the same mesh and name always get, so that the same export
// gives the same bytes: two FNV-1a hashes of the name, the counts and `role`,
// with the version (5, name-based) and variant bits of RFC 4122.
std::string stableUuid(const PolygonsIndexed& mesh, const std::string& name, const char* role) {
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

// Text for an XML attribute value: markup characters as entities, control
// characters (which XML 1.0 forbids) left out.
std::string attributeText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20)
                out += c;
        }
    }
    return out;
}

std::string hexColour(Rgb8 colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour.r, colour.g, colour.b);
    return text;
}

// The distinct vertex colours in the order they first appear, and each
// vertex's place among them: a colour group as short as the colour map.
struct ColourGroup {
    std::vector<Rgb8> colours;
    std::vector<std::uint32_t> ofVertex;
};

ColourGroup colourGroupOf(const std::vector<Rgb8>& vertexColours) {
    ColourGroup group;
    group.ofVertex.resize(vertexColours.size());
    std::unordered_map<std::uint32_t, std::uint32_t> seen;
    for (std::size_t v = 0; v < vertexColours.size(); ++v) {
        const Rgb8 c = vertexColours[v];
        const std::uint32_t key = std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | c.b;
        const auto [at, added] = seen.try_emplace(key, std::uint32_t(group.colours.size()));
        if (added)
            group.colours.push_back(c);
        group.ofVertex[v] = at->second;
    }
    return group;
}

// The model's text, cut into pieces that are formatted and compressed apart:
// each piece is fixed text followed by a run of records of one kind.
enum class Records { none, colours, vertices, triangles };
struct Piece {
    std::string text;
    Records records = Records::none;
    std::uint32_t first = 0, end = 0;
};

constexpr std::uint32_t recordsPerPiece = 1 << 15;

void addRecords(std::vector<Piece>& pieces, std::string text, Records records,
                std::uint32_t count) {
    pieces.push_back({std::move(text), records, 0, std::min(count, recordsPerPiece)});
    for (std::uint32_t first = recordsPerPiece; first < count; first += recordsPerPiece)
        pieces.push_back({"", records, first, std::min(count, first + recordsPerPiece)});
}

char* put(char* at, std::string_view text) {
    return std::copy(text.begin(), text.end(), at);
}
char* putNumber(char* at, std::string_view name, float value) {
    at = put(at, name);
    // The shortest text that reads back as `value`.
#if defined(__EMSCRIPTEN__)
    at = putShortestFloat(at, value);
#else
    at = std::to_chars(at, at + 32, value).ptr;
#endif
    *at++ = '"';
    return at;
}
char* putIndex(char* at, std::string_view name, std::uint32_t value) {
    at = put(at, name);
    at = std::to_chars(at, at + 16, value).ptr;
    *at++ = '"';
    return at;
}

// PrusaSlicer reads neither the colour group nor the base materials: it
// gives a triangle an extruder from its own painting of the triangle, a
// bit string in hex, last digit first. A triangle painted whole is 2 bits
// of 0 (not split) followed by its state, extruder n being state n: 2 bits
// for states 1 and 2, else the bits 11 and 4 bits of the state less 3.
// Material k prints with extruder k + 1.
std::string_view paintedExtruder(std::uint8_t material) {
    static constexpr std::string_view states[] = {"4",  "8",  "0C", "1C", "2C", "3C", "4C", "5C",
                                                  "6C", "7C", "8C", "9C", "AC", "BC", "CC", "DC"};
    static_assert(std::size(states) == 16, "one state for every material a band can be");
    return states[std::min<std::size_t>(material, std::size(states) - 1)];
}

// The longest a record can be: 15 characters for a float ("-1.17549435e-38"),
// 10 for an index; a coloured triangle takes up to 119, a banded one with
// its painting 107.
constexpr std::size_t longestVertex = 48 + 3 * 15;
constexpr std::size_t longestTriangle = 64 + 6 * 10;
constexpr std::size_t longestColour = 32;

class ModelText {
public:
    ModelText(const PolygonsIndexed& mesh, const ThreeMfContent& content)
        : mesh(mesh), content(content) {
        if (content.vertexColours)
            group = colourGroupOf(*content.vertexColours);
        plan();
    }

    std::size_t pieceCount() const { return pieces.size(); }

    // Appends piece `index` to `text`.
    void format(std::size_t index, ChunkText& text) const {
        const Piece& piece = pieces[index];
        text.append(piece.text);
        const std::size_t longest = piece.records == Records::vertices    ? longestVertex
                                    : piece.records == Records::triangles ? longestTriangle
                                                                          : longestColour;
        char* at = text.room(longest * (piece.end - piece.first));
        for (std::uint32_t k = piece.first; k < piece.end; ++k)
            at = record(piece.records, k, at);
        text.end(at);
    }

    // At least the length of the whole text.
    std::uint64_t sizeBound() const {
        std::uint64_t bound = 0;
        for (const Piece& piece : pieces)
            bound += piece.text.size();
        return bound + std::uint64_t(mesh.vertexCount) * longestVertex +
               std::uint64_t(mesh.triangleCount) * longestTriangle +
               std::uint64_t(group.colours.size()) * longestColour;
    }

private:
    char* record(Records records, std::uint32_t k, char* at) const {
        switch (records) {
        case Records::vertices: {
            const Vec3 v = mesh.vertices[k];
            at = putNumber(at, "<vertex x=\"", v.x);
            at = putNumber(at, " y=\"", v.y);
            at = putNumber(at, " z=\"", v.z);
            return put(at, "/>\n");
        }
        case Records::triangles: {
            // The mesh keeps its triangles clockwise seen from outside.
            const Triangle& t = mesh.triangles[k];
            at = putIndex(at, "<triangle v1=\"", t.i0);
            at = putIndex(at, " v2=\"", t.i2);
            at = putIndex(at, " v3=\"", t.i1);
            // Each triangle names its property group: lib3mf 1.8 reads the
            // indices of a triangle without pid against no group.
            if (content.vertexColours) {
                at = put(at, " pid=\"2\"");
                at = putIndex(at, " p1=\"", group.ofVertex[t.i0]);
                at = putIndex(at, " p2=\"", group.ofVertex[t.i2]);
                at = putIndex(at, " p3=\"", group.ofVertex[t.i1]);
            } else if (content.materials) {
                const std::uint8_t material = content.materials->ofTriangle[k];
                at = put(at, " pid=\"2\"");
                at = putIndex(at, " p1=\"", material);
                at = put(at, " slic3rpe:mmu_segmentation=\"");
                at = put(at, paintedExtruder(material));
                *at++ = '"';
            }
            return put(at, "/>\n");
        }
        case Records::colours:
            return put(at, "<m:color color=\"" + hexColour(group.colours[k]) + "\"/>\n");
        case Records::none:
            break;
        }
        return at;
    }

    void plan() {
        const std::string name = attributeText(content.name);
        std::string text =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<model unit=\"" +
            std::string(unitName(content.unit)) +
            "\" xml:lang=\"en-US\""
            " xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\""
            " xmlns:m=\"http://schemas.microsoft.com/3dmanufacturing/material/2015/02\""
            " xmlns:p=\"http://schemas.microsoft.com/3dmanufacturing/production/2015/06\"" +
            std::string(content.materials
                            ? " xmlns:slic3rpe=\"http://schemas.slic3r.org/3mf/2017/06\""
                            : "") +
            ">\n"
            "<resources>\n";
        std::string properties;
        if (content.vertexColours) {
            addRecords(pieces,
                       text + "<m:colorgroup id=\"" + std::to_string(propertiesId) + "\">\n",
                       Records::colours, std::uint32_t(group.colours.size()));
            text = "</m:colorgroup>\n";
            properties = " pid=\"2\" pindex=\"0\"";
        } else if (content.materials) {
            text += "<basematerials id=\"" + std::to_string(propertiesId) + "\">\n";
            for (std::size_t k = 0; k < content.materials->names.size(); ++k)
                text += "<base name=\"" + attributeText(content.materials->names[k]) +
                        "\" displaycolor=\"" + hexColour(content.materials->colours[k]) + "\"/>\n";
            text += "</basematerials>\n";
            properties = " pid=\"2\" pindex=\"0\"";
        }
        // lib3mf refuses an empty name: no name is written then.
        text += "<object id=\"" + std::to_string(objectId) + "\"" +
                (name.empty() ? "" : " name=\"" + name + "\"") + " type=\"model\" p:UUID=\"" +
                stableUuid(mesh, content.name, "object") + "\"" + properties +
                ">\n<mesh>\n<vertices>\n";
        addRecords(pieces, std::move(text), Records::vertices, mesh.vertexCount);
        addRecords(pieces, "</vertices>\n<triangles>\n", Records::triangles, mesh.triangleCount);
        pieces.push_back({"</triangles>\n</mesh>\n</object>\n</resources>\n<build p:UUID=\"" +
                          stableUuid(mesh, content.name, "build") + "\">\n<item objectid=\"" +
                          std::to_string(objectId) + "\" p:UUID=\"" +
                          stableUuid(mesh, content.name, "item") + "\"/>\n</build>\n</model>\n"});
    }

    const PolygonsIndexed& mesh;
    const ThreeMfContent& content;
    ColourGroup group;
    std::vector<Piece> pieces;
};

// The most the classic ZIP form records: sizes and offsets are 32-bit.
constexpr std::uint64_t zipLimit = 0xffffffffull;

// The exact length of the text, formatted once without being kept.
std::uint64_t exactSize(const ModelText& model, const Workers& workers) {
    std::vector<std::uint64_t> sizes(model.pieceCount());
    forEachBlock(workers, std::uint32_t(sizes.size()), 1,
                 [&](std::uint32_t begin, std::uint32_t end) {
                     ChunkText text;
                     for (std::uint32_t k = begin; k < end; ++k) {
                         text.clear();
                         model.format(k, text);
                         sizes[k] = text.view().size();
                     }
                 });
    std::uint64_t total = 0;
    for (const std::uint64_t size : sizes)
        total += size;
    return total;
}

} // namespace

std::string writeThreeMf(std::FILE* out, const PolygonsIndexed& mesh, const ThreeMfContent& content,
                         const Workers& workers) {
    const ModelText model(mesh, content);
    // The small parts and the headers take far less than this margin.
    constexpr std::uint64_t margin = 1 << 20;
    if (model.sizeBound() + margin > zipLimit && exactSize(model, workers) + margin > zipLimit)
        return "the model is too large for a 3MF package of less than 4 GiB: give a coarser --grid";
    ZipWriter zip(out);
    zip.addWhole("[Content_Types].xml", contentTypes);
    zip.addWhole("_rels/.rels", relationships);
    zip.beginStreamed("3D/3dmodel.model");
    const DeflatedSizes sizes = deflateChunks(
        model.pieceCount(), [&](std::size_t k, ChunkText& text) { model.format(k, text); },
        [&](const unsigned char* bytes, std::size_t size) { zip.writeStreamed(bytes, size); },
        workers);
    if (sizes.compressedSize + zip.written() + margin > zipLimit)
        return "the model is too large for a 3MF package of less than 4 GiB: give a coarser --grid";
    zip.endStreamed(sizes);
    zip.finish();
    return {};
}

} // namespace Vextal
