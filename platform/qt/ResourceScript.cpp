#include "platform/qt/ResourceScript.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <string_view>

extern const unsigned char zbkResourceScript[];
extern const std::size_t zbkResourceScriptSize;

namespace win32qt {

namespace {

#define NAMED(name)                                                                                                    \
    {                                                                                                                  \
#name, static_cast < long long>(name)                                                                          \
    }

const std::map<std::string, long long, std::less<>>& namedValues()
{
    static const std::map<std::string, long long, std::less<>> values = {
        NAMED(WS_OVERLAPPED),
        NAMED(WS_POPUP),
        NAMED(WS_CHILD),
        NAMED(WS_MINIMIZE),
        NAMED(WS_VISIBLE),
        NAMED(WS_DISABLED),
        NAMED(WS_CLIPSIBLINGS),
        NAMED(WS_CLIPCHILDREN),
        NAMED(WS_MAXIMIZE),
        NAMED(WS_CAPTION),
        NAMED(WS_BORDER),
        NAMED(WS_DLGFRAME),
        NAMED(WS_VSCROLL),
        NAMED(WS_HSCROLL),
        NAMED(WS_SYSMENU),
        NAMED(WS_THICKFRAME),
        NAMED(WS_GROUP),
        NAMED(WS_TABSTOP),
        NAMED(WS_MINIMIZEBOX),
        NAMED(WS_MAXIMIZEBOX),
        NAMED(WS_EX_DLGMODALFRAME),
        NAMED(WS_EX_CLIENTEDGE),
        NAMED(WS_EX_STATICEDGE),
        NAMED(DS_3DLOOK),
        NAMED(DS_FIXEDSYS),
        NAMED(DS_SETFONT),
        NAMED(DS_MODALFRAME),
        NAMED(DS_CENTER),
        NAMED(SS_LEFT),
        NAMED(SS_CENTER),
        NAMED(SS_RIGHT),
        NAMED(SS_BLACKRECT),
        NAMED(SS_GRAYRECT),
        NAMED(SS_WHITERECT),
        NAMED(SS_BLACKFRAME),
        NAMED(SS_GRAYFRAME),
        NAMED(SS_WHITEFRAME),
        NAMED(SS_SIMPLE),
        NAMED(SS_LEFTNOWORDWRAP),
        NAMED(SS_ETCHEDFRAME),
        NAMED(SS_NOPREFIX),
        NAMED(SS_NOTIFY),
        NAMED(SS_CENTERIMAGE),
        NAMED(SS_SUNKEN),
        NAMED(BS_PUSHBUTTON),
        NAMED(BS_DEFPUSHBUTTON),
        NAMED(BS_CHECKBOX),
        NAMED(BS_AUTOCHECKBOX),
        NAMED(BS_RADIOBUTTON),
        NAMED(BS_3STATE),
        NAMED(BS_AUTO3STATE),
        NAMED(BS_GROUPBOX),
        NAMED(BS_AUTORADIOBUTTON),
        NAMED(BS_LEFTTEXT),
        NAMED(BS_LEFT),
        NAMED(BS_RIGHT),
        NAMED(BS_CENTER),
        NAMED(BS_PUSHLIKE),
        NAMED(BS_MULTILINE),
        NAMED(BS_NOTIFY),
        NAMED(ES_LEFT),
        NAMED(ES_CENTER),
        NAMED(ES_RIGHT),
        NAMED(ES_MULTILINE),
        NAMED(ES_UPPERCASE),
        NAMED(ES_LOWERCASE),
        NAMED(ES_PASSWORD),
        NAMED(ES_AUTOVSCROLL),
        NAMED(ES_AUTOHSCROLL),
        NAMED(ES_NOHIDESEL),
        NAMED(ES_READONLY),
        NAMED(ES_WANTRETURN),
        NAMED(ES_NUMBER),
        NAMED(CBS_SIMPLE),
        NAMED(CBS_DROPDOWN),
        NAMED(CBS_DROPDOWNLIST),
        NAMED(CBS_AUTOHSCROLL),
        NAMED(CBS_SORT),
        NAMED(CBS_HASSTRINGS),
        NAMED(CBS_NOINTEGRALHEIGHT),
        NAMED(CBS_DISABLENOSCROLL),
        NAMED(SBS_HORZ),
        NAMED(SBS_VERT),
        NAMED(TBS_AUTOTICKS),
        NAMED(TBS_VERT),
        NAMED(TBS_HORZ),
        NAMED(TBS_TOP),
        NAMED(TBS_BOTTOM),
        NAMED(TBS_LEFT),
        NAMED(TBS_RIGHT),
        NAMED(TBS_BOTH),
        NAMED(TBS_NOTICKS),
        NAMED(TBS_ENABLESELRANGE),
        NAMED(TBS_FIXEDLENGTH),
        NAMED(TBS_NOTHUMB),
        NAMED(IDOK),
        NAMED(IDCANCEL),
        NAMED(IDABORT),
        NAMED(IDRETRY),
        NAMED(IDIGNORE),
        NAMED(IDYES),
        NAMED(IDNO),
        {"IDC_STATIC", -1}, // from the resource compiler's own header
    };
    return values;
}

#undef NAMED

enum class TokenKind { End, Number, Name, String, Punct };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    long long number = 0;
    int line = 0;
};

class Lexer {
public:
    explicit Lexer(std::string_view source) : source_(source) {}

    Token next()
    {
        skipSpaceAndComments();
        Token token;
        token.line = line_;
        if (pos_ >= source_.size()) {
            return token;
        }
        const char c = source_[pos_];
        if (c == '"') {
            token.kind = TokenKind::String;
            token.text = readString();
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '-' && pos_ + 1 < source_.size() &&
                    std::isdigit(static_cast<unsigned char>(source_[pos_ + 1])))) {
            token.kind = TokenKind::Number;
            token.number = readNumber();
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            token.kind = TokenKind::Name;
            while (pos_ < source_.size() &&
                   (std::isalnum(static_cast<unsigned char>(source_[pos_])) || source_[pos_] == '_')) {
                token.text += source_[pos_++];
            }
        } else {
            token.kind = TokenKind::Punct;
            token.text = std::string(1, c);
            ++pos_;
        }
        return token;
    }

    // The value of a name the script defined, or of one the resource compiler knows.
    const long long* valueOf(const std::string& name) const
    {
        if (const auto found = defines_.find(name); found != defines_.end()) {
            return &found->second;
        }
        const auto& values = namedValues();
        if (const auto found = values.find(name); found != values.end()) {
            return &found->second;
        }
        return nullptr;
    }

    [[noreturn]] void fail(int line, const std::string& what) const
    {
        throw ResourceScriptError("resource script line " + std::to_string(line) + ": " + what);
    }

private:
    void skipSpaceAndComments()
    {
        while (pos_ < source_.size()) {
            const char c = source_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
                atLineStart_ = true;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (c == '#' && atLineStart_) {
                // Of the preprocessor lines only the names a header defines matter to us
                // (#include and #pragma code_page need nothing).
                const std::size_t end = std::min(source_.find('\n', pos_), source_.size());
                readDefine(source_.substr(pos_, end - pos_));
                pos_ = end;
            } else if (source_.substr(pos_, 2) == "//") {
                while (pos_ < source_.size() && source_[pos_] != '\n') {
                    ++pos_;
                }
            } else if (source_.substr(pos_, 2) == "/*") {
                const std::size_t end = source_.find("*/", pos_ + 2);
                if (end == std::string_view::npos) {
                    fail(line_, "unterminated comment");
                }
                for (std::size_t i = pos_; i < end; ++i) {
                    line_ += source_[i] == '\n' ? 1 : 0;
                }
                pos_ = end + 2;
            } else {
                atLineStart_ = false;
                return;
            }
        }
    }

    // "#define NAME NUMBER": the name stands for the number from here on.
    void readDefine(std::string_view line)
    {
        constexpr std::string_view directive = "#define";
        if (line.substr(0, directive.size()) != directive) {
            return;
        }
        std::size_t at = directive.size();
        auto skipBlanks = [&] {
            while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
                ++at;
            }
        };
        skipBlanks();
        const std::size_t nameStart = at;
        while (at < line.size() && (std::isalnum(static_cast<unsigned char>(line[at])) || line[at] == '_')) {
            ++at;
        }
        const std::string name(line.substr(nameStart, at - nameStart));
        skipBlanks();
        const std::string value(line.substr(at));
        char* end = nullptr;
        const long long number = std::strtoll(value.c_str(), &end, 0);
        if (!name.empty() && end != value.c_str()) {
            defines_[name] = number;
        }
    }

    std::string readString()
    {
        const int startLine = line_;
        std::string text;
        ++pos_;
        while (true) {
            if (pos_ >= source_.size() || source_[pos_] == '\n') {
                fail(startLine, "unterminated string");
            }
            const char c = source_[pos_++];
            if (c == '"') {
                if (pos_ < source_.size() && source_[pos_] == '"') {
                    text += '"';
                    ++pos_;
                    continue;
                }
                return text;
            }
            if (c == '\\' && pos_ < source_.size()) {
                const char escaped = source_[pos_++];
                switch (escaped) {
                case 'n': text += '\n'; break;
                case 't': text += '\t'; break;
                case 'r': text += '\r'; break;
                case 'a': text += '\b'; break;
                case '\\': text += '\\'; break;
                case '"': text += '"'; break;
                default:
                    text += '\\';
                    text += escaped;
                    break;
                }
                continue;
            }
            text += c;
        }
    }

    long long readNumber()
    {
        const char* begin = source_.data() + pos_;
        char* end = nullptr;
        const long long value = std::strtoll(begin, &end, 0);
        pos_ += static_cast<std::size_t>(end - begin);
        while (pos_ < source_.size() &&
               (source_[pos_] == 'L' || source_[pos_] == 'l' || source_[pos_] == 'U' || source_[pos_] == 'u')) {
            ++pos_;
        }
        return value;
    }

    std::string_view source_;
    std::size_t pos_ = 0;
    int line_ = 1;
    bool atLineStart_ = true;
    std::map<std::string, long long, std::less<>> defines_;
};

// Style expressions: "A | B | NOT C"; NOT takes bits away from the statement's defaults.
struct StyleBits {
    DWORD set = 0;
    DWORD cleared = 0;
    DWORD apply(DWORD defaults) const { return (defaults | set) & ~cleared; }
};

class Parser {
public:
    explicit Parser(std::string_view source) : lexer_(source) { advance(); }

    ResourceScript parse()
    {
        ResourceScript script;
        while (token_.kind != TokenKind::End) {
            if (isName("LANGUAGE")) {
                advance();
                expression();
                expect(",");
                expression();
                continue;
            }
            const int id = static_cast<int>(expression());
            if (isName("DIALOGEX") || isName("DIALOG")) {
                script.dialogs.push_back(dialog(id));
            } else if (isName("MENU")) {
                advance();
                script.menus.push_back(menu(id));
            } else {
                fail("a DIALOG, DIALOGEX or MENU statement");
            }
        }
        return script;
    }

private:
    void advance() { token_ = lexer_.next(); }
    bool isName(const char* name) const { return token_.kind == TokenKind::Name && token_.text == name; }
    bool isPunct(const char* p) const { return token_.kind == TokenKind::Punct && token_.text == p; }
    [[noreturn]] void fail(const std::string& expected) const
    {
        lexer_.fail(token_.line, "expected " + expected + ", found '" + token_.text + "'");
    }

    void expect(const char* punct)
    {
        if (!isPunct(punct)) {
            fail(std::string("'") + punct + "'");
        }
        advance();
    }

    bool accept(const char* punct)
    {
        if (isPunct(punct)) {
            advance();
            return true;
        }
        return false;
    }

    bool atBlockStart() const { return isName("BEGIN") || isPunct("{"); }
    bool atBlockEnd() const { return isName("END") || isPunct("}"); }

    void blockStart()
    {
        if (!atBlockStart()) {
            fail("BEGIN");
        }
        advance();
    }

    std::string string()
    {
        if (token_.kind != TokenKind::String) {
            fail("a string");
        }
        std::string text = token_.text;
        advance();
        return text;
    }

    long long primary()
    {
        if (token_.kind == TokenKind::Number) {
            const long long value = token_.number;
            advance();
            return value;
        }
        if (token_.kind == TokenKind::Name) {
            const long long* value = lexer_.valueOf(token_.text);
            if (value == nullptr) {
                lexer_.fail(token_.line, "unknown name '" + token_.text + "'");
            }
            const long long found = *value;
            advance();
            return found;
        }
        if (accept("(")) {
            const long long value = expression();
            expect(")");
            return value;
        }
        if (accept("-")) {
            return -primary();
        }
        fail("a number");
    }

    long long expression()
    {
        long long value = primary();
        while (isPunct("|") || isPunct("+")) {
            const bool isOr = isPunct("|");
            advance();
            const long long other = primary();
            value = isOr ? (value | other) : (value + other);
        }
        return value;
    }

    StyleBits styleBits()
    {
        StyleBits bits;
        do {
            if (isName("NOT")) {
                advance();
                bits.cleared |= static_cast<DWORD>(primary());
            } else {
                bits.set |= static_cast<DWORD>(primary());
            }
        } while (accept("|"));
        return bits;
    }

    int number() { return static_cast<int>(expression()); }

    DialogTemplate dialog(int id)
    {
        DialogTemplate result;
        result.id = id;
        advance();
        result.x = number();
        expect(",");
        result.y = number();
        expect(",");
        result.cx = number();
        expect(",");
        result.cy = number();
        if (accept(",")) {
            number(); // help id
        }
        result.style = WS_POPUP | WS_BORDER | WS_SYSMENU;
        while (!atBlockStart()) {
            if (isName("STYLE")) {
                advance();
                result.style = styleBits().apply(0);
            } else if (isName("EXSTYLE")) {
                advance();
                result.exStyle = styleBits().apply(0);
            } else if (isName("CAPTION")) {
                advance();
                result.caption = string();
                result.style |= WS_CAPTION;
            } else if (isName("MENU")) {
                advance();
                result.menuId = number();
            } else if (isName("FONT")) {
                advance();
                result.fontSize = number();
                expect(",");
                result.fontName = string();
                while (accept(",")) {
                    number(); // weight, italic, character set
                }
            } else if (isName("LANGUAGE")) {
                advance();
                number();
                expect(",");
                number();
            } else {
                fail("a dialog option or BEGIN");
            }
        }
        blockStart();
        while (!atBlockEnd()) {
            result.controls.push_back(control());
        }
        advance();
        return result;
    }

    void geometry(ControlTemplate& control)
    {
        control.x = number();
        expect(",");
        control.y = number();
        expect(",");
        control.cx = number();
        expect(",");
        control.cy = number();
    }

    // The optional ", style [, exstyle]" tail of a statement with default styles.
    void styleTail(ControlTemplate& control, DWORD defaults)
    {
        StyleBits bits;
        if (accept(",")) {
            bits = styleBits();
            if (accept(",")) {
                control.exStyle = static_cast<DWORD>(expression());
            }
        }
        control.style = bits.apply(WS_CHILD | WS_VISIBLE | defaults);
    }

    ControlTemplate control()
    {
        struct TextStatement {
            const char* keyword;
            const char* className;
            DWORD defaults;
        };
        static const TextStatement textStatements[] = {
            {"LTEXT", "STATIC", SS_LEFT | WS_GROUP},
            {"RTEXT", "STATIC", SS_RIGHT | WS_GROUP},
            {"CTEXT", "STATIC", SS_CENTER | WS_GROUP},
            {"PUSHBUTTON", "BUTTON", BS_PUSHBUTTON | WS_TABSTOP},
            {"DEFPUSHBUTTON", "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP},
            {"CHECKBOX", "BUTTON", BS_CHECKBOX | WS_TABSTOP},
            {"AUTOCHECKBOX", "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP},
            {"RADIOBUTTON", "BUTTON", BS_RADIOBUTTON},
            {"AUTORADIOBUTTON", "BUTTON", BS_AUTORADIOBUTTON},
            {"STATE3", "BUTTON", BS_3STATE | WS_TABSTOP},
            {"AUTO3STATE", "BUTTON", BS_AUTO3STATE | WS_TABSTOP},
            {"GROUPBOX", "BUTTON", BS_GROUPBOX},
        };
        struct PlainStatement {
            const char* keyword;
            const char* className;
            DWORD defaults;
        };
        static const PlainStatement plainStatements[] = {
            {"EDITTEXT", "EDIT", ES_LEFT | WS_BORDER | WS_TABSTOP},
            {"COMBOBOX", "COMBOBOX", CBS_SIMPLE | WS_TABSTOP},
            {"SCROLLBAR", "SCROLLBAR", SBS_HORZ},
        };

        ControlTemplate result;
        for (const TextStatement& statement : textStatements) {
            if (isName(statement.keyword)) {
                advance();
                result.className = statement.className;
                result.text = string();
                expect(",");
                result.id = number();
                expect(",");
                geometry(result);
                styleTail(result, statement.defaults);
                return result;
            }
        }
        for (const PlainStatement& statement : plainStatements) {
            if (isName(statement.keyword)) {
                advance();
                result.className = statement.className;
                result.id = number();
                expect(",");
                geometry(result);
                styleTail(result, statement.defaults);
                return result;
            }
        }
        if (isName("CONTROL")) {
            advance();
            result.text = string();
            expect(",");
            result.id = number();
            expect(",");
            if (token_.kind == TokenKind::String) {
                result.className = string();
            } else if (token_.kind == TokenKind::Name) {
                result.className = token_.text;
                advance();
            } else {
                fail("a class name");
            }
            expect(",");
            result.style = styleBits().apply(WS_CHILD | WS_VISIBLE);
            expect(",");
            geometry(result);
            if (accept(",")) {
                result.exStyle = static_cast<DWORD>(expression());
            }
            return result;
        }
        fail("a control statement or END");
    }

    MenuTemplate menu(int id)
    {
        MenuTemplate result;
        result.id = id;
        blockStart();
        result.items = menuItems();
        return result;
    }

    std::vector<MenuItemTemplate> menuItems()
    {
        std::vector<MenuItemTemplate> items;
        while (!atBlockEnd()) {
            MenuItemTemplate item;
            if (isName("POPUP")) {
                advance();
                item.popup = true;
                item.text = string();
                menuOptions(item);
                blockStart();
                item.items = menuItems();
            } else if (isName("MENUITEM")) {
                advance();
                if (isName("SEPARATOR")) {
                    advance();
                    item.separator = true;
                } else {
                    item.text = string();
                    expect(",");
                    item.id = number();
                    menuOptions(item);
                }
            } else {
                fail("POPUP, MENUITEM or END");
            }
            items.push_back(std::move(item));
        }
        advance();
        return items;
    }

    void menuOptions(MenuItemTemplate& item)
    {
        while (accept(",")) {
            if (isName("GRAYED") || isName("INACTIVE")) {
                item.grayed = true;
                advance();
            } else if (isName("CHECKED") || isName("MENUBARBREAK") || isName("MENUBREAK") || isName("HELP")) {
                advance();
            } else {
                fail("a menu option");
            }
        }
    }

    Lexer lexer_;
    Token token_;
};

} // namespace

const DialogTemplate* ResourceScript::dialog(int id) const
{
    for (const DialogTemplate& dialogTemplate : dialogs) {
        if (dialogTemplate.id == id) {
            return &dialogTemplate;
        }
    }
    return nullptr;
}

const MenuTemplate* ResourceScript::menu(int id) const
{
    for (const MenuTemplate& menuTemplate : menus) {
        if (menuTemplate.id == id) {
            return &menuTemplate;
        }
    }
    return nullptr;
}

ResourceScript parseResourceScript(const std::string& text)
{
    return Parser(text).parse();
}

const ResourceScript& programResources()
{
    static const ResourceScript script =
        parseResourceScript(std::string(reinterpret_cast<const char*>(zbkResourceScript), zbkResourceScriptSize));
    return script;
}

} // namespace win32qt
