#pragma once

#include "expression/ExpressionTree.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace Vextal {

// What an instruction's value depends on: nothing that changes over a surface
// (constants, t, the parameters), u alone, v alone, or both. A grid works out
// each kind as rarely as it can: once, once per row, once per column, once per
// point.
enum class ExprDepends : std::uint8_t { uniform = 0, u = 1, v = 2, both = 3 };

// One step of a program: out = op(the argument slots).
struct ExprInstruction {
    ExprOp op;
    ExprDepends depends;
    std::uint8_t argumentCount;
    std::uint32_t out;
    std::uint32_t arguments[maxArguments];
};

// Expressions compiled together into a flat list of instructions over numbered
// slots. Slot 0 is u, 1 v, 2 t, then one per parameter, then the constants,
// then one per instruction's result. Constant parts are folded: an operation
// on constants alone is worked out once here, with the evaluator's own
// arithmetic, so a program gives the bits the expression gives.
struct ExprProgram {
    static constexpr std::uint32_t uSlot = 0, vSlot = 1, tSlot = 2, firstParameterSlot = 3;

    std::uint32_t parameterCount = 0;
    std::uint32_t slotCount = 0;
    std::vector<double> constants; // slot firstConstantSlot() + k
    std::vector<ExprInstruction> instructions;
    std::vector<std::uint32_t> results;   // the slot of each expression's value
    std::vector<ExprDepends> slotDepends; // per slot

    std::uint32_t firstConstantSlot() const { return firstParameterSlot + parameterCount; }
};

// Compiles the trees (x, y, z, say) into one program. A superformula whose six
// numbers depend on u or v is refused with the error at `places[k]` of its
// expression: its derivatives would need those of the numbers.
struct ExprCompile {
    ExprProgram program;
    std::optional<ExpressionError> error;
};
ExprCompile compileExpressions(std::span<const ExprTree> trees, std::uint32_t parameterCount);

} // namespace Vextal
