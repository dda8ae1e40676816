#include "fit/OutlineFiles.h"

#include "fit/PointStream.h"
#include "fit/SvgPathData.h"

#include <expat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <sys/stat.h>

namespace Vextal {

namespace {

// What the SVG's elements hand over while expat reads it.
struct SvgReading {
    XML_Parser parser = nullptr;
    Reservoir* points = nullptr;
    std::string error;
    int shapes = 0; // paths, polylines and polygons read
};

std::string_view localName(const char* name) {
    const std::string_view n(name);
    const std::size_t colon = n.rfind(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

const char* attribute(const char** attributes, std::string_view name) {
    for (int k = 0; attributes[k]; k += 2)
        if (localName(attributes[k]) == name)
            return attributes[k + 1];
    return nullptr;
}

void stop(SvgReading& reading, const std::string& why) {
    reading.error = "line " + std::to_string(XML_GetCurrentLineNumber(reading.parser)) + ": " + why;
    XML_StopParser(reading.parser, XML_FALSE);
}

void XMLCALL elementStarts(void* data, const char* name, const char** attributes) {
    SvgReading& reading = *static_cast<SvgReading*>(data);
    const std::string_view element = localName(name);
    // A transform moves what it holds; its points read as they stand would
    // be somewhere else, so the outline is refused rather than misplaced.
    if (attribute(attributes, "transform"))
        return stop(reading, "<" + std::string(element) +
                                 "> has a transform: apply the transforms to the paths first");
    if (element == "circle" || element == "ellipse")
        return stop(reading, "<" + std::string(element) +
                                 "> is a curve: only straight segments (path, polyline, "
                                 "polygon) are read");
    const auto vertex = [&](double x, double y) { reading.points->add(x, y, 0); };
    std::string error;
    if (element == "path") {
        const char* d = attribute(attributes, "d");
        error = readPathData(d ? d : "", vertex);
    } else if (element == "polyline" || element == "polygon") {
        const char* list = attribute(attributes, "points");
        error = readPointList(list ? list : "", vertex);
    } else
        return;
    ++reading.shapes;
    if (!error.empty())
        stop(reading, "<" + std::string(element) + ">: " + error);
}

void readSvg(std::FILE* file, Reservoir& points, PointRead& out) {
    std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreate(nullptr),
                                                                   XML_ParserFree);
    SvgReading reading;
    reading.parser = parser.get();
    reading.points = &points;
    XML_SetUserData(parser.get(), &reading);
    XML_SetStartElementHandler(parser.get(), elementStarts);
    char block[65536];
    for (bool last = false; !last;) {
        const std::size_t got = std::fread(block, 1, sizeof block, file);
        last = got < sizeof block;
        if (XML_Parse(parser.get(), block, int(got), last) == XML_STATUS_ERROR) {
            out.error = reading.error.empty()
                            ? "line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) +
                                  ": not well-formed SVG: " +
                                  XML_ErrorString(XML_GetErrorCode(parser.get()))
                            : reading.error;
            return;
        }
    }
    if (reading.shapes == 0)
        out.error = "the SVG holds no path, polyline or polygon to read an outline from";
}

// An SVG (or any XML) file starts with '<' after a byte-order mark and blanks.
bool looksLikeXml(std::FILE* file) {
    char head[64] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::rewind(file);
    std::string_view start(head, got);
    if (start.starts_with("\xEF\xBB\xBF"))
        start.remove_prefix(3);
    const std::size_t first = start.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && start[first] == '<';
}

} // namespace

PointRead readOutlineFile(const std::string& path, const PointReadOptions& options) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        PointRead out;
        out.error = "is a directory, not an outline";
        return out;
    }
    {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             std::fclose);
        if (file && looksLikeXml(file.get())) {
            PointRead out;
            out.format = "SVG";
            Reservoir points(out, options);
            readSvg(file.get(), points, out);
            if (std::ferror(file.get()) && out.error.empty())
                out.error = "cannot be read: input/output error";
            return out;
        }
    }
    return readOutline(path, options);
}

} // namespace Vextal
