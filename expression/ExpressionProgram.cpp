#include "expression/ExpressionProgram.h"

#include "expression/ExpressionEvaluator.h"

namespace Vextal {

namespace {

// What a node became: a constant folded to its value, an input slot, or the
// result of an emitted instruction (numbered until the slots are laid out).
struct Value {
    enum Kind { constant, input, instruction } kind;
    double number = 0;
    std::uint32_t index = 0;
    ExprDepends depends = ExprDepends::uniform;
};

ExprDepends combined(ExprDepends a, ExprDepends b) {
    return ExprDepends(std::uint8_t(a) | std::uint8_t(b));
}

Value inputValue(std::uint32_t slot, ExprDepends depends) {
    return {Value::input, 0, slot, depends};
}

} // namespace

ExprCompile compileExpressions(std::span<const ExprTree> trees, std::uint32_t parameterCount) {
    ExprCompile out;
    ExprProgram& program = out.program;
    program.parameterCount = parameterCount;
    // Instructions with argument references still to be laid out as slots:
    // references are encoded as the Value's index into `values`.
    struct Pending {
        ExprOp op;
        ExprDepends depends;
        std::uint8_t count;
        Value arguments[maxArguments];
    };
    std::vector<Pending> pending;
    std::vector<Value> roots;
    for (const ExprTree& tree : trees) {
        std::vector<Value> values(tree.nodes.size());
        for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
            const ExprNode& node = tree.nodes[i];
            switch (node.op) {
            case ExprOp::constant:
                values[i] = {Value::constant, node.value};
                continue;
            case ExprOp::u:
                values[i] = inputValue(ExprProgram::uSlot, ExprDepends::u);
                continue;
            case ExprOp::v:
                values[i] = inputValue(ExprProgram::vSlot, ExprDepends::v);
                continue;
            case ExprOp::t:
                values[i] = inputValue(ExprProgram::tSlot, ExprDepends::uniform);
                continue;
            case ExprOp::parameter:
                values[i] =
                    inputValue(ExprProgram::firstParameterSlot + node.index, ExprDepends::uniform);
                continue;
            default:
                break;
            }
            Pending step{node.op, ExprDepends::uniform, node.argumentCount, {}};
            bool allConstant = true;
            for (int k = 0; k < node.argumentCount; ++k) {
                step.arguments[k] = values[node.arguments[k]];
                step.depends = combined(step.depends, step.arguments[k].depends);
                allConstant = allConstant && step.arguments[k].kind == Value::constant;
            }
            if (node.op == ExprOp::superformula) {
                ExprDepends shape = ExprDepends::uniform;
                for (int k = 1; k < 7; ++k)
                    shape = combined(shape, step.arguments[k].depends);
                if (shape != ExprDepends::uniform) {
                    out.error = ExpressionError{
                        tree.line, node.column, "superformula",
                        "its six numbers (all but the angle) may not depend on u or v"};
                    return out;
                }
            }
            if (allConstant) {
                double numbers[maxArguments];
                for (int k = 0; k < node.argumentCount; ++k)
                    numbers[k] = step.arguments[k].number;
                values[i] = {Value::constant, evaluateOperation<double>(node.op, numbers)};
                continue;
            }
            values[i] = {Value::instruction, 0, std::uint32_t(pending.size()), step.depends};
            pending.push_back(step);
        }
        roots.push_back(values.empty() ? Value{Value::constant, 0} : values.back());
    }

    // Slots: the inputs, then every constant an instruction or a result
    // reads, then the instructions' results.
    const auto constantSlot = [&](double number) {
        program.constants.push_back(number);
        return std::uint32_t(program.firstConstantSlot() + program.constants.size() - 1);
    };
    const auto slotOf = [&](const Value& value, std::uint32_t firstResult) -> std::uint32_t {
        switch (value.kind) {
        case Value::constant:
            return 0; // laid out below
        case Value::input:
            return value.index;
        case Value::instruction:
            return firstResult + value.index;
        }
        return 0;
    };
    // Constants first, so that the first result's slot is known.
    for (Pending& step : pending)
        for (int k = 0; k < step.count; ++k)
            if (step.arguments[k].kind == Value::constant)
                step.arguments[k].index = constantSlot(step.arguments[k].number);
    for (Value& root : roots)
        if (root.kind == Value::constant)
            root.index = constantSlot(root.number);
    const std::uint32_t firstResult =
        program.firstConstantSlot() + std::uint32_t(program.constants.size());
    program.slotCount = firstResult + std::uint32_t(pending.size());
    program.slotDepends.assign(program.slotCount, ExprDepends::uniform);
    program.slotDepends[ExprProgram::uSlot] = ExprDepends::u;
    program.slotDepends[ExprProgram::vSlot] = ExprDepends::v;
    for (std::size_t i = 0; i < pending.size(); ++i) {
        const Pending& step = pending[i];
        ExprInstruction in{step.op, step.depends, step.count, firstResult + std::uint32_t(i), {}};
        for (int k = 0; k < step.count; ++k)
            in.arguments[k] = step.arguments[k].kind == Value::constant
                                  ? step.arguments[k].index
                                  : slotOf(step.arguments[k], firstResult);
        program.slotDepends[in.out] = step.depends;
        program.instructions.push_back(in);
    }
    for (const Value& root : roots)
        program.results.push_back(root.kind == Value::constant ? root.index
                                                               : slotOf(root, firstResult));
    return out;
}

} // namespace Vextal
