// Arithmetic expressions of the settings files and brush definitions.
//
// Wherever a settings file holds a number, its reader hands the tokenizer to
// ReadExpressionDouble / ReadExpressionInt, so "2*(3+4)" reads as 14. Brushes parse their mask
// and data expressions once (CExpression::ParseString) and evaluate them at every kernel cell
// with the cell's position as the variables x, y, z, passed in an ExpressionContext: a parsed
// tree is never changed by evaluation, so several threads may evaluate one tree at once.
//
// Grammar: sum = term { (+|-) term }; term = primary { (*|/) primary }; operators of equal
// precedence group from the left (8-2-1 is 5). primary = number | ( sum [)] | + primary |
// - primary | function; functions: az, el (no operands), Bias(a, b). Brush expressions
// (ParseString with kBrushVariables) also know the variables x, y and r = sqrt(x² + y²);
// settings files never do, so a number there cannot name them.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace kv {

class CTokenizer;

// What the read operations return for a failed parse, or for an expression that is not
// constant (it uses the variables through az or el).
constexpr double kExpressionFailed = 1e20;
constexpr int kExpressionIntFailed = 2147483647;

// The variables of one evaluation.
struct ExpressionContext {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    int flag = 0; // the caller's evaluation flag, set for the duration of EvaluateAt
};

class CExpression;
using ExpressionPtr = std::unique_ptr<CExpression>;

// One node of an expression tree; a node owns its operands.
class CExpression {
public:
    static constexpr int kOperatorNode = 1;
    static constexpr int kConstantNode = 2;
    static constexpr std::size_t kMaxOperands = 10;
    // Deeper nesting or taller trees than this fail the parse (instead of exhausting the stack).
    static constexpr int kMaxDepth = 256;
    // Operator ids of the brush variables (no token or keyword has a negative id).
    static constexpr int kVariableX = -1;
    static constexpr int kVariableY = -2;
    static constexpr int kVariableR = -3;
    // Parse option: the identifiers x, y and r are the brush variables.
    static constexpr int kBrushVariables = 1;

    // A constant 0 without operands.
    CExpression() = default;
    virtual ~CExpression() = default;
    CExpression(const CExpression&) = delete;
    CExpression& operator=(const CExpression&) = delete;

    // Node makers. op and id are token codes or keyword ids of the tokenizer.
    static ExpressionPtr MakeConstant(double value);
    static ExpressionPtr MakeBinary(int op, ExpressionPtr left, ExpressionPtr right);
    static ExpressionPtr MakeUnary(int op, ExpressionPtr operand);
    static ExpressionPtr MakeFunction(int id);
    // Appends an operand; false (and the operand is dropped) when the node holds kMaxOperands.
    bool AddOperand(ExpressionPtr operand);

    // Parses one expression from the tokenizer's current token on (crossing line ends) and folds
    // its constant parts; null when the text is no expression. The tokenizer is left at the
    // first token after the expression.
    static ExpressionPtr Parse(CTokenizer& tokenizer, int options = 0);
    // Parses text as one line.
    static ExpressionPtr ParseString(const char* text, int options = 0);

    // The value with all variables 0.
    double Evaluate() const;
    double Evaluate(const ExpressionContext& context) const;
    double EvaluateAt(int flag, double x, double y, double z) const;

    int GetKind() const { return m_kind; }
    bool IsConstant() const { return m_constant; }
    int GetOperator() const { return m_operator; }
    std::size_t GetOperandCount() const { return m_operands.size(); }
    const CExpression* GetOperand(std::size_t i) const { return m_operands[i].get(); }
    // The value of a constant node.
    double GetValue() const { return m_value; }

    // The operator or function id applied to operand values (missing operands count as 0).
    static double Apply(int op, const double* operands, const ExpressionContext& context);
    // The number of operands of a function id, or -1 when id names no function.
    static int FunctionOperandCount(int id);

private:
    friend class ExpressionParser;
    // Turns every operator node of the tree whose operands are all constant into a constant.
    void Fold();
    // The same for this node alone, its operands already folded.
    void FoldNode();
    int Height() const { return m_height; }

    int m_kind = kConstantNode;
    bool m_constant = false;
    int m_operator = 0;
    int m_height = 1;
    double m_value = 0.0;
    std::vector<ExpressionPtr> m_operands;
};

// Reads one expression from the tokenizer and returns its value: kExpressionFailed when the
// parse fails (ExpressionError() is then 1) or when it is not constant (ExpressionError() 0).
double ReadExpressionDouble(CTokenizer& tokenizer);
// As ReadExpressionDouble, truncated toward zero: kExpressionIntFailed for a failed parse or a
// value >= 2147483647 (or not a number), -2147483647 for a value <= -2147483647.
int ReadExpressionInt(CTokenizer& tokenizer);
// The same for a text of one line.
double EvaluateStringDouble(const char* text);
int EvaluateStringInt(const char* text);
// 1 when the last read on this thread failed to parse, else 0.
int ExpressionError();

// A copy of text with a backslash before each ", ' and \, printable characters and blanks kept,
// and every other byte written as \xHH (upper-case hexadecimal).
std::string EscapeText(const std::string& text);

} // namespace kv
