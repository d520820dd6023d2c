#include "base/text/CExpression.h"

#include "base/text/CTokenizer.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

thread_local int t_expressionError = 0;

struct FunctionEntry {
    int id;
    int operandCount;
};
constexpr FunctionEntry kFunctions[] = {{kw::az, 0}, {kw::el, 0}, {kw::Bias, 2}};

double Divide(double a, double b)
{
    if (std::fabs(b) >= 1e-7)
        return a / b;
    // A divisor this small never divides: 0 for 0 / 0 and n / 0, else the sign of the quotient.
    if (a == 0.0 || b == 0.0)
        return 0.0;
    return (a > 0.0) == (b > 0.0) ? 1e20 : -1e20;
}

} // namespace

// Recursive descent over the tokenizer; every failure returns null and the partial tree is
// freed on the way out.
class ExpressionParser {
public:
    ExpressionParser(CTokenizer& t, int options) : m_t(t), m_options(options) {}

    // sum = term { (+|-) term }, grouped from the left.
    ExpressionPtr Sum() { return Chain(kTokPlus, kTokMinus, &ExpressionParser::Term); }

private:
    // term = primary { (*|/) primary }, grouped from the left.
    ExpressionPtr Term() { return Chain(kTokStar, kTokSlash, &ExpressionParser::Primary); }

    ExpressionPtr Chain(int op1, int op2, ExpressionPtr (ExpressionParser::*operand)())
    {
        ExpressionPtr left = (this->*operand)();
        while (left && (m_t.GetToken() == op1 || m_t.GetToken() == op2)) {
            const int op = m_t.GetToken();
            m_t.NextToken();
            ExpressionPtr right = (this->*operand)();
            if (!right)
                return nullptr;
            left = Checked(CExpression::MakeBinary(op, std::move(left), std::move(right)));
        }
        return left;
    }

    ExpressionPtr Primary()
    {
        struct Nesting {
            int& depth;
            explicit Nesting(int& d) : depth(++d) {}
            ~Nesting() { --depth; }
        } nesting(m_depth);
        if (m_depth > CExpression::kMaxDepth)
            return nullptr;

        const int code = m_t.GetToken();
        switch (code) {
        case kTokNumber: {
            ExpressionPtr c = CExpression::MakeConstant(m_t.GetNumber());
            m_t.NextToken();
            return c;
        }
        case kTokLeftParen: {
            m_t.NextToken();
            ExpressionPtr inner = Sum();
            if (inner && m_t.GetToken() == kTokRightParen)
                m_t.NextToken(); // a missing ')' is accepted
            return inner;
        }
        case kTokPlus:
            m_t.NextToken();
            return Primary();
        case kTokMinus: {
            m_t.NextToken();
            ExpressionPtr operand = Primary();
            if (!operand)
                return nullptr;
            return Checked(CExpression::MakeUnary(kTokUnaryMinus, std::move(operand)));
        }
        case kTokIdentifier:
            return Variable();
        default:
            return Function(code);
        }
    }

    // x, y or r (any case) when the brush variables are allowed; else no expression.
    ExpressionPtr Variable()
    {
        if (!(m_options & CExpression::kBrushVariables))
            return nullptr;
        const char* text = m_t.GetTokenText();
        if (text[0] == '\0' || text[1] != '\0')
            return nullptr;
        int id = 0;
        switch (text[0]) {
        case 'x': case 'X': id = CExpression::kVariableX; break;
        case 'y': case 'Y': id = CExpression::kVariableY; break;
        case 'r': case 'R': id = CExpression::kVariableR; break;
        default: return nullptr;
        }
        m_t.NextToken();
        return CExpression::MakeFunction(id);
    }

    ExpressionPtr Function(int id)
    {
        int remaining = CExpression::FunctionOperandCount(id);
        if (remaining < 0)
            return nullptr;
        ExpressionPtr node = CExpression::MakeFunction(id);
        m_t.NextToken();
        if (remaining == 0)
            return node;
        if (m_t.GetToken() != kTokLeftParen)
            return nullptr;
        m_t.NextToken();
        for (;;) {
            ExpressionPtr operand = Sum();
            if (!operand || !node->AddOperand(std::move(operand)))
                return nullptr;
            if (m_t.GetToken() == kTokComma) {
                m_t.NextToken();
                --remaining;
            }
            const int code = m_t.GetToken();
            if (remaining == 0 || code == kTokEnd || code == kTokEndOfLine || code == kTokRightParen)
                break;
        }
        if (m_t.GetToken() == kTokRightParen)
            m_t.NextToken();
        return Checked(std::move(node));
    }

    // Folds a new node (its operands were folded when they were made) and refuses trees taller
    // than the evaluator will recurse.
    static ExpressionPtr Checked(ExpressionPtr node)
    {
        node->FoldNode();
        if (node->Height() > CExpression::kMaxDepth)
            return nullptr;
        return node;
    }

    CTokenizer& m_t;
    int m_options = 0;
    int m_depth = 0;
};

ExpressionPtr CExpression::MakeConstant(double value)
{
    ExpressionPtr e = std::make_unique<CExpression>();
    e->m_value = value;
    return e;
}

ExpressionPtr CExpression::MakeBinary(int op, ExpressionPtr left, ExpressionPtr right)
{
    ExpressionPtr e = MakeFunction(op);
    e->AddOperand(std::move(left));
    e->AddOperand(std::move(right));
    return e;
}

ExpressionPtr CExpression::MakeUnary(int op, ExpressionPtr operand)
{
    ExpressionPtr e = MakeFunction(op);
    e->AddOperand(std::move(operand));
    return e;
}

ExpressionPtr CExpression::MakeFunction(int id)
{
    ExpressionPtr e = std::make_unique<CExpression>();
    e->m_kind = kOperatorNode;
    e->m_operator = id;
    return e;
}

bool CExpression::AddOperand(ExpressionPtr operand)
{
    if (!operand || m_operands.size() >= kMaxOperands)
        return false;
    m_height = std::max(m_height, operand->m_height + 1);
    m_operands.push_back(std::move(operand));
    return true;
}

void CExpression::Fold()
{
    for (const ExpressionPtr& operand : m_operands)
        operand->Fold();
    FoldNode();
}

void CExpression::FoldNode()
{
    if (m_kind == kConstantNode) {
        m_constant = true;
        return;
    }
    if (m_kind != kOperatorNode || m_operands.empty())
        return;
    for (const ExpressionPtr& operand : m_operands)
        if (operand->m_kind != kConstantNode)
            return;
    m_value = Evaluate();
    m_kind = kConstantNode;
    m_constant = true;
    m_height = 1;
    m_operands.clear();
}

int CExpression::FunctionOperandCount(int id)
{
    for (const FunctionEntry& f : kFunctions)
        if (f.id == id)
            return f.operandCount;
    return -1;
}

double CExpression::Apply(int op, const double* v, const ExpressionContext& c)
{
    switch (op) {
    case kTokPlus: return v[0] + v[1];
    case kTokMinus: return v[0] - v[1];
    case kTokStar: return v[0] * v[1];
    case kTokSlash: return Divide(v[0], v[1]);
    case kTokUnaryMinus: return -v[0];
    case kw::az: return std::atan2(c.y, c.x);
    case kw::el: return std::atan2(c.z, std::sqrt(c.x * c.x + c.y * c.y));
    case kw::Bias: return std::pow(v[0], std::log(v[1]) / std::log(0.5));
    case kVariableX: return c.x;
    case kVariableY: return c.y;
    case kVariableR: return std::sqrt(c.x * c.x + c.y * c.y);
    default: return 0.0;
    }
}

double CExpression::Evaluate() const { return Evaluate(ExpressionContext{}); }

double CExpression::Evaluate(const ExpressionContext& context) const
{
    if (m_kind == kConstantNode)
        return m_value;
    if (m_kind != kOperatorNode)
        return 0.0;
    double values[kMaxOperands] = {};
    for (std::size_t i = 0; i < m_operands.size(); ++i)
        values[i] = m_operands[i]->Evaluate(context);
    return Apply(m_operator, values, context);
}

double CExpression::EvaluateAt(int flag, double x, double y, double z) const
{
    return Evaluate(ExpressionContext{x, y, z, flag});
}

ExpressionPtr CExpression::Parse(CTokenizer& tokenizer, int options)
{
    tokenizer.SkipLineEnds();
    ExpressionPtr tree = ExpressionParser(tokenizer, options).Sum();
    tokenizer.SkipLineEnds();
    if (tree)
        tree->Fold();
    return tree;
}

ExpressionPtr CExpression::ParseString(const char* text, int options)
{
    CTokenizer tokenizer;
    tokenizer.LoadLine(text);
    return Parse(tokenizer, options);
}

namespace {

double ValueOf(const ExpressionPtr& tree)
{
    t_expressionError = tree ? 0 : 1;
    if (!tree || !tree->IsConstant())
        return kExpressionFailed;
    return tree->GetValue();
}

int IntValueOf(const ExpressionPtr& tree)
{
    const double v = ValueOf(tree);
    if (!tree || std::isnan(v) || v >= 2147483647.0)
        return kExpressionIntFailed;
    if (v <= -2147483647.0)
        return -2147483647;
    return static_cast<int>(v);
}

} // namespace

double ReadExpressionDouble(CTokenizer& tokenizer) { return ValueOf(CExpression::Parse(tokenizer)); }
int ReadExpressionInt(CTokenizer& tokenizer) { return IntValueOf(CExpression::Parse(tokenizer)); }
double EvaluateStringDouble(const char* text) { return ValueOf(CExpression::ParseString(text)); }
int EvaluateStringInt(const char* text) { return IntValueOf(CExpression::ParseString(text)); }
int ExpressionError() { return t_expressionError; }

std::string EscapeText(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\'' || c == '\\') {
            out += '\\';
            out += ch;
        } else if ((c >= 0x20 && c < 0x7F) || c == '\t') {
            out += ch;
        } else {
            out += '\\';
            out += 'x';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

} // namespace kv
