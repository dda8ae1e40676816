#pragma once

#include "expression/ExpressionError.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Vextal {

// What a node of an expression does. The inputs are u, v, t and the named
// parameters; the functions are those of the expression language.
enum class ExprOp : std::uint8_t {
    constant,
    u,
    v,
    t,
    parameter,
    add,
    subtract,
    multiply,
    divide,
    power,
    negate,
    sin,
    cos,
    tan,
    asin,
    acos,
    atan,
    atan2,
    sinh,
    cosh,
    tanh,
    exp,
    log,
    sqrt,
    abs,
    pow,
    min,
    max,
    superformula,
};

// The most arguments a function takes (superformula's angle and six numbers).
inline constexpr int maxArguments = 7;

// One node. Nodes are stored children first, so every argument's index is
// below its node's: one pass in order visits the tree bottom-up, with no
// recursion however deep the tree is.
struct ExprNode {
    ExprOp op = ExprOp::constant;
    std::uint8_t argumentCount = 0;
    double value = 0;        // a constant's value
    std::uint32_t index = 0; // a parameter's number
    int column = 0;          // where its token starts in the scene text
    std::uint32_t arguments[maxArguments] = {};
};

// A parsed expression: its nodes, the last one the root.
struct ExprTree {
    std::vector<ExprNode> nodes;
    int line = 0; // the scene text's line the expression is on
};

// The limits a parse checks as it goes, so that no input can exhaust the
// stack or the memory: parentheses, unary signs and exponents nested deeper
// than maxDepth, and more than maxNodes nodes, are load errors.
struct ExprLimits {
    static constexpr int maxDepth = 256;
    static constexpr std::size_t maxNodes = 1 << 16;
};

// Where the expression's text starts in the scene text, for error positions.
struct ExprPlace {
    int line = 1;
    int column = 1;
};

// The function (or constant) of a name: functions, "pi", "e", "u", "v", "t".
// A parameter may not take one of these names.
bool isReservedName(std::string_view name);

// Whether a name is a well-formed name of the language: an ASCII letter or
// '_' followed by ASCII letters, digits and '_'.
bool isNameOfLanguage(std::string_view name);

// Parses text as one expression over u, v, t and the given parameter names
// (parameter k is the k-th name). Either the tree or the first error.
struct ExprParse {
    ExprTree tree;
    std::optional<ExpressionError> error;
};
ExprParse parseExpression(std::string_view text, std::span<const std::string> parameters,
                          ExprPlace place = {});

// The expression written back as the parser understood it: every operation
// in parentheses, numbers in the fewest digits that read back the same.
std::string expressionText(const ExprTree& tree, std::span<const std::string> parameters);

} // namespace Vextal
