// Reads the resource script in three layers: a tokenizer, a preprocessor for the directives the
// script and its header use (#include, #pragma, #define, #undef and the conditionals), and a
// parser for the resource statements. Each control statement gets the styles it implies, as
// Microsoft's resource compiler adds them.
#include "framework/ResourceScript.h"

#include <functional>
#include <memory>
#include <utility>

ResourceScriptError::ResourceScriptError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message), m_nLine(line) {}

namespace {

// Windows' names of window, dialog and control styles with their values. They stay strings:
// on Windows the names are macros.
constexpr std::pair<std::string_view, std::uint32_t> STYLE_NAMES[] = {
    {"WS_OVERLAPPED", 0x00000000},
    {"WS_POPUP", 0x80000000},
    {"WS_CHILD", 0x40000000},
    {"WS_MINIMIZE", 0x20000000},
    {"WS_VISIBLE", 0x10000000},
    {"WS_DISABLED", 0x08000000},
    {"WS_CLIPSIBLINGS", 0x04000000},
    {"WS_CLIPCHILDREN", 0x02000000},
    {"WS_MAXIMIZE", 0x01000000},
    {"WS_CAPTION", 0x00C00000},
    {"WS_BORDER", 0x00800000},
    {"WS_DLGFRAME", 0x00400000},
    {"WS_VSCROLL", 0x00200000},
    {"WS_HSCROLL", 0x00100000},
    {"WS_SYSMENU", 0x00080000},
    {"WS_THICKFRAME", 0x00040000},
    {"WS_GROUP", 0x00020000},
    {"WS_TABSTOP", 0x00010000},
    {"WS_MINIMIZEBOX", 0x00020000},
    {"WS_MAXIMIZEBOX", 0x00010000},
    {"WS_EX_DLGMODALFRAME", 0x00000001},
    {"WS_EX_NOPARENTNOTIFY", 0x00000004},
    {"WS_EX_TOPMOST", 0x00000008},
    {"WS_EX_ACCEPTFILES", 0x00000010},
    {"WS_EX_TRANSPARENT", 0x00000020},
    {"WS_EX_TOOLWINDOW", 0x00000080},
    {"WS_EX_WINDOWEDGE", 0x00000100},
    {"WS_EX_CLIENTEDGE", 0x00000200},
    {"WS_EX_CONTEXTHELP", 0x00000400},
    {"WS_EX_RIGHT", 0x00001000},
    {"WS_EX_RTLREADING", 0x00002000},
    {"WS_EX_LEFTSCROLLBAR", 0x00004000},
    {"WS_EX_CONTROLPARENT", 0x00010000},
    {"WS_EX_STATICEDGE", 0x00020000},
    {"WS_EX_APPWINDOW", 0x00040000},
    {"DS_ABSALIGN", 0x0001},
    {"DS_SYSMODAL", 0x0002},
    {"DS_3DLOOK", 0x0004},
    {"DS_FIXEDSYS", 0x0008},
    {"DS_NOFAILCREATE", 0x0010},
    {"DS_LOCALEDIT", 0x0020},
    {"DS_SETFONT", 0x0040},
    {"DS_MODALFRAME", 0x0080},
    {"DS_NOIDLEMSG", 0x0100},
    {"DS_SETFOREGROUND", 0x0200},
    {"DS_CONTROL", 0x0400},
    {"DS_CENTER", 0x0800},
    {"DS_CENTERMOUSE", 0x1000},
    {"DS_CONTEXTHELP", 0x2000},
    {"DS_SHELLFONT", 0x0048},
    {"BS_PUSHBUTTON", 0x0000},
    {"BS_DEFPUSHBUTTON", 0x0001},
    {"BS_CHECKBOX", 0x0002},
    {"BS_AUTOCHECKBOX", 0x0003},
    {"BS_RADIOBUTTON", 0x0004},
    {"BS_3STATE", 0x0005},
    {"BS_AUTO3STATE", 0x0006},
    {"BS_GROUPBOX", 0x0007},
    {"BS_USERBUTTON", 0x0008},
    {"BS_AUTORADIOBUTTON", 0x0009},
    {"BS_OWNERDRAW", 0x000B},
    {"BS_LEFTTEXT", 0x0020},
    {"BS_TEXT", 0x0000},
    {"BS_ICON", 0x0040},
    {"BS_BITMAP", 0x0080},
    {"BS_LEFT", 0x0100},
    {"BS_RIGHT", 0x0200},
    {"BS_CENTER", 0x0300},
    {"BS_TOP", 0x0400},
    {"BS_BOTTOM", 0x0800},
    {"BS_VCENTER", 0x0C00},
    {"BS_PUSHLIKE", 0x1000},
    {"BS_MULTILINE", 0x2000},
    {"BS_NOTIFY", 0x4000},
    {"BS_FLAT", 0x8000},
    {"SS_LEFT", 0x0000},
    {"SS_CENTER", 0x0001},
    {"SS_RIGHT", 0x0002},
    {"SS_ICON", 0x0003},
    {"SS_BLACKRECT", 0x0004},
    {"SS_GRAYRECT", 0x0005},
    {"SS_WHITERECT", 0x0006},
    {"SS_BLACKFRAME", 0x0007},
    {"SS_GRAYFRAME", 0x0008},
    {"SS_WHITEFRAME", 0x0009},
    {"SS_SIMPLE", 0x000B},
    {"SS_LEFTNOWORDWRAP", 0x000C},
    {"SS_OWNERDRAW", 0x000D},
    {"SS_BITMAP", 0x000E},
    {"SS_ETCHEDHORZ", 0x0010},
    {"SS_ETCHEDVERT", 0x0011},
    {"SS_ETCHEDFRAME", 0x0012},
    {"SS_NOPREFIX", 0x0080},
    {"SS_NOTIFY", 0x0100},
    {"SS_CENTERIMAGE", 0x0200},
    {"SS_RIGHTJUST", 0x0400},
    {"SS_REALSIZEIMAGE", 0x0800},
    {"SS_SUNKEN", 0x1000},
    {"SS_ENDELLIPSIS", 0x4000},
    {"SS_PATHELLIPSIS", 0x8000},
    {"SS_WORDELLIPSIS", 0xC000},
    {"CBS_SIMPLE", 0x0001},
    {"CBS_DROPDOWN", 0x0002},
    {"CBS_DROPDOWNLIST", 0x0003},
    {"CBS_OWNERDRAWFIXED", 0x0010},
    {"CBS_OWNERDRAWVARIABLE", 0x0020},
    {"CBS_AUTOHSCROLL", 0x0040},
    {"CBS_OEMCONVERT", 0x0080},
    {"CBS_SORT", 0x0100},
    {"CBS_HASSTRINGS", 0x0200},
    {"CBS_NOINTEGRALHEIGHT", 0x0400},
    {"CBS_DISABLENOSCROLL", 0x0800},
    {"CBS_UPPERCASE", 0x2000},
    {"CBS_LOWERCASE", 0x4000},
    {"ES_LEFT", 0x0000},
    {"ES_CENTER", 0x0001},
    {"ES_RIGHT", 0x0002},
    {"ES_MULTILINE", 0x0004},
    {"ES_UPPERCASE", 0x0008},
    {"ES_LOWERCASE", 0x0010},
    {"ES_PASSWORD", 0x0020},
    {"ES_AUTOVSCROLL", 0x0040},
    {"ES_AUTOHSCROLL", 0x0080},
    {"ES_NOHIDESEL", 0x0100},
    {"ES_OEMCONVERT", 0x0400},
    {"ES_READONLY", 0x0800},
    {"ES_WANTRETURN", 0x1000},
    {"ES_NUMBER", 0x2000},
};

std::optional<std::uint32_t> FindStyle(std::string_view name) {
    for (const auto& [styleName, value] : STYLE_NAMES)
        if (styleName == name) return value;
    return std::nullopt;
}

// The value of a style name, for the implied styles below; an unknown name does not compile.
consteval std::uint32_t Style(std::string_view name) {
    for (const auto& [styleName, value] : STYLE_NAMES)
        if (styleName == name) return value;
    throw std::logic_error("no such style name");
}

constexpr std::uint32_t CHILD_AND_VISIBLE = Style("WS_CHILD") | Style("WS_VISIBLE");
constexpr std::uint32_t COMBO_TYPE_MASK = 0x3;  // CBS_SIMPLE, CBS_DROPDOWN or CBS_DROPDOWNLIST

// The control statements: their class and the styles they imply besides child and visible,
// always and when the statement names no styles of its own.
enum class Operands { TextIdRect, IdRect, IconIdPosition, Control };

struct ControlStatement {
    std::string_view name;
    std::string_view windowClass;
    Operands operands;
    std::uint32_t impliedStyle;
    std::uint32_t impliedWithoutStyle;
};

constexpr ControlStatement CONTROL_STATEMENTS[] = {
    {"DEFPUSHBUTTON", "Button", Operands::TextIdRect,
     Style("BS_DEFPUSHBUTTON") | Style("WS_TABSTOP"), 0},
    {"PUSHBUTTON", "Button", Operands::TextIdRect, Style("BS_PUSHBUTTON") | Style("WS_TABSTOP"), 0},
    {"GROUPBOX", "Button", Operands::TextIdRect, Style("BS_GROUPBOX"), 0},
    {"LTEXT", "Static", Operands::TextIdRect, Style("SS_LEFT") | Style("WS_GROUP"), 0},
    {"ICON", "Static", Operands::IconIdPosition, Style("SS_ICON"), 0},
    {"COMBOBOX", "ComboBox", Operands::IdRect, 0, Style("CBS_SIMPLE") | Style("WS_TABSTOP")},
    {"CONTROL", "", Operands::Control, 0, 0},
};

// The predefined window classes, spelled as Windows spells them.
constexpr std::string_view WINDOW_CLASSES[] = {"Button",  "Edit",      "Static",
                                               "ListBox", "ScrollBar", "ComboBox"};

constexpr std::uint32_t DEFAULT_DIALOG_STYLE =
    Style("WS_POPUP") | Style("WS_BORDER") | Style("WS_SYSMENU");

constexpr int MAX_NESTING = 32;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        char x = a[k], y = b[k];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

enum class TokenKind { Name, Number, String, Symbol, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;  // the name, the symbol, or the string with its escapes resolved
    std::int64_t number = 0;
    int line = 0;
};

std::string Describe(const Token& token) {
    switch (token.kind) {
        case TokenKind::End:
            return "the end of the script";
        case TokenKind::String:
            return "the string \"" + token.text + "\"";
        default:
            return "'" + token.text + "'";
    }
}

// Splits text into tokens, skipping blanks and comments, and tells the preprocessor where a line
// begins with '#'.
class Lexer {
  public:
    Lexer(std::string_view text, int firstLine) : m_text(text), m_line(firstLine) {
        if (m_text.starts_with("\xEF\xBB\xBF")) m_pos = 3;
    }

    // Skips blanks and comments; true when what follows is a directive ('#' first on its line).
    bool SkipBlanks() {
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            if (c == '\n') {
                ++m_line;
                ++m_pos;
                m_lineStart = true;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++m_pos;
            } else if (m_text.substr(m_pos).starts_with("//")) {
                while (m_pos < m_text.size() && m_text[m_pos] != '\n') ++m_pos;
            } else if (m_text.substr(m_pos).starts_with("/*")) {
                SkipBlockComment();
            } else {
                return c == '#' && m_lineStart;
            }
        }
        return false;
    }

    bool AtEnd() const { return m_pos >= m_text.size(); }
    int Line() const { return m_line; }
    // At the end: the last line of the text, not the empty one after its final line break.
    int LastLine() const { return m_text.ends_with('\n') && m_line > 1 ? m_line - 1 : m_line; }

    // The rest of the current line, which is consumed up to its line break.
    std::string_view TakeRestOfLine() {
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos) end = m_text.size();
        std::string_view rest = m_text.substr(m_pos, end - m_pos);
        m_pos = end;
        if (rest.ends_with('\r')) rest.remove_suffix(1);
        return rest;
    }

    // The next token; call after SkipBlanks.
    Token Read() {
        m_lineStart = false;
        Token token;
        token.line = m_line;
        if (AtEnd()) return token;
        char c = m_text[m_pos];
        if (IsNameStart(c)) {
            std::size_t start = m_pos;
            while (m_pos < m_text.size() && IsNameChar(m_text[m_pos])) ++m_pos;
            token.kind = TokenKind::Name;
            token.text = m_text.substr(start, m_pos - start);
        } else if (IsDigit(c)) {
            ReadNumber(token);
        } else if (c == '"') {
            ReadString(token);
        } else if (m_text.substr(m_pos).starts_with("&&") ||
                   m_text.substr(m_pos).starts_with("||")) {
            token.kind = TokenKind::Symbol;
            token.text = m_text.substr(m_pos, 2);
            m_pos += 2;
        } else if (std::string_view(",|(){}-+~!&").find(c) != std::string_view::npos) {
            token.kind = TokenKind::Symbol;
            token.text = std::string(1, c);
            ++m_pos;
        } else {
            throw ResourceScriptError(m_line, "unexpected character " + DescribeCharacter(c));
        }
        return token;
    }

  private:
    static std::string DescribeCharacter(char c) {
        if (c > ' ' && c < 0x7F) return std::string("'") + c + "'";
        static constexpr char HEX[] = "0123456789ABCDEF";
        unsigned byte = static_cast<unsigned char>(c);
        return std::string("0x") + HEX[byte >> 4] + HEX[byte & 0xF];
    }

    void SkipBlockComment() {
        int startLine = m_line;
        m_pos += 2;
        while (!m_text.substr(m_pos).starts_with("*/")) {
            if (AtEnd()) throw ResourceScriptError(startLine, "comment not closed with */");
            if (m_text[m_pos] == '\n') {
                ++m_line;
                m_lineStart = true;
            }
            ++m_pos;
        }
        m_pos += 2;
    }

    // Decimal or 0x hexadecimal, optionally followed by the suffixes L and U.
    void ReadNumber(Token& token) {
        std::size_t start = m_pos;
        bool hex = m_text.substr(m_pos).starts_with("0x") || m_text.substr(m_pos).starts_with("0X");
        if (hex) m_pos += 2;
        std::size_t digits = m_pos;
        std::uint64_t value = 0;
        bool tooLarge = false;
        while (m_pos < m_text.size() &&
               (hex ? IsHexDigit(m_text[m_pos]) : IsDigit(m_text[m_pos]))) {
            char d = m_text[m_pos++];
            unsigned digit = IsDigit(d) ? d - '0' : (d | 0x20) - 'a' + 10;
            value = value * (hex ? 16 : 10) + digit;
            tooLarge = tooLarge || value > 0xFFFFFFFFu;
        }
        while (m_pos < m_text.size() &&
               std::string_view("lLuU").find(m_text[m_pos]) != std::string_view::npos)
            ++m_pos;
        bool bad = m_pos == digits || (m_pos < m_text.size() && IsNameChar(m_text[m_pos]));
        while (m_pos < m_text.size() && IsNameChar(m_text[m_pos])) ++m_pos;
        std::string written(m_text.substr(start, m_pos - start));
        if (bad) throw ResourceScriptError(m_line, "bad number '" + written + "'");
        if (tooLarge) throw ResourceScriptError(m_line, "number " + written + " exceeds 32 bits");
        token.kind = TokenKind::Number;
        token.text = written;
        token.number = static_cast<std::int64_t>(value);
    }

    // A quoted string: "" stands for one quote; escapes \r \n \t \\ and \".
    void ReadString(Token& token) {
        int startLine = m_line;
        ++m_pos;
        token.kind = TokenKind::String;
        for (;;) {
            if (AtEnd() || m_text[m_pos] == '\n' || m_text[m_pos] == '\r')
                throw ResourceScriptError(startLine, "string not closed on its line");
            char c = m_text[m_pos++];
            if (c == '"') {
                if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                    token.text += '"';
                    ++m_pos;
                    continue;
                }
                return;
            }
            if (c != '\\') {
                token.text += c;
                continue;
            }
            char escaped = m_pos < m_text.size() ? m_text[m_pos++] : '\0';
            switch (escaped) {
                case 'r':
                    token.text += '\r';
                    break;
                case 'n':
                    token.text += '\n';
                    break;
                case 't':
                    token.text += '\t';
                    break;
                case '\\':
                case '"':
                    token.text += escaped;
                    break;
                default:
                    throw ResourceScriptError(
                        m_line, "unknown escape \\" + std::string(1, escaped) + " in a string");
            }
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line;
    bool m_lineStart = true;
};

// A #define: its number, or nothing when the macro has no numeric value.
using Macros = std::map<std::string, std::optional<std::int64_t>, std::less<>>;

// Reads tokens from a source with one token of lookahead.
class TokenReader {
  public:
    explicit TokenReader(std::function<Token()> source) : m_source(std::move(source)) {}

    const Token& Peek() {
        if (!m_peeked) {
            m_next = m_source();
            m_peeked = true;
        }
        return m_next;
    }

    Token Take() {
        Peek();
        m_peeked = false;
        return std::move(m_next);
    }

    bool PeekSymbol(std::string_view symbol) {
        return Peek().kind == TokenKind::Symbol && Peek().text == symbol;
    }

    bool PeekKeyword(std::string_view keyword) {
        return Peek().kind == TokenKind::Name && EqualsIgnoringCase(Peek().text, keyword);
    }

    bool TakeSymbol(std::string_view symbol) {
        if (!PeekSymbol(symbol)) return false;
        Take();
        return true;
    }

    bool TakeKeyword(std::string_view keyword) {
        if (!PeekKeyword(keyword)) return false;
        Take();
        return true;
    }

    void ExpectSymbol(std::string_view symbol, std::string_view where) {
        if (!TakeSymbol(symbol))
            throw ResourceScriptError(Peek().line, "expected '" + std::string(symbol) + "' " +
                                                       std::string(where) + ", found " +
                                                       Describe(Peek()));
    }

    std::string ExpectString(std::string_view what) {
        if (Peek().kind != TokenKind::String)
            throw ResourceScriptError(Peek().line, "expected " + std::string(what) +
                                                       " in quotes, found " + Describe(Peek()));
        return Take().text;
    }

  private:
    std::function<Token()> m_source;
    Token m_next;
    bool m_peeked = false;
};

// Integer expressions with C's operators | & + - ~ and parentheses, over numbers and names. In
// preprocessor conditions also ! && || and defined; an unknown name there counts as 0.
class Evaluator {
  public:
    enum class Context { Number, Style, Condition };

    Evaluator(TokenReader& in, const Macros& macros, Context context)
        : m_in(in), m_macros(macros), m_context(context) {}

    // A value in 32 bits; negative numbers come out as their two's complement.
    std::int64_t Evaluate() {
        return (m_context == Context::Condition ? LogicalOr() : BitOr()) & 0xFFFFFFFF;
    }

    // A term of a style expression, after '|' or at its start: no '|' of its own.
    std::int64_t Term() { return BitAnd() & 0xFFFFFFFF; }

  private:
    std::int64_t LogicalOr() {
        std::int64_t value = LogicalAnd();
        while (m_in.TakeSymbol("||")) value = (LogicalAnd() != 0) || (value != 0);
        return value;
    }

    std::int64_t LogicalAnd() {
        std::int64_t value = BitOr();
        while (m_in.TakeSymbol("&&")) value = (BitOr() != 0) && (value != 0);
        return value;
    }

    std::int64_t BitOr() {
        std::int64_t value = BitAnd();
        while (m_in.TakeSymbol("|")) value |= BitAnd();
        return value;
    }

    std::int64_t BitAnd() {
        std::int64_t value = Additive();
        while (m_in.TakeSymbol("&")) value &= Additive();
        return value;
    }

    std::int64_t Additive() {
        std::int64_t value = Unary();
        for (;;) {
            if (m_in.TakeSymbol("+"))
                value += Unary();
            else if (m_in.TakeSymbol("-"))
                value -= Unary();
            else
                return value;
        }
    }

    std::int64_t Unary() {
        if (++m_depth > MAX_NESTING)
            throw ResourceScriptError(m_in.Peek().line, "expression nested too deeply");
        std::int64_t value = UnaryOperand();
        --m_depth;
        return value & 0xFFFFFFFF;
    }

    std::int64_t UnaryOperand() {
        if (m_in.TakeSymbol("-")) return -Unary();
        if (m_in.TakeSymbol("~")) return ~Unary();
        if (m_context == Context::Condition && m_in.TakeSymbol("!")) return Unary() == 0;
        if (m_in.TakeSymbol("(")) {
            std::int64_t value = m_context == Context::Condition ? LogicalOr() : BitOr();
            m_in.ExpectSymbol(")", "to close the parenthesis");
            return value;
        }
        Token token = m_in.Take();
        if (token.kind == TokenKind::Number) return token.number;
        if (token.kind != TokenKind::Name)
            throw ResourceScriptError(token.line, "expected a number, found " + Describe(token));
        if (m_context == Context::Condition && token.text == "defined") return Defined();
        if (EqualsIgnoringCase(token.text, "NOT"))
            throw ResourceScriptError(token.line, "NOT is only allowed in styles");
        return NameValue(token);
    }

    std::int64_t Defined() {
        bool parenthesis = m_in.TakeSymbol("(");
        Token name = m_in.Take();
        if (name.kind != TokenKind::Name)
            throw ResourceScriptError(name.line, "expected a name after defined");
        if (parenthesis) m_in.ExpectSymbol(")", "after defined(" + name.text);
        return m_macros.contains(name.text);
    }

    std::int64_t NameValue(const Token& token) {
        auto macro = m_macros.find(token.text);
        if (macro != m_macros.end()) {
            if (macro->second) return *macro->second;
            if (m_context == Context::Condition) return 0;
            throw ResourceScriptError(token.line, "'" + token.text + "' is not a number");
        }
        if (std::optional<std::uint32_t> style = FindStyle(token.text)) return *style;
        if (m_context == Context::Condition) return 0;
        throw ResourceScriptError(
            token.line, (m_context == Context::Style ? "unknown style name '" : "unknown name '") +
                            token.text + "'");
    }

    TokenReader& m_in;
    const Macros& m_macros;
    Context m_context;
    int m_depth = 0;
};

std::vector<Token> TokenizeLine(std::string_view text, int line) {
    Lexer lexer(text, line);
    std::vector<Token> tokens;
    for (;;) {
        lexer.SkipBlanks();
        Token token = lexer.Read();
        if (token.kind == TokenKind::End) return tokens;
        tokens.push_back(std::move(token));
    }
}

TokenReader ReaderOf(std::vector<Token> tokens, int line) {
    auto next = std::make_shared<std::size_t>(0);
    auto all = std::make_shared<std::vector<Token>>(std::move(tokens));
    return TokenReader([next, all, line]() {
        if (*next < all->size()) return (*all)[(*next)++];
        Token end;
        end.line = line;
        return end;
    });
}

// Hands out the tokens of the lines that the conditionals keep, after carrying out the
// directives. A quoted #include stands for the header given with the script: its macros become
// known from there on. Angle-bracket includes are the platform's headers and are skipped.
class Preprocessor {
  public:
    Preprocessor(std::string_view text, Macros& macros, const Macros* header)
        : m_lexer(text, 1), m_macros(macros), m_header(header) {}

    Token Next() {
        for (;;) {
            bool directive = m_lexer.SkipBlanks();
            if (m_lexer.AtEnd()) {
                if (!m_conditions.empty())
                    throw ResourceScriptError(m_conditions.back().line,
                                              "conditional not closed with #endif");
                Token end;
                end.line = m_lexer.LastLine();
                return end;
            }
            if (directive) {
                Directive();
            } else if (!Active()) {
                m_lexer.TakeRestOfLine();
            } else {
                return m_lexer.Read();
            }
        }
    }

  private:
    struct Branch {
        int line;
        bool parentActive;
        bool active;
        bool taken;  // one branch has been chosen
        bool sawElse;
    };

    bool Active() const { return m_conditions.empty() || m_conditions.back().active; }

    void Directive() {
        int line = m_lexer.Line();
        std::string_view text = m_lexer.TakeRestOfLine().substr(1);
        std::size_t start = text.find_first_not_of(" \t");
        if (start == std::string_view::npos) return;  // a lone '#' does nothing
        std::size_t end = start;
        while (end < text.size() && IsNameChar(text[end])) ++end;
        std::string name(text.substr(start, end - start));
        std::string_view rest = text.substr(end);

        if (name == "if" || name == "ifdef" || name == "ifndef") {
            bool active = Active() && Holds(name, rest, line);
            m_conditions.push_back({line, Active(), active, active, false});
        } else if (name == "elif" || name == "else" || name == "endif") {
            Continue(name, rest, line);
        } else if (!Active()) {
            return;
        } else if (name == "define") {
            Define(rest, line);
        } else if (name == "undef") {
            m_macros.erase(SingleName(rest, line, "#undef"));
        } else if (name == "include") {
            Include(rest, line);
        } else if (name == "pragma") {
            Pragma(rest, line);
        } else {
            throw ResourceScriptError(line, "unknown directive #" + name);
        }
    }

    bool Holds(const std::string& name, std::string_view rest, int line) {
        if (name == "if") return Test(rest, line);
        bool defined = m_macros.contains(SingleName(rest, line, "#" + name));
        return name == "ifdef" ? defined : !defined;
    }

    void Continue(const std::string& name, std::string_view rest, int line) {
        if (m_conditions.empty()) throw ResourceScriptError(line, "#" + name + " without #if");
        Branch& top = m_conditions.back();
        if (name == "endif") {
            m_conditions.pop_back();
            return;
        }
        if (top.sawElse) throw ResourceScriptError(line, "#" + name + " after #else");
        if (name == "else") {
            top.sawElse = true;
            top.active = top.parentActive && !top.taken;
        } else {
            top.active = top.parentActive && !top.taken && Test(rest, line);
        }
        top.taken = top.taken || top.active;
    }

    bool Test(std::string_view text, int line) {
        TokenReader in = ReaderOf(TokenizeLine(text, line), line);
        if (in.Peek().kind == TokenKind::End)
            throw ResourceScriptError(line, "#if or #elif without a condition");
        std::int64_t value = Evaluator(in, m_macros, Evaluator::Context::Condition).Evaluate();
        if (in.Peek().kind != TokenKind::End)
            throw ResourceScriptError(line,
                                      "unexpected " + Describe(in.Peek()) + " in a condition");
        return value != 0;
    }

    static std::string SingleName(std::string_view text, int line, const std::string& directive) {
        std::vector<Token> tokens = TokenizeLine(text, line);
        if (tokens.size() != 1 || tokens[0].kind != TokenKind::Name)
            throw ResourceScriptError(line, directive + " needs one name");
        return tokens[0].text;
    }

    // A macro whose value is a number expression gets that number; other values (none, text,
    // parameters) only make the name defined.
    void Define(std::string_view text, int line) {
        std::size_t start = text.find_first_not_of(" \t");
        std::size_t end = start;
        while (end < text.size() && IsNameChar(text[end])) ++end;
        if (start == std::string_view::npos || end == start || !IsNameStart(text[start]))
            throw ResourceScriptError(line, "#define needs a name");
        std::string name(text.substr(start, end - start));
        bool parameters = end < text.size() && text[end] == '(';
        std::vector<Token> tokens =
            parameters ? std::vector<Token>{} : TokenizeLine(text.substr(end), line);
        m_macros[name] = parameters ? std::nullopt : NumberOf(std::move(tokens), line);
    }

    std::optional<std::int64_t> NumberOf(std::vector<Token> tokens, int line) const {
        if (tokens.empty()) return std::nullopt;
        TokenReader in = ReaderOf(std::move(tokens), line);
        try {
            std::int64_t value = Evaluator(in, m_macros, Evaluator::Context::Number).Evaluate();
            if (in.Peek().kind == TokenKind::End) return value;
        } catch (const ResourceScriptError&) {
            // Text that is no number expression, such as a string or a name of the platform's.
        }
        return std::nullopt;
    }

    void Include(std::string_view text, int line) {
        std::size_t start = text.find_first_not_of(" \t");
        if (start != std::string_view::npos && text[start] == '<') {
            if (text.find('>', start) == std::string_view::npos)
                throw ResourceScriptError(line, "#include <...> not closed");
            return;
        }
        std::vector<Token> tokens = TokenizeLine(text, line);
        if (tokens.size() != 1 || tokens[0].kind != TokenKind::String)
            throw ResourceScriptError(line, "#include needs a \"file\" or a <file>");
        if (!m_header)
            throw ResourceScriptError(line, "the header cannot include " + tokens[0].text);
        for (const auto& [name, value] : *m_header) m_macros[name] = value;
    }

    // #pragma code_page must name UTF-8, in which the texts are kept; other pragmas do nothing.
    static void Pragma(std::string_view text, int line) {
        std::vector<Token> tokens = TokenizeLine(text, line);
        if (tokens.empty() || tokens[0].kind != TokenKind::Name || tokens[0].text != "code_page")
            return;
        if (tokens.size() != 4 || tokens[1].text != "(" || tokens[2].kind != TokenKind::Number ||
            tokens[3].text != ")")
            throw ResourceScriptError(line, "#pragma code_page needs a number in parentheses");
        if (tokens[2].number != 65001)
            throw ResourceScriptError(line, "code page " + tokens[2].text +
                                                " is not read; the script must be UTF-8 (65001)");
    }

    Lexer m_lexer;
    Macros& m_macros;
    const Macros* m_header;
    std::vector<Branch> m_conditions;
};

Macros ReadHeader(std::string_view header) {
    Macros macros;
    Preprocessor preprocessor(header, macros, nullptr);
    Token token = preprocessor.Next();
    if (token.kind != TokenKind::End)
        throw ResourceScriptError(
            token.line, "the header holds only preprocessor lines, found " + Describe(token));
    return macros;
}

// A style expression: terms joined by '|', each optionally preceded by NOT. NOT removes its
// styles from the result, including the styles that the statement implies.
struct StyleMasks {
    std::uint32_t set = 0;
    std::uint32_t removed = 0;

    std::uint32_t Apply(std::uint32_t implied) const { return (implied | set) & ~removed; }
};

class Parser {
  public:
    Parser(std::string_view script, std::string_view header)
        : m_header(ReadHeader(header)),
          m_preprocessor(script, m_macros, &m_header),
          m_in([this]() { return m_preprocessor.Next(); }) {}

    ResourceScript Parse() {
        while (m_in.Peek().kind != TokenKind::End) Statement();
        return std::move(m_result);
    }

  private:
    void Statement() {
        if (m_in.TakeKeyword("LANGUAGE")) {
            m_language = Language();
        } else if (m_in.TakeKeyword("STRINGTABLE")) {
            StringTable();
        } else {
            Resource();
        }
    }

    std::uint16_t Language() {
        int line = m_in.Peek().line;
        std::int64_t primary = Number();
        m_in.ExpectSymbol(",", "between language and sub-language");
        std::int64_t sub = Number();
        if (primary < 0 || primary > 0x3FF || sub < 0 || sub > 0x3F)
            throw ResourceScriptError(line, "language out of range");
        return static_cast<std::uint16_t>(primary | sub << 10);
    }

    void Resource() {
        Token name = m_in.Take();
        const Token& type = m_in.Peek();
        bool knownType =
            type.kind == TokenKind::Name &&
            (EqualsIgnoringCase(type.text, "DIALOG") || EqualsIgnoringCase(type.text, "DIALOGEX") ||
             EqualsIgnoringCase(type.text, "ICON") || EqualsIgnoringCase(type.text, "VERSIONINFO"));
        if (name.kind == TokenKind::Name && !m_macros.contains(name.text) && !knownType)
            throw ResourceScriptError(name.line, "unknown statement '" + name.text + "'");
        if (name.kind != TokenKind::Number && name.kind != TokenKind::Name)
            throw ResourceScriptError(name.line, "expected a statement, found " + Describe(name));
        if (!knownType)
            throw ResourceScriptError(
                type.line, "expected DIALOG, DIALOGEX, ICON or VERSIONINFO after " + name.text +
                               ", found " + Describe(type));
        int id = ResourceNumber(name);
        Token keyword = m_in.Take();
        if (EqualsIgnoringCase(keyword.text, "DIALOG"))
            Dialog(id, false, keyword.line);
        else if (EqualsIgnoringCase(keyword.text, "DIALOGEX"))
            Dialog(id, true, keyword.line);
        else if (EqualsIgnoringCase(keyword.text, "ICON"))
            Icon(id, keyword.line);
        else
            Version(id, keyword.line);
    }

    int ResourceNumber(const Token& name) {
        std::int64_t value = name.number;
        if (name.kind == TokenKind::Name) {
            auto macro = m_macros.find(name.text);
            if (macro == m_macros.end() || !macro->second)
                throw ResourceScriptError(
                    name.line, "resource name '" + name.text + "' is not a #defined number");
            value = *macro->second;
        }
        if (value < 1 || value > 0xFFFF)
            throw ResourceScriptError(
                name.line, "resource number " + name.text + " is not between 1 and 65535");
        return static_cast<int>(value);
    }

    std::int64_t Number() {
        return Evaluator(m_in, m_macros, Evaluator::Context::Number).Evaluate();
    }

    int Coordinate() {
        int line = m_in.Peek().line;
        std::int64_t value = Number();
        if (value & 0x80000000) value -= 0x100000000;  // written negative
        if (value < -32768 || value > 32767)
            throw ResourceScriptError(line, "coordinate out of range");
        return static_cast<int>(value);
    }

    StyleMasks Styles() {
        StyleMasks masks;
        Evaluator evaluator(m_in, m_macros, Evaluator::Context::Style);
        do {
            if (m_in.TakeKeyword("NOT"))
                masks.removed |= static_cast<std::uint32_t>(evaluator.Term());
            else
                masks.set |= static_cast<std::uint32_t>(evaluator.Term());
        } while (m_in.TakeSymbol("|"));
        return masks;
    }

    bool TakeBegin() { return m_in.TakeKeyword("BEGIN") || m_in.TakeSymbol("{"); }
    bool TakeEnd() { return m_in.TakeKeyword("END") || m_in.TakeSymbol("}"); }

    void ExpectBegin(const std::string& what) {
        if (!TakeBegin())
            throw ResourceScriptError(
                m_in.Peek().line, "expected BEGIN of " + what + ", found " + Describe(m_in.Peek()));
    }

    // True at the END of a block; a script that ends first is missing its END.
    bool AtEnd(const std::string& what, int beginLine) {
        if (m_in.Peek().kind == TokenKind::End)
            throw ResourceScriptError(
                m_in.Peek().line,
                "missing END of " + what + " begun on line " + std::to_string(beginLine));
        return TakeEnd();
    }

    void Dialog(int id, bool extended, int line) {
        std::string what = "dialog " + std::to_string(id);
        if (m_result.dialogs.contains(id))
            throw ResourceScriptError(line, what + " is defined twice");
        DialogTemplate dialog;
        dialog.id = id;
        dialog.extended = extended;
        dialog.language = m_language;
        dialog.x = Coordinate();
        m_in.ExpectSymbol(",", "after the dialog's x");
        dialog.y = Coordinate();
        m_in.ExpectSymbol(",", "after the dialog's y");
        dialog.cx = Coordinate();
        m_in.ExpectSymbol(",", "after the dialog's width");
        dialog.cy = Coordinate();

        std::optional<StyleMasks> style;
        StyleMasks exStyle;
        std::uint32_t implied = 0;
        int beginLine = m_in.Peek().line;
        while (!TakeBegin()) {
            Token option = m_in.Take();
            if (option.kind == TokenKind::End)
                throw ResourceScriptError(option.line,
                                          "script ends before the controls of " + what);
            std::string keyword = option.kind == TokenKind::Name ? option.text : "";
            if (EqualsIgnoringCase(keyword, "STYLE")) {
                style = Styles();
            } else if (EqualsIgnoringCase(keyword, "EXSTYLE")) {
                exStyle = Styles();
            } else if (EqualsIgnoringCase(keyword, "CAPTION")) {
                dialog.caption = m_in.ExpectString("the caption");
                implied |= Style("WS_CAPTION");
            } else if (EqualsIgnoringCase(keyword, "FONT")) {
                Font(dialog);
                implied |= Style("DS_SETFONT");
            } else if (EqualsIgnoringCase(keyword, "LANGUAGE")) {
                dialog.language = Language();
            } else {
                throw ResourceScriptError(
                    option.line, "unknown dialog statement " + Describe(option) + " in " + what);
            }
            beginLine = m_in.Peek().line;
        }
        dialog.style = (style ? style->set : DEFAULT_DIALOG_STYLE) | implied;
        if (style) dialog.style &= ~style->removed;
        dialog.exStyle = exStyle.Apply(0);

        while (!AtEnd(what, beginLine)) dialog.controls.push_back(Control());
        m_result.dialogs[id] = std::move(dialog);
    }

    void Font(DialogTemplate& dialog) {
        int line = m_in.Peek().line;
        std::int64_t point = Number();
        if (point < 1 || point > 0xFFFF) throw ResourceScriptError(line, "bad font size");
        dialog.fontPoint = static_cast<int>(point);
        m_in.ExpectSymbol(",", "after the font size");
        dialog.fontFace = m_in.ExpectString("the font face");
        if (!dialog.extended) return;
        if (!m_in.TakeSymbol(",")) return;
        dialog.fontWeight = static_cast<int>(Number());
        if (!m_in.TakeSymbol(",")) return;
        dialog.fontItalic = Number() != 0;
        if (!m_in.TakeSymbol(",")) return;
        dialog.fontCharset = static_cast<int>(Number());
    }

    ControlTemplate Control() {
        Token keyword = m_in.Take();
        const ControlStatement* statement = nullptr;
        for (const ControlStatement& candidate : CONTROL_STATEMENTS)
            if (keyword.kind == TokenKind::Name && EqualsIgnoringCase(keyword.text, candidate.name))
                statement = &candidate;
        if (!statement)
            throw ResourceScriptError(keyword.line,
                                      "unknown control statement " + Describe(keyword));

        ControlTemplate control;
        control.statement = statement->name;
        control.windowClass = statement->windowClass;
        Operands operands = statement->operands;
        if (operands == Operands::TextIdRect)
            control.text = m_in.ExpectString("the control's text");
        else if (operands != Operands::IdRect)
            control.text = TextOrNumber();
        if (operands != Operands::IdRect) m_in.ExpectSymbol(",", "after the control's text");
        control.id = ControlId();

        std::optional<StyleMasks> style;
        StyleMasks exStyle;
        if (operands == Operands::Control) {
            m_in.ExpectSymbol(",", "after the control's id");
            control.windowClass = WindowClass();
            m_in.ExpectSymbol(",", "after the control's class");
            style = Styles();
        }
        m_in.ExpectSymbol(",", "before the control's x");
        control.x = Coordinate();
        m_in.ExpectSymbol(",", "after the control's x");
        control.y = Coordinate();
        bool size = operands != Operands::IconIdPosition || m_in.TakeSymbol(",");
        if (size) {
            if (operands != Operands::IconIdPosition)
                m_in.ExpectSymbol(",", "after the control's y");
            control.cx = Coordinate();
            m_in.ExpectSymbol(",", "after the control's width");
            control.cy = Coordinate();
        }
        if (size && m_in.TakeSymbol(",")) {
            if (operands == Operands::Control)
                exStyle = Styles();
            else
                style = Styles();
            if (operands != Operands::Control && m_in.TakeSymbol(",")) exStyle = Styles();
        }

        std::uint32_t implied = CHILD_AND_VISIBLE | statement->impliedStyle;
        if (!style) implied |= statement->impliedWithoutStyle;
        if (statement->name == "COMBOBOX" && style && (style->set & COMBO_TYPE_MASK) == 0)
            implied |= Style("CBS_SIMPLE");
        control.style = style ? style->Apply(implied) : implied;
        control.exStyle = exStyle.Apply(0);
        return control;
    }

    // The text of an ICON or CONTROL statement: a string, or a resource number or name.
    std::string TextOrNumber() {
        const Token& next = m_in.Peek();
        if (next.kind == TokenKind::String) return m_in.Take().text;
        if (next.kind == TokenKind::Name && !m_macros.contains(next.text) && !FindStyle(next.text))
            return m_in.Take().text;
        return std::to_string(Number());
    }

    int ControlId() {
        int line = m_in.Peek().line;
        std::int64_t value = Number();
        if (value == 0xFFFFFFFF) return -1;
        if (value > 0xFFFF) throw ResourceScriptError(line, "control id out of range");
        return static_cast<int>(value);
    }

    std::string WindowClass() {
        Token name = m_in.Take();
        if (name.kind != TokenKind::String && name.kind != TokenKind::Name)
            throw ResourceScriptError(name.line,
                                      "expected the control's class, found " + Describe(name));
        for (std::string_view known : WINDOW_CLASSES)
            if (EqualsIgnoringCase(known, name.text)) return std::string(known);
        return name.text;
    }

    void StringTable() {
        int beginLine = m_in.Peek().line;
        ExpectBegin("the string table");
        while (!AtEnd("the string table", beginLine)) {
            int line = m_in.Peek().line;
            std::int64_t id = Number();
            if (id < 0 || id > 0xFFFF) throw ResourceScriptError(line, "string id out of range");
            m_in.TakeSymbol(",");
            std::string text = m_in.ExpectString("the string");
            if (!m_result.strings.emplace(static_cast<int>(id), std::move(text)).second)
                throw ResourceScriptError(line,
                                          "string " + std::to_string(id) + " is defined twice");
        }
    }

    void Icon(int id, int line) {
        std::string file = m_in.ExpectString("the icon's file name");
        if (!m_result.iconFiles.emplace(id, std::move(file)).second)
            throw ResourceScriptError(line, "icon " + std::to_string(id) + " is defined twice");
    }

    void Version(int id, int line) {
        if (m_result.version) throw ResourceScriptError(line, "a second VERSIONINFO");
        VersionInfo version;
        version.id = id;
        int beginLine = m_in.Peek().line;
        while (!TakeBegin()) {
            Token option = m_in.Take();
            if (option.kind == TokenKind::End)
                throw ResourceScriptError(option.line, "script ends before BEGIN of VERSIONINFO");
            std::string keyword = option.kind == TokenKind::Name ? option.text : "";
            if (EqualsIgnoringCase(keyword, "FILEVERSION"))
                version.fileVersion = VersionNumber();
            else if (EqualsIgnoringCase(keyword, "PRODUCTVERSION"))
                version.productVersion = VersionNumber();
            else if (EqualsIgnoringCase(keyword, "FILEFLAGSMASK"))
                version.fileFlagsMask = static_cast<std::uint32_t>(Number());
            else if (EqualsIgnoringCase(keyword, "FILEFLAGS"))
                version.fileFlags = static_cast<std::uint32_t>(Number());
            else if (EqualsIgnoringCase(keyword, "FILEOS"))
                version.fileOS = static_cast<std::uint32_t>(Number());
            else if (EqualsIgnoringCase(keyword, "FILETYPE"))
                version.fileType = static_cast<std::uint32_t>(Number());
            else if (EqualsIgnoringCase(keyword, "FILESUBTYPE"))
                version.fileSubtype = static_cast<std::uint32_t>(Number());
            else
                throw ResourceScriptError(option.line,
                                          "unknown VERSIONINFO statement " + Describe(option));
            beginLine = m_in.Peek().line;
        }
        VersionBlock(version, {}, beginLine);
        m_result.version = std::move(version);
    }

    // Up to four numbers separated by commas.
    std::array<std::uint16_t, 4> VersionNumber() {
        std::array<std::uint16_t, 4> parts{};
        std::size_t count = 0;
        do {
            int line = m_in.Peek().line;
            std::int64_t part = Number();
            if (count == parts.size() || part < 0 || part > 0xFFFF)
                throw ResourceScriptError(line, "a version is up to four numbers up to 65535");
            parts[count++] = static_cast<std::uint16_t>(part);
        } while (m_in.TakeSymbol(","));
        return parts;
    }

    // The body of a block, after its BEGIN: nested BLOCKs and VALUEs. The values kept are the
    // strings of the block inside "StringFileInfo" and "Translation" inside "VarFileInfo".
    void VersionBlock(VersionInfo& version, const std::vector<std::string>& path, int beginLine) {
        if (path.size() > 2)
            throw ResourceScriptError(beginLine, "version blocks nested too deeply");
        std::string what = path.empty() ? "VERSIONINFO" : "block \"" + path.back() + "\"";
        while (!AtEnd(what, beginLine)) {
            int line = m_in.Peek().line;
            if (m_in.TakeKeyword("BLOCK")) {
                std::vector<std::string> inner = path;
                inner.push_back(m_in.ExpectString("the block's name"));
                if (inner.size() == 2 && inner[0] == "StringFileInfo") {
                    if (!version.stringBlock.empty())
                        throw ResourceScriptError(line, "a second string block");
                    version.stringBlock = inner[1];
                }
                int innerBegin = m_in.Peek().line;
                ExpectBegin(std::string("block \"") + inner.back() + "\"");
                VersionBlock(version, inner, innerBegin);
            } else if (m_in.TakeKeyword("VALUE")) {
                VersionValue(version, path);
            } else {
                throw ResourceScriptError(line, "expected BLOCK, VALUE or END in " + what +
                                                    ", found " + Describe(m_in.Peek()));
            }
        }
    }

    void VersionValue(VersionInfo& version, const std::vector<std::string>& path) {
        std::string name = m_in.ExpectString("the value's name");
        std::string text;
        std::vector<std::uint32_t> numbers;
        while (m_in.TakeSymbol(",")) {
            if (m_in.Peek().kind == TokenKind::String)
                text += m_in.Take().text;
            else
                numbers.push_back(static_cast<std::uint32_t>(Number()));
        }
        if (path.size() == 2 && path[0] == "StringFileInfo") version.strings[name] = text;
        if (path.size() == 1 && path[0] == "VarFileInfo" && name == "Translation")
            version.translation = numbers;
    }

    Macros m_header;
    Macros m_macros;
    Preprocessor m_preprocessor;
    TokenReader m_in;
    std::uint16_t m_language = 0;
    ResourceScript m_result;
};

}  // namespace

ResourceScript ResourceScript::Parse(std::string_view script, std::string_view header) {
    return Parser(script, header).Parse();
}
