#include "platform/gfx/x_file.h"

#include <cctype>
#include <charconv>

namespace gfx {

namespace {

// Deeper nesting than any model has; it keeps a hostile file from exhausting the stack.
constexpr int kMaxDepth = 200;

enum class TokenKind { End, Open, Close, Number, String, Guid, Name, Bad };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;
    double number = 0.0;
};

bool IsNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) != 0 || c == '_' || c == '-' || c == '.' || c == '+' || u >= 0x80;
}

class Lexer {
  public:
    explicit Lexer(std::string_view text) : m_text(text) {}

    Token Next() {
        SkipSpace();
        Token token;
        if (m_pos >= m_text.size()) {
            return token;
        }
        const std::size_t start = m_pos;
        const char c = m_text[m_pos];
        if (c == '{' || c == '}') {
            ++m_pos;
            token.kind = c == '{' ? TokenKind::Open : TokenKind::Close;
            return token;
        }
        if (c == '"') {
            const std::size_t end = m_text.find('"', m_pos + 1);
            if (end == std::string_view::npos) {
                m_pos = m_text.size();
                token.kind = TokenKind::Bad;
                token.text = "unterminated string";
                return token;
            }
            token.kind = TokenKind::String;
            token.text = m_text.substr(m_pos + 1, end - m_pos - 1);
            m_pos = end + 1;
            return token;
        }
        if (c == '<') {
            const std::size_t end = m_text.find('>', m_pos + 1);
            m_pos = end == std::string_view::npos ? m_text.size() : end + 1;
            token.kind = end == std::string_view::npos ? TokenKind::Bad : TokenKind::Guid;
            token.text = "unterminated identifier";
            return token;
        }
        while (m_pos < m_text.size() && IsNameChar(m_text[m_pos])) {
            ++m_pos;
        }
        if (m_pos == start) {
            ++m_pos;
            token.kind = TokenKind::Bad;
            token.text = m_text.substr(start, 1);
            return token;
        }
        token.text = m_text.substr(start, m_pos - start);
        const char first = token.text.front();
        const bool numeric =
            std::isdigit(static_cast<unsigned char>(first)) != 0 ||
            ((first == '-' || first == '+' || first == '.') && token.text.size() > 1);
        if (numeric) {
            const char* begin = token.text.data() + (first == '+' ? 1 : 0);
            const char* end = token.text.data() + token.text.size();
            const auto [ptr, ec] = std::from_chars(begin, end, token.number);
            token.kind = ec == std::errc() && ptr == end ? TokenKind::Number : TokenKind::Name;
            return token;
        }
        token.kind = TokenKind::Name;
        return token;
    }

  private:
    void SkipSpace() {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == ';' || c == ',' || std::isspace(static_cast<unsigned char>(c)) != 0) {
                ++m_pos;
            } else if (c == '#' ||
                       (c == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '/')) {
                while (m_pos < m_text.size() && m_text[m_pos] != '\n') {
                    ++m_pos;
                }
            } else {
                return;
            }
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

class Parser {
  public:
    explicit Parser(std::string_view text) : m_lexer(text) {}

    bool ParseFile(std::vector<XData>& objects) {
        for (Token token = m_lexer.Next(); token.kind != TokenKind::End; token = m_lexer.Next()) {
            if (token.kind != TokenKind::Name) {
                return Fail("expected a data object at top level");
            }
            if (token.text == "template") {
                if (!SkipTemplate()) {
                    return false;
                }
                continue;
            }
            XData data;
            if (!ParseObject(token.text, data, 0)) {
                return false;
            }
            objects.push_back(std::move(data));
        }
        return true;
    }

    const std::string& Error() const { return m_error; }

  private:
    bool Fail(const std::string& text) {
        if (m_error.empty()) {
            m_error = text;
        }
        return false;
    }

    bool SkipTemplate() {
        Token token = m_lexer.Next();
        if (token.kind != TokenKind::Name) {
            return Fail("template without a name");
        }
        if (m_lexer.Next().kind != TokenKind::Open) {
            return Fail("template " + std::string(token.text) + " without a body");
        }
        for (int depth = 1; depth > 0;) {
            token = m_lexer.Next();
            if (token.kind == TokenKind::End) {
                return Fail("unexpected end of file in a template");
            }
            depth += token.kind == TokenKind::Open ? 1 : token.kind == TokenKind::Close ? -1 : 0;
        }
        return true;
    }

    // After the type name: [name] [guid] '{' body '}'.
    bool ParseObject(std::string_view type, XData& data, int depth) {
        if (depth > kMaxDepth) {
            return Fail("data objects nested too deeply");
        }
        data.type = std::string(type);
        Token token = m_lexer.Next();
        if (token.kind == TokenKind::Name) {
            data.name = std::string(token.text);
            token = m_lexer.Next();
        }
        if (token.kind == TokenKind::Guid) {
            token = m_lexer.Next();
        }
        if (token.kind != TokenKind::Open) {
            return Fail("expected '{' after " + data.type);
        }
        for (;;) {
            token = m_lexer.Next();
            switch (token.kind) {
            case TokenKind::End:
                return Fail("unexpected end of file in " + data.type);
            case TokenKind::Close:
                return true;
            case TokenKind::Number:
                data.numbers.push_back(token.number);
                break;
            case TokenKind::String:
                data.strings.emplace_back(token.text);
                break;
            case TokenKind::Guid:
                break;
            case TokenKind::Open:
                if (!ParseReference(data)) {
                    return false;
                }
                break;
            case TokenKind::Name: {
                XData child;
                if (!ParseObject(token.text, child, depth + 1)) {
                    return false;
                }
                data.children.push_back(std::move(child));
                break;
            }
            case TokenKind::Bad:
                return Fail("unexpected '" + std::string(token.text) + "' in " + data.type);
            }
        }
    }

    // After '{': a name and/or identifier, then '}'.
    bool ParseReference(XData& data) {
        XData reference;
        for (Token token = m_lexer.Next(); token.kind != TokenKind::Close; token = m_lexer.Next()) {
            if (token.kind == TokenKind::Name && reference.reference.empty()) {
                reference.reference = std::string(token.text);
            } else if (token.kind != TokenKind::Guid && token.kind != TokenKind::Name) {
                return Fail("bad reference in " + data.type);
            }
        }
        if (!reference.reference.empty()) {
            data.children.push_back(std::move(reference));
        }
        return true;
    }

    Lexer m_lexer;
    std::string m_error;
};

} // namespace

const XData* XData::Child(std::string_view childType) const {
    for (const XData& child : children) {
        if (child.type == childType) {
            return &child;
        }
    }
    return nullptr;
}

bool XFile::Parse(std::string_view text, std::string* error) {
    m_objects.clear();
    m_names.clear();
    // "xof 0303txt 0032": magic, version, format, float size.
    if (text.size() < 16 || text.substr(0, 4) != "xof ") {
        if (error != nullptr) {
            *error = "not an .X file";
        }
        return false;
    }
    if (text.substr(8, 4) != "txt ") {
        if (error != nullptr) {
            *error = "only text .X files can be read";
        }
        return false;
    }
    Parser parser(text.substr(16));
    std::vector<XData> objects;
    if (!parser.ParseFile(objects)) {
        if (error != nullptr) {
            *error = parser.Error();
        }
        return false;
    }
    m_objects = std::move(objects);
    for (const XData& data : m_objects) {
        Index(data);
    }
    return true;
}

void XFile::Index(const XData& data) {
    if (!data.name.empty()) {
        m_names.emplace(data.name, &data);
    }
    for (const XData& child : data.children) {
        Index(child);
    }
}

const XData* XFile::Find(const std::string& name) const {
    const auto found = m_names.find(name);
    return found != m_names.end() ? found->second : nullptr;
}

const XData* XFile::Resolve(const XData& data) const {
    return data.IsReference() ? Find(data.reference) : &data;
}

} // namespace gfx
