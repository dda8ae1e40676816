#include "expression/ExpressionEvaluator.h"
#include "expression/ExpressionProgram.h"
#include "expression/ExpressionTree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

using namespace Vextal;

namespace {

const std::vector<std::string> noNames;

ExpressionError errorOf(const std::string& text, const std::vector<std::string>& names = noNames,
                        ExprPlace place = {4, 3}) {
    const ExprParse parsed = parseExpression(text, names, place);
    EXPECT_TRUE(parsed.error.has_value()) << text;
    return parsed.error.value_or(ExpressionError{});
}

ExprProgram programOf(const std::vector<std::string>& texts,
                      const std::vector<std::string>& names = noNames) {
    std::vector<ExprTree> trees;
    for (const std::string& text : texts) {
        ExprParse parsed = parseExpression(text, names);
        EXPECT_FALSE(parsed.error) << text << ": " << parsed.error->message;
        trees.push_back(std::move(parsed.tree));
    }
    ExprCompile compiled = compileExpressions(trees, std::uint32_t(names.size()));
    EXPECT_FALSE(compiled.error);
    return std::move(compiled.program);
}

template <class T>
T valueAt(const ExprProgram& program, double u, double v, std::vector<double> parameters = {},
          double t = 0) {
    ExprGridEvaluator<T> evaluator(program, 1);
    evaluator.start(t, parameters, &v);
    evaluator.row(u);
    return evaluator.result(0)[0];
}

} // namespace

// Each error names the line, the column (counted from the place the
// expression starts) and the token it found.
TEST(ExpressionParse, errorsNameLineColumnAndToken) {
    struct Case {
        std::string text;
        int column;
        std::string token;
    };
    const Case cases[] = {
        {"u + foo", 7, "foo"},                    // unknown name
        {"sin(u, v)", 10, "v"},                   // too many arguments
        {"atan2(u)", 10, ")"},                    // too few
        {"u * (v + 1", 13, ""},                   // unclosed parenthesis: at the end
        {"u v", 5, "v"},                          // no implicit product
        {"2 $ u", 5, "$"},                        // no such symbol
        {"u + \xC3\xA9t\xC3\xA9", 7, "\xC3\xA9"}, // non-ASCII, the whole character
        {"u + \x01", 7, "\x01"},                  // a control byte
        {"bogus(u)", 3, "bogus"},                 // unknown function
        {"sin u", 3, "sin"},                      // a function without its parenthesis
        {"", 3, ""},                              // nothing at all
    };
    for (const Case& c : cases) {
        const ExpressionError e = errorOf(c.text);
        EXPECT_EQ(e.line, 4) << c.text;
        EXPECT_EQ(e.column, c.column) << c.text << ": " << e.message;
        EXPECT_EQ(e.token, c.token) << c.text;
        EXPECT_FALSE(e.message.empty());
    }
}

// Limits are checked while parsing: deep nesting of every kind and a huge
// expression are errors, never a stack overflow.
TEST(ExpressionParse, depthAndSizeLimitsAreErrors) {
    const std::string deep = std::string(100000, '(') + "u" + std::string(100000, ')');
    EXPECT_NE(errorOf(deep).message.find("nested too deeply"), std::string::npos);
    EXPECT_NE(errorOf(std::string(100000, '-') + "u").message.find("nested too deeply"),
              std::string::npos);
    std::string powers = "u";
    for (int k = 0; k < 100000; ++k)
        powers += "^u";
    EXPECT_NE(errorOf(powers).message.find("nested too deeply"), std::string::npos);
    std::string huge = "u";
    while (huge.size() < (1u << 20))
        huge += "+u";
    EXPECT_NE(errorOf(huge).message.find("too long"), std::string::npos);
    // A long flat sum within the limit compiles (no recursion over the tree)
    // and writes back without a copy per term.
    std::string sum = "u";
    for (int k = 0; k < 30000; ++k)
        sum += "+v";
    const ExprProgram program = programOf({sum});
    EXPECT_DOUBLE_EQ(valueAt<double>(program, 1, 2), 60001);
    const ExprParse parsed = parseExpression(sum, noNames);
    EXPECT_EQ(expressionText(parsed.tree, noNames).size(), sum.size() + 2 * 30000);
}

// Operators bind as written mathematics does, and the text written back says so.
TEST(ExpressionParse, precedenceAndTextAsUnderstood) {
    const std::vector<std::string> names{"a"};
    const auto understood = [&](const std::string& text) {
        return expressionText(parseExpression(text, names).tree, names);
    };
    EXPECT_EQ(understood("-u^2"), "-u^2");
    EXPECT_EQ(understood("(-u)^2"), "(-u)^2");
    EXPECT_EQ(understood("2^3^2"), "2^3^2");
    EXPECT_EQ(understood("(2^3)^2"), "(2^3)^2");
    EXPECT_EQ(understood("a-(u-v)"), "a - (u - v)");
    EXPECT_EQ(understood("a*(u+v)/2"), "a * (u + v) / 2");
    EXPECT_EQ(understood("superformula(v, 2,7,7,5,1,1)"), "superformula(v, 2, 7, 7, 5, 1, 1)");
    const ExprProgram p = programOf({"-2^2", "2^3^2", "8/2/2", "1e2 + .5"});
    const double expected[] = {-4, 512, 2, 100.5};
    for (std::size_t k = 0; k < 4; ++k) {
        ExprGridEvaluator<double> e(p, 1);
        const double v = 0;
        e.start(0, {}, &v);
        e.row(0);
        EXPECT_EQ(e.result(k)[0], expected[k]) << k;
    }
}

// Constant parts are worked out once: a formula of constants alone is no
// instruction at all, and one with a variable keeps only what depends on it.
TEST(ExpressionProgram, constantsFoldAndWorkSplitsByWhatItDependsOn) {
    EXPECT_TRUE(programOf({"2 * pi * cos(0) + e^0"}).instructions.empty());
    const ExprProgram p = programOf({"sin(2*pi*u) * cos(v) * a"}, {"a"});
    ASSERT_EQ(p.instructions.size(), 5u); // 2pi*u, sin, cos(v), *, *a
    EXPECT_EQ(p.instructions[0].depends, ExprDepends::u);
    EXPECT_EQ(p.instructions[2].depends, ExprDepends::v);
    EXPECT_EQ(p.instructions[4].depends, ExprDepends::both);
    EXPECT_DOUBLE_EQ(valueAt<double>(p, 0.125, 0, {3}), 3 * std::sin(std::numbers::pi / 4));
}

// A superformula whose shape varies over the surface has no derivatives to
// offer through its numbers, and is refused where it is written.
TEST(ExpressionProgram, superformulaShapeMayNotVaryOverTheSurface) {
    const ExprParse parsed =
        parseExpression("1 + superformula(v, 2, 7, u, 5, 1, 1)", noNames, {2, 3});
    ASSERT_FALSE(parsed.error);
    const ExprTree trees[] = {parsed.tree};
    const ExprCompile compiled = compileExpressions(trees, 0);
    ASSERT_TRUE(compiled.error);
    EXPECT_EQ(compiled.error->line, 2);
    EXPECT_EQ(compiled.error->column, 7);
    EXPECT_EQ(compiled.error->token, "superformula");
}

// Where the mathematics is undefined the value is what IEEE arithmetic
// gives, carried to the surface: never a trap or a crash.
TEST(ExpressionEvaluate, undefinedPointsGiveIeeeValues) {
    const ExprProgram p = programOf({"1/(u-u)"});
    EXPECT_EQ(valueAt<double>(p, 1, 0), INFINITY);
    EXPECT_TRUE(std::isnan(valueAt<double>(programOf({"log(-1 + 0*u)"}), 1, 0)));
    EXPECT_EQ(valueAt<double>(programOf({"u^u"}), 0, 0), 1); // 0^0
    EXPECT_EQ(valueAt<double>(programOf({"pow(2 + u, 1e300)"}), 0, 0), INFINITY);
    EXPECT_TRUE(std::isnan(valueAt<double>(programOf({"min(0/0 + u, 1)"}), 0, 0)));
}

// Every function's jet carries the derivatives that central differences of
// its double version give.
TEST(ExpressionEvaluate, jetsCarryTheDerivativesOfEveryFunction) {
    const char* formulas[] = {
        "sin(u*v) + cos(u-v)",
        "tan(u/3 + v/4)",
        "asin(u/3*v)",
        "acos(u*v/3)",
        "atan(u*v)",
        "atan2(v, u)",
        "sinh(u*v)",
        "cosh(u-v)",
        "tanh(u*v)",
        "exp(u*v)",
        "log(u*v)",
        "sqrt(u*v + 1)",
        "abs(u - 2*v)",
        "pow(u, v)",
        "u^v",
        "(u*v)^3",
        "2^(u*v)",
        "min(u*v, u+v)",
        "max(u, v*v)",
        "u/v - v/u",
        "superformula(u*v, 2, 7, 7, 5, 1, 1)",
    };
    const double u = 0.7, v = 0.9, h = 1e-4;
    for (const char* formula : formulas) {
        const ExprProgram p = programOf({formula});
        const auto f = [&](double a, double b) { return valueAt<double>(p, a, b); };
        const Jet j = valueAt<Jet>(p, u, v);
        const double scale = 1 + std::fabs(j.value) + std::fabs(j.du) + std::fabs(j.dv);
        EXPECT_EQ(j.value, f(u, v)) << formula;
        EXPECT_NEAR(j.du, (f(u + h, v) - f(u - h, v)) / (2 * h), 1e-6 * scale) << formula;
        EXPECT_NEAR(j.dv, (f(u, v + h) - f(u, v - h)) / (2 * h), 1e-6 * scale) << formula;
        EXPECT_NEAR(j.duu, (f(u + h, v) - 2 * f(u, v) + f(u - h, v)) / (h * h), 1e-4 * scale)
            << formula;
        EXPECT_NEAR(j.dvv, (f(u, v + h) - 2 * f(u, v) + f(u, v - h)) / (h * h), 1e-4 * scale)
            << formula;
        EXPECT_NEAR(j.duv,
                    (f(u + h, v + h) - f(u + h, v - h) - f(u - h, v + h) + f(u - h, v - h)) /
                        (4 * h * h),
                    1e-4 * scale)
            << formula;
    }
}
