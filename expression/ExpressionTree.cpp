#include "expression/ExpressionTree.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <string>
#include <string_view>
#include <utility>

namespace Vextal {

namespace {

// The whole of `text` as a double; the status as std::from_chars gives it.
std::pair<double, std::errc> readNumber(std::string_view text) {
#if defined(__EMSCRIPTEN__)
    // The browser's C++ library has no double from_chars; its strtod reads
    // in the "C" locale, the only one there.
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || end != copy.c_str() + copy.size() ||
        !(std::isdigit(unsigned(copy[0])) || copy[0] == '.'))
        return {0, std::errc::invalid_argument};
    if (errno == ERANGE && std::isinf(value))
        return {0, std::errc::result_out_of_range};
    return {value, std::errc()};
#else
    double value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status == std::errc() && end != text.data() + text.size())
        return {value, std::errc::invalid_argument};
    return {value, status};
#endif
}

struct FunctionName {
    std::string_view name;
    ExprOp op;
    int arity;
};

constexpr FunctionName functions[] = {
    {"sin", ExprOp::sin, 1},     {"cos", ExprOp::cos, 1},
    {"tan", ExprOp::tan, 1},     {"asin", ExprOp::asin, 1},
    {"acos", ExprOp::acos, 1},   {"atan", ExprOp::atan, 1},
    {"atan2", ExprOp::atan2, 2}, {"sinh", ExprOp::sinh, 1},
    {"cosh", ExprOp::cosh, 1},   {"tanh", ExprOp::tanh, 1},
    {"exp", ExprOp::exp, 1},     {"log", ExprOp::log, 1},
    {"sqrt", ExprOp::sqrt, 1},   {"abs", ExprOp::abs, 1},
    {"pow", ExprOp::pow, 2},     {"min", ExprOp::min, 2},
    {"max", ExprOp::max, 2},     {"superformula", ExprOp::superformula, 7},
};

const FunctionName* findFunction(std::string_view name) {
    for (const FunctionName& f : functions)
        if (f.name == name)
            return &f;
    return nullptr;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

enum class TokenKind { end, number, name, symbol, bad };

struct Token {
    TokenKind kind = TokenKind::end;
    std::string_view text;
    std::size_t at = 0; // byte offset in the expression
};

// Splits the text into numbers, names and the symbols + - * / ^ ( ) ,;
// spaces and tabs (and a carriage return) separate them.
class Lexer {
public:
    explicit Lexer(std::string_view text) : text(text) { advance(); }
    const Token& peek() const { return current; }
    Token take() {
        Token taken = current;
        advance();
        return taken;
    }

private:
    void advance() {
        while (position < text.size() &&
               (text[position] == ' ' || text[position] == '\t' || text[position] == '\r'))
            ++position;
        current.at = position;
        if (position == text.size()) {
            current = {TokenKind::end, {}, position};
            return;
        }
        const std::size_t start = position;
        const char c = text[position];
        if (isDigit(c) || (c == '.' && position + 1 < text.size() && isDigit(text[position + 1]))) {
            while (position < text.size() && (isDigit(text[position]) || text[position] == '.'))
                ++position;
            // An exponent only when digits follow it: "2e" is the number 2 and the name e.
            if (position < text.size() && (text[position] == 'e' || text[position] == 'E')) {
                std::size_t p = position + 1;
                if (p < text.size() && (text[p] == '+' || text[p] == '-'))
                    ++p;
                if (p < text.size() && isDigit(text[p])) {
                    while (p < text.size() && isDigit(text[p]))
                        ++p;
                    position = p;
                }
            }
            current = {TokenKind::number, text.substr(start, position - start), start};
            return;
        }
        if (isLetter(c)) {
            while (position < text.size() && (isLetter(text[position]) || isDigit(text[position])))
                ++position;
            current = {TokenKind::name, text.substr(start, position - start), start};
            return;
        }
        ++position;
        const bool symbol = std::string_view("+-*/^(),").find(c) != std::string_view::npos;
        if (!symbol) {
            // A byte that starts a UTF-8 character is shown with the whole character.
            while (position < text.size() &&
                   (static_cast<unsigned char>(text[position]) & 0xC0) == 0x80 &&
                   (static_cast<unsigned char>(c) & 0x80))
                ++position;
        }
        current = {symbol ? TokenKind::symbol : TokenKind::bad,
                   text.substr(start, position - start), start};
    }

    std::string_view text;
    std::size_t position = 0;
    Token current;
};

struct Failure {};

class Parser {
public:
    Parser(std::string_view text, std::span<const std::string> parameters, ExprPlace place)
        : lexer(text), parameters(parameters), place(place) {}

    ExprParse run() {
        ExprParse out;
        try {
            expression();
            if (lexer.peek().kind != TokenKind::end)
                fail(lexer.peek(),
                     lexer.peek().kind == TokenKind::bad
                         ? "is no part of the expression language"
                         : "was not expected here: an operator or the end is missing");
            tree.line = place.line;
            out.tree = std::move(tree);
        } catch (const Failure&) {
            out.error = error;
        }
        return out;
    }

private:
    [[noreturn]] void fail(const Token& token, std::string message) {
        error.line = place.line;
        error.column = place.column + int(token.at);
        error.token = std::string(token.text);
        error.message = std::move(message);
        throw Failure{};
    }

    std::uint32_t add(ExprNode node, const Token& at) {
        if (tree.nodes.size() >= ExprLimits::maxNodes)
            fail(at, "makes the expression too long (more than 65536 operations)");
        node.column = place.column + int(at.at);
        tree.nodes.push_back(node);
        return std::uint32_t(tree.nodes.size() - 1);
    }
    std::uint32_t binary(ExprOp op, std::uint32_t a, std::uint32_t b, const Token& at) {
        ExprNode node;
        node.op = op;
        node.argumentCount = 2;
        node.arguments[0] = a;
        node.arguments[1] = b;
        return add(node, at);
    }

    // Every way down into a deeper level passes here first.
    struct Deeper {
        Parser& parser;
        Deeper(Parser& p, const Token& at) : parser(p) {
            if (++parser.depth > ExprLimits::maxDepth)
                parser.fail(at, "is nested too deeply (more than 256 levels)");
        }
        ~Deeper() { --parser.depth; }
    };

    bool isSymbol(char c) const {
        const Token& t = lexer.peek();
        return t.kind == TokenKind::symbol && t.text[0] == c;
    }

    std::uint32_t expression() {
        const Deeper deeper(*this, lexer.peek());
        std::uint32_t left = term();
        while (isSymbol('+') || isSymbol('-')) {
            const Token op = lexer.take();
            const std::uint32_t right = term();
            left = binary(op.text[0] == '+' ? ExprOp::add : ExprOp::subtract, left, right, op);
        }
        return left;
    }

    std::uint32_t term() {
        std::uint32_t left = unary();
        while (isSymbol('*') || isSymbol('/')) {
            const Token op = lexer.take();
            const std::uint32_t right = unary();
            left = binary(op.text[0] == '*' ? ExprOp::multiply : ExprOp::divide, left, right, op);
        }
        return left;
    }

    // A sign binds looser than ^: -u^2 is -(u^2).
    std::uint32_t unary() {
        if (isSymbol('-') || isSymbol('+')) {
            const Token sign = lexer.take();
            const Deeper deeper(*this, sign);
            const std::uint32_t operand = unary();
            if (sign.text[0] == '+')
                return operand;
            ExprNode node;
            node.op = ExprOp::negate;
            node.argumentCount = 1;
            node.arguments[0] = operand;
            return add(node, sign);
        }
        return power();
    }

    // ^ groups to the right: 2^3^2 is 2^9.
    std::uint32_t power() {
        const std::uint32_t base = primary();
        if (!isSymbol('^'))
            return base;
        const Token op = lexer.take();
        const Deeper deeper(*this, op);
        const std::uint32_t exponent = unary();
        return binary(ExprOp::power, base, exponent, op);
    }

    std::uint32_t primary() {
        const Token token = lexer.take();
        switch (token.kind) {
        case TokenKind::end:
            fail(token, "the expression ends where a value is missing");
        case TokenKind::bad:
            fail(token, "is no part of the expression language");
        case TokenKind::number:
            return number(token);
        case TokenKind::name:
            return name(token);
        case TokenKind::symbol:
            break;
        }
        if (token.text[0] != '(')
            fail(token, "was found where a value is missing");
        const std::uint32_t inner = expression();
        if (!isSymbol(')'))
            fail(lexer.peek(), "was found where \")\" is missing");
        lexer.take();
        return inner;
    }

    std::uint32_t number(const Token& token) {
        const auto [value, status] = readNumber(token.text);
        if (status == std::errc::result_out_of_range)
            fail(token, "is out of range");
        if (status != std::errc())
            fail(token, "is not a number");
        ExprNode node;
        node.value = value;
        return add(node, token);
    }

    std::uint32_t name(const Token& token) {
        const std::string_view text = token.text;
        if (const FunctionName* f = findFunction(text))
            return call(token, *f);
        if (isSymbol('('))
            fail(token, "is no function of the expression language");
        ExprNode node;
        if (text == "pi" || text == "e") {
            node.value = text == "pi" ? std::numbers::pi : std::numbers::e;
        } else if (text == "u" || text == "v" || text == "t") {
            node.op = text == "u" ? ExprOp::u : text == "v" ? ExprOp::v : ExprOp::t;
        } else {
            std::size_t k = 0;
            while (k < parameters.size() && parameters[k] != text)
                ++k;
            if (k == parameters.size())
                fail(token, "is not a parameter defined before this line, nor u, v, t, pi or e");
            node.op = ExprOp::parameter;
            node.index = std::uint32_t(k);
        }
        return add(node, token);
    }

    std::uint32_t call(const Token& token, const FunctionName& f) {
        if (!isSymbol('('))
            fail(token, "is a function: \"(\" must follow it");
        lexer.take();
        ExprNode node;
        node.op = f.op;
        for (;;) {
            if (node.argumentCount == f.arity)
                fail(lexer.peek(), std::string(f.name) + " takes " + std::to_string(f.arity) +
                                       (f.arity == 1 ? " argument" : " arguments"));
            node.arguments[node.argumentCount++] = expression();
            if (isSymbol(','))
                lexer.take();
            else
                break;
        }
        if (!isSymbol(')'))
            fail(lexer.peek(), "was found where \",\" or \")\" is missing");
        if (node.argumentCount != f.arity)
            fail(lexer.peek(), std::string(f.name) + " takes " + std::to_string(f.arity) +
                                   (f.arity == 1 ? " argument" : " arguments"));
        lexer.take();
        return add(node, token);
    }

    Lexer lexer;
    std::span<const std::string> parameters;
    ExprPlace place;
    ExprTree tree;
    ExpressionError error;
    int depth = 0;
};

// Binding strength, for writing an expression back with only the parentheses it needs.
int strength(const ExprNode& node) {
    switch (node.op) {
    case ExprOp::add:
    case ExprOp::subtract:
        return 1;
    case ExprOp::multiply:
    case ExprOp::divide:
        return 2;
    case ExprOp::negate:
        return 3;
    case ExprOp::power:
        return 4;
    case ExprOp::constant:
        return node.value < 0 || std::signbit(node.value) ? 3 : 5;
    default:
        return 5;
    }
}

std::string numberText(double value) {
    if (value != value)
        return "(0/0)";
    if (value == std::numeric_limits<double>::infinity())
        return "(1/0)";
    if (value == -std::numeric_limits<double>::infinity())
        return "(-1/0)";
#if defined(__EMSCRIPTEN__)
    // The browser's C++ library has no double to_chars: the fewest digits
    // that read back as the same double.
    std::array<char, 40> text;
    for (int digits = 1;; ++digits) {
        std::snprintf(text.data(), text.size(), "%.*g", digits, value);
        if (digits == 17 || std::strtod(text.data(), nullptr) == value)
            return text.data();
    }
#else
    std::array<char, 40> text;
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return std::string(text.data(), end);
#endif
}

} // namespace

bool isReservedName(std::string_view name) {
    return findFunction(name) || name == "pi" || name == "e" || name == "u" || name == "v" ||
           name == "t";
}

bool isNameOfLanguage(std::string_view name) {
    if (name.empty() || !isLetter(name[0]))
        return false;
    for (char c : name)
        if (!isLetter(c) && !isDigit(c))
            return false;
    return true;
}

ExprParse parseExpression(std::string_view text, std::span<const std::string> parameters,
                          ExprPlace place) {
    return Parser(text, parameters, place).run();
}

// Each node's text is made from its arguments' in one pass, bottom-up; every
// argument is used once, so its text is moved, and a long chain of sums grows
// one string instead of copying it at every step.
std::string expressionText(const ExprTree& tree, std::span<const std::string> parameters) {
    std::vector<std::string> texts(tree.nodes.size());
    const auto wrapped = [&](std::uint32_t k, int needed) {
        std::string& text = texts[k];
        if (strength(tree.nodes[k]) < needed)
            return "(" + std::move(text) + ")";
        return std::move(text);
    };
    for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
        const ExprNode& n = tree.nodes[i];
        const std::uint32_t* a = n.arguments;
        std::string& out = texts[i];
        switch (n.op) {
        case ExprOp::constant:
            out = numberText(n.value);
            break;
        case ExprOp::u:
            out = "u";
            break;
        case ExprOp::v:
            out = "v";
            break;
        case ExprOp::t:
            out = "t";
            break;
        case ExprOp::parameter:
            out = parameters[n.index];
            break;
        case ExprOp::add:
        case ExprOp::subtract:
            out = wrapped(a[0], 1);
            out += n.op == ExprOp::add ? " + " : " - ";
            out += wrapped(a[1], 2);
            break;
        case ExprOp::multiply:
        case ExprOp::divide:
            out = wrapped(a[0], 2);
            out += n.op == ExprOp::multiply ? " * " : " / ";
            out += wrapped(a[1], 3);
            break;
        case ExprOp::power:
            out = wrapped(a[0], 5);
            out += "^";
            out += wrapped(a[1], 3);
            break;
        case ExprOp::negate:
            out = "-" + wrapped(a[0], 4);
            break;
        default: {
            std::string_view name;
            for (const FunctionName& f : functions)
                if (f.op == n.op)
                    name = f.name;
            out = std::string(name) + "(";
            for (int k = 0; k < n.argumentCount; ++k) {
                if (k)
                    out += ", ";
                out += std::move(texts[a[k]]);
            }
            out += ")";
        }
        }
    }
    return tree.nodes.empty() ? std::string() : std::move(texts.back());
}

} // namespace Vextal
