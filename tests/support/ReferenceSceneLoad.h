#pragma once

#include "scene/SceneCommands.h"
#include "scene/SceneLoader.h"

#include <istream>
#include <string>
#include <string_view>

namespace VextalReference {

// std::istream as the source of readCommands(): tokens and numbers read with
// >> std::string and >> float, the stream in the "C" locale.
class StreamSource {
public:
    explicit StreamSource(std::istream& stream) : stream(stream) {}

    bool nextToken(std::string_view& token) {
        if (!(stream >> text))
            return false;
        token = text;
        return true;
    }

    Vextal::NumberRead nextNumber(float& value) {
        if (stream >> value)
            return Vextal::NumberRead::read;
        return stream.eof() ? Vextal::NumberRead::endedInput : Vextal::NumberRead::rejected;
    }

    // A typed surface's expression: the rest of the line; no place is known.
    bool restOfLine(std::string& line, int& lineNumber, int& column) {
        lineNumber = column = 0;
        if (!std::getline(stream, line))
            return false;
        line.erase(0, line.find_first_not_of(" \t"));
        return true;
    }
    void place(int& lineNumber, int& column) { lineNumber = column = 0; }

private:
    std::istream& stream;
    std::string text;
};

// The whole load as first written: the file read through a std::istream, the
// surface tessellated by the per-vertex reference, normals by the
// per-triangle reference.
Vextal::SceneLoadResult loadSceneFile(const char* path, Vextal::PolygonsIndexedNormal& mesh);

} // namespace VextalReference
