// The lexer of every text settings file (world parameters, colour lists, lighting, projection
// composites, lat/lon grids, colour-to-altitude lists, remap curves, brush definitions).
//
// It reads a text file line by line, or a single string (LoadLine), and turns it into tokens:
// keywords of the one program-wide keyword table (matched ignoring case, returned as ids),
// numbers (with degree / minute / second suffixes), quoted strings and punctuation. Writers
// spell keywords with KeywordName / GetKeywordName, so what they write reads back here.
// Numbers in files are read as expressions through the tokenizer (world/CExpression.h).
//
// Limits: a line keeps at most kMaxLineChars characters (longer physical lines arrive as
// several lines); a token's text keeps at most kMaxTokenChars characters (the rest of a longer
// token is consumed but not kept). NUL bytes and other control characters read as blanks.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace kv {

// Token codes (the current code after each scan).
enum TokenCode : int {
    kTokEnd = 0,          // end of the file, or of the string being parsed
    kTokEndOfLine = 1,
    kTokChar = 2,         // any other single character; the text is that character
    kTokIdentifier = 3,   // a word that is not in the keyword table; the text as written
    kTokNumber = 4,       // GetNumber() is its value; the text as written, unit letters included
    kTokString = 6,       // quoted with " or '; the text is the contents without the quotes
    kTokAt = 7,           // @
    kTokColon = 9,        // :
    kTokComma = 10,       // ,
    kTokCommentEnd = 11,  // reserved for "*/"; never scanned
    kTokCommentBegin = 12,// reserved for "/*"; never scanned
    kTokLineComment = 13, // reserved for "//"; never scanned
    kTokLeftBrace = 14,   // {
    kTokLeftParen = 15,   // (
    kTokLeftBracket = 16, // [
    kTokPercent = 17,     // %
    kTokPoint = 18,       // . not followed by a digit
    kTokQuestion = 19,    // ?
    kTokRightBrace = 20,  // }
    kTokRightParen = 21,  // )
    kTokRightBracket = 22,// ]
    kTokPlus = 23,        // +
    kTokSlash = 24,       // /
    kTokStar = 25,        // *
    kTokMinus = 26,       // -
    kTokUnaryMinus = 28,  // reserved for the expression evaluator's negation; spelled "-"
    kFirstUserSymbol = 2048,
    kLastUserSymbol = 65535,
};

// The keyword table, in search order: X(name, id). The name is the spelling in files.
#define KV_TOKENIZER_KEYWORDS(X)                                                                          \
    X(az, 60) X(el, 61) X(Data, 84) X(Type, 88) X(ColorList, 100) X(Mode, 101) X(Gamma, 102)              \
    X(ColorListEnd, 103) X(LightParms, 104) X(BitDepth, 105) X(Colors, 106) X(Levels, 107)                \
    X(Ambient, 108) X(AltMode, 109) X(AltColor, 110) X(SeaColor, 111) X(SeaLevel, 112)                    \
    X(SeaLowest, 113) X(SeaFloat, 115) X(SeaEqual, 114) X(SeaSatMin, 116) X(SeaSatMax, 117)               \
    X(SeaOpacity, 118) X(LandOpacity, 119) X(Corner, 120) X(VertExag, 121) X(Unit, 122)                   \
    X(AbsColor, 123) X(AbsMax, 124) X(AbsMin, 125) X(LatColor, 126) X(IceNorth, 127)                      \
    X(IceSouth, 128) X(IceColor, 129) X(IceOpacity, 130) X(FbmStrength, 131) X(FbmParms, 132)             \
    X(BlendLat, 188) X(BlendAlt, 189) X(BlendSlope, 190) X(BlendFacing, 191) X(BlendLatVal, 133)          \
    X(BlendAltVal, 134) X(BlendSlopeVal, 135) X(BlendFacingVal, 136) X(BlendFacingNDir, 137)              \
    X(BlendFacingNVal, 138) X(BlendFacingSDir, 139) X(BlendFacingSVal, 140) X(FacingRelate, 141)          \
    X(NorthColor, 142) X(SouthColor, 143) X(SlopeColor, 144) X(LightParmsEnd, 145)                        \
    X(TemperatureList, 192) X(RainfallList, 193) X(ClimateList, 194) X(GaiaStrength, 195)                 \
    X(GaiaLandColorList, 196) X(GaiaSeaColorList, 197) X(GaiaParms, 198) X(FracParms, 146)                \
    X(Seed, 147) X(Func, 148) X(Plasma, 149) X(Procedural, 150) X(Position, 151) X(Range, 152)            \
    X(Bounds, 153) X(FracParmsEnd, 154) X(World, 155) X(WorldEnd, 156) X(Name, 157) X(WorldNum, 158)      \
    X(Abyss, 159) X(Peak, 160) X(LandSize, 161) X(SeaPercent, 162) X(ShelfPercent, 163) X(Simple, 164)    \
    X(Axis, 165) X(Misc, 199) X(Contour, 167) X(CData, 168) X(Bitmap, 169) X(Climate, 166)                \
    X(Projection, 170) X(Segment, 171) X(Offset, 172) X(Effective, 173) X(Extent, 174) X(Scale, 81)      \
    X(Exclude, 175) X(Rotate, 176) X(Description, 177) X(EndSegment, 178) X(EndProjection, 179)          \
    X(NoCache, 180) X(Grid, 181) X(EndGrid, 182) X(RectGrid, 183) X(EndRectGrid, 184) X(Color, 185)       \
    X(EndList, 186) X(End, 187) X(SCurve, 47) X(Brush, 86) X(Value, 87) X(Bias, 33) X(Lo, 89) X(Hi, 90)  \
    X(Mask, 91) X(MaskExpr, 92) X(DataExpr, 93) X(AutoRotate, 95) X(AllPoints, 96) X(FileName, 94)        \
    X(Flow, 97) X(FadeSteps, 98) X(BrushEnd, 99) X(Kernel, 79) X(XSize, 64) X(YSize, 65)

// Keyword ids by name: kw::ColorList == 100, kw::az == 60.
namespace kw {
#define KV_KEYWORD_ENUM(name, id) name = id,
enum Keyword : int { KV_TOKENIZER_KEYWORDS(KV_KEYWORD_ENUM) };
#undef KV_KEYWORD_ENUM
} // namespace kw

struct KeywordEntry {
    const char* name;
    int id;
};
// The table in search order, ended by an entry with an empty name and id 0.
extern const KeywordEntry KeywordTable[];
constexpr int kKeywordCount = 123;

// The spelling of a keyword id (the first table entry with it) or of a punctuation code;
// the empty text for any other id. User symbols need the tokenizer: GetKeywordName.
const char* KeywordName(int id);

// A text as one quoted string token that reads back whole (the lexer knows no escapes): a
// text holding a double quote is put in apostrophes, or (when it holds both) has its double
// quotes turned into apostrophes; control characters (a line break would split the line)
// become blanks.
std::string QuoteTokenString(const std::string& text);

class CTokenizer {
public:
    static constexpr int kMaxTokenChars = 2047;
    static constexpr int kMaxLineChars = 4094;

    CTokenizer();
    virtual ~CTokenizer();
    CTokenizer(const CTokenizer&) = delete;
    CTokenizer& operator=(const CTokenizer&) = delete;

    // Opens a text file; the current token becomes its first token (kTokEnd when it has none).
    // 0, -1 when a file is already open (it stays open), -2 when it cannot be opened.
    // With stripLineComments every line is cut at its first "//".
    int Open(const std::string& path, bool stripLineComments);
    // The same over a text held in memory (the tokenizer keeps its own copy): 0, -1 when a
    // file is already open, -2 when the text cannot be opened as a stream.
    int OpenText(const std::string& text, bool stripLineComments);
    // -1 when no file is open; else closes it, resets every state (user symbols included), 0.
    int Close();
    bool IsOpen() const { return m_file != nullptr; }

    // Reads the next physical line and moves to the first token of the next non-empty line.
    // Null (and token kTokEnd) at the end of the file or without a file; else the line buffer.
    const char* ReadLine();
    // Makes text the current line (no file needed) and scans its first token; returns its code.
    int LoadLine(const char* text);
    // Moves to the next token, crossing line ends; returns its code.
    int NextToken();
    // While the current token is an end of line, moves to the first token of the next line.
    void SkipLineEnds();

    int GetToken() const { return m_code; }
    const char* GetTokenText() const { return m_text; }
    double GetNumber() const { return m_number; }
    // Physical lines read since Open.
    int GetLineCount() const { return m_lineCount; }

    // KeywordName, or for ids from kFirstUserSymbol the user symbol (empty when unset).
    std::string GetKeywordName(int id) const;

    // User symbols: ids kFirstUserSymbol..kLastUserSymbol name texts.
    // SetSymbol: 0, -1 below the range, -2 above it. ClearSymbol: also -3 when never set.
    int SetSymbol(int id, const std::string& text);
    int ClearSymbol(int id);
    void ClearSymbols() { m_symbols.clear(); }

private:
    void Reset();
    // Reads one physical line into the line buffer; false at the end of the file or without one.
    bool LoadNextFileLine();
    void LoadBytes(const char* text, std::size_t length);
    void SetEndOfInput();
    int Scan();
    void ScanNumber();
    void AppendText(const char* begin, std::size_t length);

    std::vector<std::string> m_symbols;
    char m_text[kMaxTokenChars + 1];
    std::size_t m_textLength = 0;
    int m_code = kTokEnd;
    double m_number = 0.0;
    std::FILE* m_file = nullptr;
    std::string m_memoryText; // what OpenText reads from
    int m_lineCount = 0;
    char m_line[kMaxLineChars + 2];
    std::size_t m_pos = 0;
    bool m_stripLineComments = false;
};

} // namespace kv
