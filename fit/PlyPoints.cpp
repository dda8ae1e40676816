#include "fit/PlyPoints.h"

#include <bit>
#include <charconv>
#include <sstream>
#include <string_view>
#include <vector>

namespace Vextal {

namespace {

enum class PlyFormat { ascii, little, big };

struct PlyProperty {
    std::string name;
    int size = 0;      // bytes of the value (of each item, for a list)
    char kind = 'f';   // 'i' signed, 'u' unsigned, 'f' floating
    int countSize = 0; // a list's count's bytes; 0 for a scalar
    char countKind = 'u';
};

struct PlyElement {
    std::string name;
    std::uint64_t count = 0;
    std::vector<PlyProperty> properties;
};

bool typeOf(const std::string& word, int& size, char& kind) {
    static const struct {
        const char* name;
        int size;
        char kind;
    } types[] = {{"char", 1, 'i'},  {"int8", 1, 'i'},    {"uchar", 1, 'u'},  {"uint8", 1, 'u'},
                 {"short", 2, 'i'}, {"int16", 2, 'i'},   {"ushort", 2, 'u'}, {"uint16", 2, 'u'},
                 {"int", 4, 'i'},   {"int32", 4, 'i'},   {"uint", 4, 'u'},   {"uint32", 4, 'u'},
                 {"float", 4, 'f'}, {"float32", 4, 'f'}, {"double", 8, 'f'}, {"float64", 8, 'f'}};
    for (const auto& t : types)
        if (word == t.name) {
            size = t.size;
            kind = t.kind;
            return true;
        }
    return false;
}

// The header up to "end_header"; an error in out when it is not one.
bool readHeader(ByteSource& source, PlyFormat& format, std::vector<PlyElement>& elements,
                PointRead& out) {
    std::string line;
    source.line(line); // "ply"
    bool formatSeen = false;
    while (source.line(line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "end_header") {
            if (!formatSeen)
                out.error = "the PLY header has no format line";
            return formatSeen;
        }
        if (word == "format") {
            std::string kind;
            words >> kind;
            formatSeen = true;
            if (kind == "ascii")
                format = PlyFormat::ascii;
            else if (kind == "binary_little_endian")
                format = PlyFormat::little;
            else if (kind == "binary_big_endian")
                format = PlyFormat::big;
            else {
                out.error = "the PLY format '" + kind.substr(0, 40) +
                            "' is none of ascii, "
                            "binary_little_endian, binary_big_endian";
                return false;
            }
        } else if (word == "element") {
            PlyElement element;
            words >> element.name >> element.count;
            if (words.fail()) {
                out.error =
                    "a PLY element line without a name and a count: '" + line.substr(0, 60) + "'";
                return false;
            }
            elements.push_back(element);
        } else if (word == "property") {
            PlyProperty p;
            std::string type;
            words >> type;
            bool known = true;
            if (type == "list") {
                std::string countType, itemType;
                words >> countType >> itemType;
                known = typeOf(countType, p.countSize, p.countKind) && p.countKind != 'f' &&
                        typeOf(itemType, p.size, p.kind);
            } else {
                known = typeOf(type, p.size, p.kind);
            }
            words >> p.name;
            if (!known || words.fail() || elements.empty()) {
                out.error = "a PLY property line that cannot be read: '" + line.substr(0, 60) + "'";
                return false;
            }
            elements.back().properties.push_back(p);
        }
    }
    out.error = "the PLY header ends without 'end_header'";
    return false;
}

double binaryValue(const char* bytes, int size, char kind, bool swap) {
    unsigned char b[8];
    std::memcpy(b, bytes, size);
    if (swap)
        std::reverse(b, b + size);
    switch (size) {
    case 1:
        return kind == 'i' ? double(std::int8_t(b[0])) : double(b[0]);
    case 2: {
        std::uint16_t v;
        std::memcpy(&v, b, 2);
        return kind == 'i' ? double(std::int16_t(v)) : double(v);
    }
    case 4: {
        std::uint32_t v;
        std::memcpy(&v, b, 4);
        if (kind == 'f')
            return std::bit_cast<float>(v);
        return kind == 'i' ? double(std::int32_t(v)) : double(v);
    }
    default: {
        double v;
        std::memcpy(&v, b, 8);
        return v;
    }
    }
}

std::string endedEarly(const PlyElement& element, std::uint64_t read) {
    const std::string items = element.count == 1         ? element.name
                              : element.name == "vertex" ? std::string("vertices")
                                                         : element.name + "s";
    return "the PLY header promises " + std::to_string(element.count) + " " + items +
           ", but the file ends after " + std::to_string(read);
}

// One binary item of the element: the values of its scalar properties
// (lists are read past). False when the file ends.
bool binaryItem(ByteSource& source, const PlyElement& element, bool swap,
                std::vector<double>& values) {
    values.clear();
    char bytes[8];
    for (const PlyProperty& p : element.properties) {
        if (p.countSize == 0) {
            if (!source.bytes(bytes, std::size_t(p.size)))
                return false;
            values.push_back(binaryValue(bytes, p.size, p.kind, swap));
            continue;
        }
        if (!source.bytes(bytes, std::size_t(p.countSize)))
            return false;
        const double count = binaryValue(bytes, p.countSize, p.countKind, swap);
        for (double k = 0; k < count; ++k)
            if (!source.bytes(bytes, std::size_t(p.size)))
                return false;
        values.push_back(count);
    }
    return true;
}

bool asciiItem(ByteSource& source, std::vector<double>& values) {
    std::string line;
    values.clear();
    while (source.line(line)) {
        const char* p = line.data();
        const char* end = p + line.size();
        while (p < end) {
            while (p < end && (*p == ' ' || *p == '\t' || *p == '\r'))
                ++p;
            if (p == end)
                break;
            double v = 0;
            const auto [next, error] = std::from_chars(p, end, v);
            if (error == std::errc::invalid_argument)
                return false;
            values.push_back(error == std::errc::result_out_of_range ? HUGE_VAL : v);
            p = next;
        }
        if (!values.empty())
            return true;
    }
    return false;
}

int indexOf(const PlyElement& element, const char* name) {
    for (std::size_t k = 0; k < element.properties.size(); ++k)
        if (element.properties[k].name == name && element.properties[k].countSize == 0)
            return int(k);
    return -1;
}

} // namespace

void readPly(ByteSource& source, Reservoir& points, PointRead& out) {
    PlyFormat format = PlyFormat::ascii;
    std::vector<PlyElement> elements;
    if (!readHeader(source, format, elements, out))
        return;
    const bool swap = (format == PlyFormat::big) != (std::endian::native == std::endian::big);
    std::vector<double> values;
    for (const PlyElement& element : elements) {
        const bool vertices = element.name == "vertex";
        const int x = indexOf(element, "x"), y = indexOf(element, "y"), z = indexOf(element, "z");
        if (vertices && (x < 0 || y < 0 || z < 0)) {
            out.error = "the PLY vertex element has no x, y and z";
            return;
        }
        for (std::uint64_t k = 0; k < element.count; ++k) {
            const bool got = format == PlyFormat::ascii ? asciiItem(source, values)
                                                        : binaryItem(source, element, swap, values);
            if (!got || values.size() < element.properties.size()) {
                out.error = endedEarly(element, k);
                return;
            }
            if (vertices)
                points.add(values[std::size_t(x)], values[std::size_t(y)], values[std::size_t(z)]);
        }
        if (vertices)
            return; // the faces after the vertices are not needed
    }
    out.error = "the PLY file has no vertex element";
}

} // namespace Vextal
