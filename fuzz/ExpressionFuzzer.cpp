// libFuzzer entry over the expression language alone: the input bytes are one
// expression over u, v, t and two parameters. It is parsed, compiled and run
// over a small grid on doubles and on jets; the text written back as the
// parser understood it must parse again to the very same text and give the
// same values. Any crash, sanitizer report, error without a place, or text
// that reads back as another expression is a finding.

#include "expression/ExpressionEvaluator.h"
#include "expression/ExpressionProgram.h"
#include "expression/ExpressionTree.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Expressions are a line of a scene file; longer inputs only measure how fast
// the size limit is met, which the tests cover.
constexpr std::size_t maxInputBytes = 16 * 1024;

const std::vector<std::string> names{"a", "b"};

void require(bool holds) {
    if (!holds)
        std::abort();
}

// The values over a 3 x 3 grid, doubles then jets' values.
std::vector<double> valuesOf(const Vextal::ExprProgram& program) {
    const double v[3] = {-1.5, 0.25, 2};
    const double parameters[2] = {0.5, -3};
    std::vector<double> out;
    Vextal::ExprGridEvaluator<double> plain(program, 3);
    Vextal::ExprGridEvaluator<Vextal::Jet> jets(program, 3);
    plain.start(0.5, parameters, v);
    jets.start(0.5, parameters, v);
    for (double u : {-0.75, 0.0, 3.0}) {
        plain.row(u);
        jets.row(u);
        for (int k = 0; k < 3; ++k) {
            out.push_back(plain.result(0)[k]);
            out.push_back(jets.result(0)[k].value);
        }
    }
    return out;
}

bool sameValue(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > maxInputBytes)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Vextal::ExprParse parsed = Vextal::parseExpression(text, names, {3, 5});
    if (parsed.error) {
        require(parsed.error->line == 3 && parsed.error->column >= 5 &&
                std::size_t(parsed.error->column) <= 5 + size && !parsed.error->message.empty());
        return 0;
    }
    const Vextal::ExprTree trees[] = {parsed.tree};
    const Vextal::ExprCompile compiled = Vextal::compileExpressions(trees, 2);
    const std::string understood = Vextal::expressionText(parsed.tree, names);
    const Vextal::ExprParse again = Vextal::parseExpression(understood, names);
    // The text written back puts each unary minus's operand in parentheses,
    // a level each: a chain of minuses near the nesting limit reads, but its
    // written form may lie beyond the limit. Any other error is a finding.
    if (again.error && again.error->message.find("nested too deeply") != std::string::npos)
        return 0;
    require(!again.error);
    require(Vextal::expressionText(again.tree, names) == understood);
    const Vextal::ExprTree againTrees[] = {again.tree};
    const Vextal::ExprCompile recompiled = Vextal::compileExpressions(againTrees, 2);
    require(bool(compiled.error) == bool(recompiled.error));
    if (compiled.error)
        return 0;
    const std::vector<double> first = valuesOf(compiled.program);
    const std::vector<double> second = valuesOf(recompiled.program);
    for (std::size_t k = 0; k < first.size(); ++k)
        require(sameValue(first[k], second[k]));
    // Doubles and jets agree on the value wherever both are finite numbers.
    for (std::size_t k = 0; k + 1 < first.size(); k += 2)
        require(!std::isfinite(first[k]) || !std::isfinite(first[k + 1]) ||
                sameValue(first[k], first[k + 1]) ||
                std::fabs(first[k] - first[k + 1]) <= 1e-9 * std::fabs(first[k]));
    return 0;
}
