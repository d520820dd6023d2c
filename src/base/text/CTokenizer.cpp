#include "base/text/CTokenizer.h"

#include "platform/CLocale.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kv {

#define KV_KEYWORD_ENTRY(name, id) {#name, id},
const KeywordEntry KeywordTable[] = {KV_TOKENIZER_KEYWORDS(KV_KEYWORD_ENTRY){"", 0}};
#undef KV_KEYWORD_ENTRY
static_assert(sizeof(KeywordTable) / sizeof(KeywordTable[0]) == kKeywordCount + 1);

namespace {

// Character classes of the C locale, whatever locale the program runs in.
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }
bool IsBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
unsigned char Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

bool EqualIgnoringCase(const char* word, std::size_t length, const char* name)
{
    for (std::size_t i = 0; i < length; ++i) {
        if (name[i] == '\0' || Lower(static_cast<unsigned char>(word[i])) != Lower(static_cast<unsigned char>(name[i])))
            return false;
    }
    return name[length] == '\0';
}

int LookupKeyword(const char* word, std::size_t length)
{
    for (const KeywordEntry* e = KeywordTable; e->name[0] != '\0'; ++e)
        if (EqualIgnoringCase(word, length, e->name))
            return e->id;
    return kTokIdentifier;
}

int PunctuationCode(unsigned char c)
{
    switch (c) {
    case '@': return kTokAt;
    case ':': return kTokColon;
    case ',': return kTokComma;
    case '{': return kTokLeftBrace;
    case '(': return kTokLeftParen;
    case '[': return kTokLeftBracket;
    case '%': return kTokPercent;
    case '?': return kTokQuestion;
    case '}': return kTokRightBrace;
    case ')': return kTokRightParen;
    case ']': return kTokRightBracket;
    case '+': return kTokPlus;
    case '/': return kTokSlash;
    case '*': return kTokStar;
    case '-': return kTokMinus;
    default: return kTokChar;
    }
}

// The divisor of an angle unit written right after a number, or 0 when c is no unit.
double AngleUnitDivisor(unsigned char c)
{
    switch (c) {
    case 'D': case 'd': return 1.0;
    case '\'': case 'M': case 'm': return 60.0;
    case '"': case 'S': case 's': return 3600.0;
    default: return 0.0;
    }
}

// Length of the number part at p: digits, an optional point, digits, then an optional
// exponent letter, an optional minus and digits.
std::size_t NumberPartLength(const char* p)
{
    const char* q = p;
    while (IsDigit(static_cast<unsigned char>(*q)))
        ++q;
    if (*q == '.')
        ++q;
    while (IsDigit(static_cast<unsigned char>(*q)))
        ++q;
    if (*q == 'e' || *q == 'E') {
        ++q;
        if (*q == '-')
            ++q;
        while (IsDigit(static_cast<unsigned char>(*q)))
            ++q;
    }
    return static_cast<std::size_t>(q - p);
}

bool StartsNumber(const char* p)
{
    return IsDigit(static_cast<unsigned char>(p[0])) || (p[0] == '.' && IsDigit(static_cast<unsigned char>(p[1])));
}

double NumberPartValue(const char* p, std::size_t length)
{
    char buffer[CTokenizer::kMaxLineChars + 1];
    std::memcpy(buffer, p, length);
    buffer[length] = '\0';
    return StrToDoubleC(buffer, nullptr);
}

} // namespace

const char* KeywordName(int id)
{
    for (const KeywordEntry* e = KeywordTable; e->name[0] != '\0'; ++e)
        if (e->id == id)
            return e->name;
    switch (id) {
    case kTokAt: return "@";
    case kTokColon: return ":";
    case kTokComma: return ",";
    case kTokCommentEnd: return "*/";
    case kTokCommentBegin: return "/*";
    case kTokLineComment: return "//";
    case kTokLeftBrace: return "{";
    case kTokLeftParen: return "(";
    case kTokLeftBracket: return "[";
    case kTokQuestion: return "?";
    case kTokRightBrace: return "}";
    case kTokRightParen: return ")";
    case kTokRightBracket: return "]";
    case kTokPlus: return "+";
    case kTokSlash: return "/";
    case kTokStar: return "*";
    case kTokMinus:
    case kTokUnaryMinus: return "-";
    default: return "";
    }
}

CTokenizer::CTokenizer() { Reset(); }

CTokenizer::~CTokenizer()
{
    if (m_file)
        std::fclose(m_file);
}

void CTokenizer::Reset()
{
    m_symbols.clear();
    std::memset(m_text, 0, sizeof(m_text));
    m_textLength = 0;
    m_code = kTokEnd;
    m_number = 0.0;
    m_file = nullptr;
    m_lineCount = 0;
    std::memset(m_line, 0, sizeof(m_line));
    m_pos = 0;
    m_stripLineComments = false;
}

int CTokenizer::Open(const std::string& path, bool stripLineComments)
{
    if (m_file)
        return -1;
    // A directory opens as a stream on some systems but has no text to read.
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return -2;
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f)
        return -2;
    m_file = f;
    m_stripLineComments = stripLineComments;
    m_lineCount = 0;
    ReadLine();
    return 0;
}

int CTokenizer::OpenText(const std::string& text, bool stripLineComments)
{
    if (m_file)
        return -1;
    m_memoryText = text.empty() ? std::string(1, '\n') : text;
    std::FILE* f = fmemopen(m_memoryText.data(), m_memoryText.size(), "r");
    if (!f)
        return -2;
    m_file = f;
    m_stripLineComments = stripLineComments;
    m_lineCount = 0;
    ReadLine();
    return 0;
}

int CTokenizer::Close()
{
    if (!m_file)
        return -1;
    std::fclose(m_file);
    m_file = nullptr;
    Reset();
    return 0;
}

void CTokenizer::SetEndOfInput()
{
    m_code = kTokEnd;
    m_text[0] = '\0';
    m_textLength = 0;
    m_line[0] = m_line[1] = '\0';
    m_pos = 0;
}

bool CTokenizer::LoadNextFileLine()
{
    if (!m_file)
        return false;
    // One read takes at most kMaxLineChars bytes, up to and including a line feed; the rest of
    // a longer physical line is left for the next read.
    char buffer[kMaxLineChars];
    std::size_t n = 0;
    while (n < sizeof(buffer)) {
        const int c = std::getc(m_file);
        if (c == EOF)
            break;
        buffer[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    if (n == 0)
        return false;
    LoadBytes(buffer, n);
    return true;
}

const char* CTokenizer::ReadLine()
{
    if (!LoadNextFileLine()) {
        SetEndOfInput();
        return nullptr;
    }
    SkipLineEnds();
    ++m_lineCount;
    return m_line;
}

int CTokenizer::LoadLine(const char* text)
{
    const std::size_t length = text ? strnlen(text, kMaxLineChars) : 0;
    LoadBytes(text ? text : "", length);
    return m_code;
}

void CTokenizer::LoadBytes(const char* text, std::size_t length)
{
    length = std::min<std::size_t>(length, kMaxLineChars);
    std::memcpy(m_line, text, length);
    // Control characters (line ends, tabs, NUL bytes included) read as blanks.
    for (std::size_t i = 0; i < length; ++i)
        if (IsControl(static_cast<unsigned char>(m_line[i])))
            m_line[i] = ' ';
    m_line[length] = '\0';
    if (m_stripLineComments)
        if (char* comment = std::strstr(m_line, "//"))
            *comment = '\0';
    m_line[length + 1] = '\0';
    m_pos = 0;
    Scan();
}

void CTokenizer::SkipLineEnds()
{
    for (;;) {
        if (m_code == kTokEndOfLine || m_code == kTokLineComment) {
            if (!LoadNextFileLine()) {
                SetEndOfInput();
                return;
            }
            ++m_lineCount;
        } else if (m_code == kTokCommentBegin) {
            // A block comment runs, across lines, to its end mark; the token after it counts.
            while (m_code != kTokCommentEnd && m_code != kTokEnd) {
                if (Scan() == kTokEndOfLine) {
                    if (!LoadNextFileLine()) {
                        SetEndOfInput();
                        return;
                    }
                    ++m_lineCount;
                }
            }
            if (m_code == kTokCommentEnd)
                Scan();
        } else {
            return;
        }
    }
}

int CTokenizer::NextToken()
{
    SkipLineEnds();
    const int code = Scan();
    if (code == kTokEndOfLine || code == kTokCommentBegin || code == kTokLineComment)
        SkipLineEnds();
    return m_code;
}

void CTokenizer::AppendText(const char* begin, std::size_t length)
{
    const std::size_t room = kMaxTokenChars - m_textLength;
    const std::size_t n = std::min(length, room);
    std::memcpy(m_text + m_textLength, begin, n);
    m_textLength += n;
    m_text[m_textLength] = '\0';
}

int CTokenizer::Scan()
{
    m_text[0] = '\0';
    m_textLength = 0;
    m_number = 0.0;
    m_code = kTokEndOfLine;
    const char* p = m_line + m_pos;
    while (IsBlank(static_cast<unsigned char>(*p)))
        ++p;
    m_pos = static_cast<std::size_t>(p - m_line);
    const auto c = static_cast<unsigned char>(*p);
    if (c == '\0')
        return m_code;

    if (IsLetter(c) || c == '_') {
        const char* q = p;
        while (IsLetter(static_cast<unsigned char>(*q)) || IsDigit(static_cast<unsigned char>(*q)) || *q == '_')
            ++q;
        const auto length = static_cast<std::size_t>(q - p);
        AppendText(p, length);
        m_code = LookupKeyword(p, length);
        m_pos += length;
    } else if (StartsNumber(p)) {
        ScanNumber();
    } else if (c == '"' || c == '\'') {
        const char* q = p + 1;
        while (*q != '\0' && *q != static_cast<char>(c))
            ++q;
        AppendText(p + 1, static_cast<std::size_t>(q - p - 1));
        if (*q == static_cast<char>(c))
            ++q;
        m_code = kTokString;
        m_pos = static_cast<std::size_t>(q - m_line);
    } else {
        AppendText(p, 1);
        m_code = c == '.' ? kTokPoint : PunctuationCode(c);
        ++m_pos;
    }
    return m_code;
}

void CTokenizer::ScanNumber()
{
    const char* p = m_line + m_pos;
    std::size_t length = NumberPartLength(p);
    double value = NumberPartValue(p, length);
    AppendText(p, length);
    p += length;

    // Angle notation: parts followed directly by a unit add up (12d30m is 12.5). A part without
    // a unit after an angle is not part of it and starts the next token.
    double divisor = AngleUnitDivisor(static_cast<unsigned char>(*p));
    if (divisor != 0.0) {
        double sum = 0.0;
        for (;;) {
            sum += value / divisor;
            const char* unitStart = p++;
            while (IsBlank(static_cast<unsigned char>(*p)))
                ++p;
            AppendText(unitStart, static_cast<std::size_t>(p - unitStart));
            if (!StartsNumber(p))
                break;
            length = NumberPartLength(p);
            divisor = AngleUnitDivisor(static_cast<unsigned char>(p[length]));
            if (divisor == 0.0)
                break;
            value = NumberPartValue(p, length);
            AppendText(p, length);
            p += length;
        }
        value = sum;
    }
    m_number = value;
    m_code = kTokNumber;
    m_pos = static_cast<std::size_t>(p - m_line);
}

std::string CTokenizer::GetKeywordName(int id) const
{
    if (id >= kFirstUserSymbol) {
        const auto index = static_cast<std::size_t>(id - kFirstUserSymbol);
        return index < m_symbols.size() ? m_symbols[index] : std::string();
    }
    return KeywordName(id);
}

namespace {
// 0 for a user symbol id, -1 below the range, -2 above it.
int CheckSymbolId(int id) { return id < kFirstUserSymbol ? -1 : id > kLastUserSymbol ? -2 : 0; }
} // namespace

int CTokenizer::SetSymbol(int id, const std::string& text)
{
    if (const int bad = CheckSymbolId(id))
        return bad;
    const auto index = static_cast<std::size_t>(id - kFirstUserSymbol);
    if (index >= m_symbols.size())
        m_symbols.resize(index + 1);
    m_symbols[index] = text;
    return 0;
}

int CTokenizer::ClearSymbol(int id)
{
    if (const int bad = CheckSymbolId(id))
        return bad;
    const auto index = static_cast<std::size_t>(id - kFirstUserSymbol);
    if (index >= m_symbols.size())
        return -3;
    m_symbols[index].clear();
    return 0;
}

std::string QuoteTokenString(const std::string& name)
{
    std::string text = name;
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    if (text.find('"') == std::string::npos)
        return '"' + text + '"';
    if (text.find('\'') == std::string::npos)
        return '\'' + text + '\'';
    std::replace(text.begin(), text.end(), '"', '\'');
    return '"' + text + '"';
}

} // namespace kv
