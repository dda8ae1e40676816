#pragma once

#include <string>

namespace Vextal {

// Why an expression was refused: where (line and column of the scene text,
// both from 1, the column counted in bytes), the token found there (empty at
// the end of the expression) and what is wrong, for a person.
struct ExpressionError {
    int line = 0;
    int column = 0;
    std::string token;
    std::string message;
};

} // namespace Vextal
