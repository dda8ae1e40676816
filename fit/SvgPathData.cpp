#include "fit/SvgPathData.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

namespace Vextal {

namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == ',';
}

// The text after the separators at `at`.
void skipSeparators(std::string_view s, std::size_t& at) {
    while (at < s.size() && isSeparator(s[at]))
        ++at;
}

// A number at `at` ("-1.5e3", ".5", "+2"; "1.5.5" is two numbers), `at`
// moved past it; false, `at` unmoved, when none starts there.
bool number(std::string_view s, std::size_t& at, double& value) {
    std::size_t p = at;
    skipSeparators(s, p);
    if (p < s.size() && s[p] == '+')
        ++p;
    const auto [end, error] = std::from_chars(s.data() + p, s.data() + s.size(), value);
    if (error == std::errc::invalid_argument)
        return false;
    if (error == std::errc::result_out_of_range)
        value = HUGE_VAL;
    at = std::size_t(end - s.data());
    return true;
}

bool pair(std::string_view s, std::size_t& at, double& x, double& y) {
    std::size_t p = at;
    if (!number(s, p, x) || !number(s, p, y))
        return false;
    at = p;
    return true;
}

std::string curveRefusal(char command) {
    const char* kind = std::strchr("Aa", command) ? "an elliptical arc" : "a curve";
    return std::string("the path's '") + command + "' command draws " + kind +
           ": only straight segments (M, L, H, V, Z) are read; flatten the path's "
           "curves into line segments first";
}

struct Pen {
    double x = 0, y = 0;           // the current point
    double startX = 0, startY = 0; // of the subpath, where Z returns
};

// One command and its repeated arguments; an empty string when read.
std::string command(char c, std::string_view s, std::size_t& at, Pen& pen,
                    const std::function<void(double, double)>& vertex) {
    const bool relative = std::islower(static_cast<unsigned char>(c));
    const char upper = char(std::toupper(static_cast<unsigned char>(c)));
    if (upper == 'Z') {
        pen.x = pen.startX;
        pen.y = pen.startY;
        return "";
    }
    int count = 0;
    for (;; ++count) {
        double u = 0, v = 0;
        std::size_t p = at;
        const bool got = upper == 'H'   ? number(s, p, u)
                         : upper == 'V' ? number(s, p, v)
                                        : pair(s, p, u, v);
        if (!got)
            break;
        at = p;
        if (upper == 'H')
            pen.x = relative ? pen.x + u : u;
        else if (upper == 'V')
            pen.y = relative ? pen.y + v : v;
        else {
            pen.x = relative ? pen.x + u : u;
            pen.y = relative ? pen.y + v : v;
        }
        // A moveto's further pairs are linetos; only its first starts a subpath.
        if (upper == 'M' && count == 0) {
            pen.startX = pen.x;
            pen.startY = pen.y;
        }
        vertex(pen.x, pen.y);
    }
    if (count == 0)
        return std::string("the path's '") + c + "' command lacks its coordinates";
    return "";
}

} // namespace

std::string readPathData(std::string_view s, const std::function<void(double, double)>& vertex) {
    Pen pen;
    std::size_t at = 0;
    bool first = true;
    for (;;) {
        skipSeparators(s, at);
        if (at == s.size())
            return "";
        const char c = s[at];
        if (std::strchr("CcSsQqTtAa", c) && c != '\0')
            return curveRefusal(c);
        if (!std::strchr("MmLlHhVvZz", c) || c == '\0')
            return std::string("the path's data holds '") + c + "' where a command was expected";
        if (first && c != 'M' && c != 'm')
            return "the path's data does not start with a moveto (M)";
        ++at;
        // A first relative moveto is absolute: it moves from the origin.
        if (std::string error = command(c, s, at, pen, vertex); !error.empty())
            return error;
        first = false;
    }
}

std::string readPointList(std::string_view s, const std::function<void(double, double)>& vertex) {
    std::size_t at = 0;
    double x = 0, y = 0;
    while (pair(s, at, x, y))
        vertex(x, y);
    skipSeparators(s, at);
    if (at != s.size())
        return "the points attribute holds '" + std::string(s.substr(at, 20)) +
               "' where a coordinate pair was expected";
    return "";
}

} // namespace Vextal
