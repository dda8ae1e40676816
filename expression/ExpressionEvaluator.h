#pragma once

#include "expression/ExpressionFunctions.h"
#include "expression/ExpressionProgram.h"

#include <cstddef>
#include <span>
#include <vector>

namespace Vextal {

// One operation on one point: a[k] is the value of argument k. The number
// type is double (positions) or Jet (value with first and second partials).
template <class T> T evaluateOperation(ExprOp op, const T* a) {
    using std::abs, std::acos, std::asin, std::atan, std::atan2, std::cos, std::cosh, std::exp,
        std::log, std::pow, std::sin, std::sinh, std::sqrt, std::tan, std::tanh;
    switch (op) {
    case ExprOp::add:
        return a[0] + a[1];
    case ExprOp::subtract:
        return a[0] - a[1];
    case ExprOp::multiply:
        return a[0] * a[1];
    case ExprOp::divide:
        return quotient(a[0], a[1]);
    case ExprOp::power:
    case ExprOp::pow:
        return pow(a[0], a[1]);
    case ExprOp::negate:
        return -a[0];
    case ExprOp::sin:
        return sin(a[0]);
    case ExprOp::cos:
        return cos(a[0]);
    case ExprOp::tan:
        return tan(a[0]);
    case ExprOp::asin:
        return asin(a[0]);
    case ExprOp::acos:
        return acos(a[0]);
    case ExprOp::atan:
        return atan(a[0]);
    case ExprOp::atan2:
        return atan2(a[0], a[1]);
    case ExprOp::sinh:
        return sinh(a[0]);
    case ExprOp::cosh:
        return cosh(a[0]);
    case ExprOp::tanh:
        return tanh(a[0]);
    case ExprOp::exp:
        return exp(a[0]);
    case ExprOp::log:
        return log(a[0]);
    case ExprOp::sqrt:
        return sqrt(a[0]);
    case ExprOp::abs:
        if constexpr (std::is_same_v<T, double>)
            return std::fabs(a[0]);
        else
            return fabs(a[0]);
    case ExprOp::min:
        if constexpr (std::is_same_v<T, double>)
            return expression_detail::minimum(a[0], a[1]);
        else
            return min(a[0], a[1]);
    case ExprOp::max:
        if constexpr (std::is_same_v<T, double>)
            return expression_detail::maximum(a[0], a[1]);
        else
            return max(a[0], a[1]);
    case ExprOp::superformula: {
        double six[6];
        for (int k = 0; k < 6; ++k) {
            if constexpr (std::is_same_v<T, double>)
                six[k] = a[k + 1];
            else
                six[k] = a[k + 1].value;
        }
        const SuperformulaShape shape = superformulaShape(six);
        return superformulaRadiusOf(shape.coefficients, shape.derived, a[0]);
    }
    default:
        return a[0];
    }
}

// Runs a program over a grid of rows of `columns` points: u is the same along
// a row, v the same down a column. What depends on neither is worked out once
// (start), what depends on v alone once per column (start), what depends on u
// alone once per row and the rest per point (row), each instruction one loop
// over the row's points.
template <class T> class ExprGridEvaluator {
public:
    ExprGridEvaluator(const ExprProgram& program, std::size_t columns);

    // The time, the parameters' values and each column's v.
    void start(double t, std::span<const double> parameters, const double* v);
    void row(double u);

    // The values of expression k over the current row (columns of them).
    const T* result(std::size_t k) const { return lane(program.results[k]); }

private:
    T* lane(std::uint32_t slot) { return slots.data() + std::size_t(slot) * columns; }
    const T* lane(std::uint32_t slot) const { return slots.data() + std::size_t(slot) * columns; }
    void run(const ExprInstruction& in, std::size_t count);
    void runAll(ExprDepends depends);

    const ExprProgram& program;
    std::size_t columns;
    std::vector<T> slots;
    std::vector<bool> readAcross; // a slot that a per-point instruction reads
};

template <class T>
ExprGridEvaluator<T>::ExprGridEvaluator(const ExprProgram& p, std::size_t c)
    : program(p), columns(c == 0 ? 1 : c), slots(std::size_t(p.slotCount) * columns),
      readAcross(p.slotCount, false) {
    for (const ExprInstruction& in : p.instructions)
        if (in.depends == ExprDepends::v || in.depends == ExprDepends::both)
            for (int k = 0; k < in.argumentCount; ++k)
                readAcross[in.arguments[k]] = true;
    // A result is read across the row too.
    for (std::uint32_t slot : p.results)
        readAcross[slot] = true;
}

template <class T> void ExprGridEvaluator<T>::run(const ExprInstruction& in, std::size_t count) {
    T* out = lane(in.out);
    const T* a = lane(in.arguments[0]);
    const T* b = in.argumentCount > 1 ? lane(in.arguments[1]) : a;
    // The commonest operations as plain loops, which go on vector registers.
    switch (in.op) {
    case ExprOp::add:
        for (std::size_t k = 0; k < count; ++k)
            out[k] = a[k] + b[k];
        return;
    case ExprOp::subtract:
        for (std::size_t k = 0; k < count; ++k)
            out[k] = a[k] - b[k];
        return;
    case ExprOp::multiply:
        for (std::size_t k = 0; k < count; ++k)
            out[k] = a[k] * b[k];
        return;
    case ExprOp::divide:
        for (std::size_t k = 0; k < count; ++k)
            out[k] = quotient(a[k], b[k]);
        return;
    case ExprOp::negate:
        for (std::size_t k = 0; k < count; ++k)
            out[k] = -a[k];
        return;
    case ExprOp::superformula: {
        // The six numbers are the same at every point (the compiler sees to it).
        double six[6];
        for (int k = 0; k < 6; ++k) {
            const T& number = lane(in.arguments[k + 1])[0];
            if constexpr (std::is_same_v<T, double>)
                six[k] = number;
            else
                six[k] = number.value;
        }
        const SuperformulaShape shape = superformulaShape(six);
        for (std::size_t k = 0; k < count; ++k)
            out[k] = superformulaRadiusOf(shape.coefficients, shape.derived, a[k]);
        return;
    }
    default:
        break;
    }
    const T* lanes[maxArguments];
    for (int j = 0; j < in.argumentCount; ++j)
        lanes[j] = lane(in.arguments[j]);
    T values[maxArguments];
    for (std::size_t k = 0; k < count; ++k) {
        for (int j = 0; j < in.argumentCount; ++j)
            values[j] = lanes[j][k];
        out[k] = evaluateOperation<T>(in.op, values);
    }
}

// Instructions of one kind in order; those worked out once for a whole row
// are copied across it when a per-point instruction reads them.
template <class T> void ExprGridEvaluator<T>::runAll(ExprDepends depends) {
    const bool perPoint = depends == ExprDepends::v || depends == ExprDepends::both;
    for (const ExprInstruction& in : program.instructions) {
        if (in.depends != depends)
            continue;
        run(in, perPoint ? columns : 1);
        if (!perPoint && readAcross[in.out]) {
            T* out = lane(in.out);
            std::fill(out + 1, out + columns, out[0]);
        }
    }
}

template <class T>
void ExprGridEvaluator<T>::start(double t, std::span<const double> parameters, const double* v) {
    const auto fill = [&](std::uint32_t slot, const T& value) {
        T* out = lane(slot);
        std::fill(out, out + columns, value);
    };
    fill(ExprProgram::tSlot, T(t));
    for (std::size_t k = 0; k < program.parameterCount; ++k)
        fill(ExprProgram::firstParameterSlot + std::uint32_t(k),
             T(k < parameters.size() ? parameters[k] : 0.0));
    for (std::size_t k = 0; k < program.constants.size(); ++k)
        fill(program.firstConstantSlot() + std::uint32_t(k), T(program.constants[k]));
    T* vs = lane(ExprProgram::vSlot);
    for (std::size_t k = 0; k < columns; ++k) {
        if constexpr (std::is_same_v<T, double>)
            vs[k] = v[k];
        else
            vs[k] = Jet::v(v[k]);
    }
    runAll(ExprDepends::uniform);
    runAll(ExprDepends::v);
}

template <class T> void ExprGridEvaluator<T>::row(double u) {
    T* us = lane(ExprProgram::uSlot);
    if constexpr (std::is_same_v<T, double>)
        std::fill(us, us + columns, u);
    else
        std::fill(us, us + columns, Jet::u(u));
    runAll(ExprDepends::u);
    runAll(ExprDepends::both);
}

} // namespace Vextal
