#include "workbook/SqlStatement.h"


namespace {

struct Token {
    enum class Kind { End, Word, Name, Text, Number, Symbol };
    Kind kind = Kind::End;
    std::string text;
    std::size_t at = 0;
};

// ASCII classes, the same whatever the locale.
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

char ToUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsWordStart(char c)
{
    return IsLetter(c) || c == '_';
}

bool IsWordChar(char c)
{
    return IsLetter(c) || IsDigit(c) || c == '_';
}

class CSqlLexer {
public:
    explicit CSqlLexer(std::string_view text) : m_text(text) {}

    // Cuts the whole text into tokens; false with *error on a character or
    // an unclosed text or name that no statement can hold.
    bool Run(std::vector<Token>& tokens, std::string* error)
    {
        for (;;) {
            while (m_at < m_text.size() && IsSpace(m_text[m_at]))
                ++m_at;
            Token token;
            token.at = m_at;
            if (m_at >= m_text.size()) {
                tokens.push_back(token);
                return true;
            }
            const char c = m_text[m_at];
            if (c == '[') {
                const std::size_t close = m_text.find(']', m_at + 1);
                if (close == std::string_view::npos)
                    return Fail(error, "a name in brackets is not closed");
                token.kind = Token::Kind::Name;
                token.text = m_text.substr(m_at + 1, close - m_at - 1);
                m_at = close + 1;
            } else if (c == '\'') {
                token.kind = Token::Kind::Text;
                if (!ReadText(token.text))
                    return Fail(error, "a text in apostrophes is not closed");
            } else if (IsWordStart(c)) {
                token.kind = Token::Kind::Word;
                while (m_at < m_text.size() && IsWordChar(m_text[m_at]))
                    token.text += m_text[m_at++];
            } else if (IsDigit(c) || ((c == '-' || c == '+' || c == '.') && m_at + 1 < m_text.size() &&
                                      (IsDigit(m_text[m_at + 1]) || m_text[m_at + 1] == '.'))) {
                token.kind = Token::Kind::Number;
                token.text = ReadNumber();
            } else if (c == '(' || c == ')' || c == ',' || c == '*' || c == ';') {
                token.kind = Token::Kind::Symbol;
                token.text = std::string(1, c);
                ++m_at;
            } else {
                return Fail(error, std::string("unexpected character '") + c + "'");
            }
            tokens.push_back(std::move(token));
        }
    }

private:
    bool ReadText(std::string& out)
    {
        for (std::size_t i = m_at + 1; i < m_text.size(); ++i) {
            if (m_text[i] != '\'') {
                out += m_text[i];
            } else if (i + 1 < m_text.size() && m_text[i + 1] == '\'') {
                out += '\'';
                ++i;
            } else {
                m_at = i + 1;
                return true;
            }
        }
        return false;
    }

    std::string ReadNumber()
    {
        const std::size_t begin = m_at;
        if (m_text[m_at] == '-' || m_text[m_at] == '+')
            ++m_at;
        while (m_at < m_text.size() && (IsDigit(m_text[m_at]) || m_text[m_at] == '.'))
            ++m_at;
        if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
            std::size_t next = m_at + 1;
            if (next < m_text.size() && (m_text[next] == '-' || m_text[next] == '+'))
                ++next;
            if (next < m_text.size() && IsDigit(m_text[next])) {
                m_at = next;
                while (m_at < m_text.size() && IsDigit(m_text[m_at]))
                    ++m_at;
            }
        }
        return std::string(m_text.substr(begin, m_at - begin));
    }

    bool Fail(std::string* error, const std::string& what)
    {
        *error = what + " at character " + std::to_string(m_at + 1);
        return false;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

bool SameWord(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (ToUpper(a[i]) != b[i])
            return false;
    return i == a.size() && b[i] == '\0';
}

class CSqlParser {
public:
    CSqlParser(std::vector<Token> tokens, std::string* error) : m_tokens(std::move(tokens)), m_error(error) {}

    bool Statement(SqlStatement& out)
    {
        if (Keyword("CREATE")) {
            out.kind = SqlStatement::Kind::CreateTable;
            return Expect("TABLE") && Table(out.table) && Columns(out) && Finish();
        }
        if (Keyword("DROP")) {
            out.kind = SqlStatement::Kind::DropTable;
            return Expect("TABLE") && Table(out.table) && Finish();
        }
        if (Keyword("INSERT")) {
            out.kind = SqlStatement::Kind::Insert;
            if (!Expect("INTO") || !Table(out.table))
                return false;
            if (Symbol('(') && !NameList(out.columns))
                return false;
            return Expect("VALUES") && ExpectSymbol('(') && Values(out.values) && Finish();
        }
        if (Keyword("SELECT")) {
            out.kind = SqlStatement::Kind::Select;
            if (!Symbol('*'))
                return Fail("only SELECT * is understood");
            return Expect("FROM") && Table(out.table) && Finish();
        }
        return Fail("expected CREATE TABLE, DROP TABLE, INSERT INTO or SELECT");
    }

private:
    const Token& Peek() const { return m_tokens[m_at]; }
    void Next()
    {
        if (Peek().kind != Token::Kind::End)
            ++m_at;
    }

    bool Fail(const std::string& what)
    {
        const Token& token = Peek();
        *m_error = what + (token.kind == Token::Kind::End ? std::string(" at the end of the statement")
                                                          : " at character " + std::to_string(token.at + 1));
        return false;
    }

    bool Keyword(const char* word)
    {
        if (Peek().kind == Token::Kind::Word && SameWord(Peek().text, word)) {
            Next();
            return true;
        }
        return false;
    }
    bool Expect(const char* word) { return Keyword(word) || Fail(std::string("expected ") + word); }

    bool Symbol(char c)
    {
        if (Peek().kind == Token::Kind::Symbol && Peek().text[0] == c) {
            Next();
            return true;
        }
        return false;
    }
    bool ExpectSymbol(char c) { return Symbol(c) || Fail(std::string("expected '") + c + "'"); }

    bool Name(std::string& out)
    {
        if (Peek().kind != Token::Kind::Name && Peek().kind != Token::Kind::Word)
            return Fail("expected a name");
        out = Peek().text;
        Next();
        return true;
    }

    bool Table(SqlTable& table)
    {
        std::string name;
        if (!Name(name))
            return false;
        const std::size_t dollar = name.rfind('$');
        if (dollar != std::string::npos) {
            const std::string range = name.substr(dollar + 1);
            name.resize(dollar);
            if (!range.empty()) {
                if (!ParseCellRange(range, table))
                    return Fail("the range \"" + range + "\" is not a range of a sheet (A1 to IV65536)");
                table.hasRange = true;
            }
        }
        if (name.empty())
            return Fail("a table needs a sheet name");
        table.sheet = name;
        return true;
    }

    bool Columns(SqlStatement& out)
    {
        if (!ExpectSymbol('('))
            return false;
        do {
            std::string name;
            if (!Name(name))
                return false;
            if (Peek().kind != Token::Kind::Word)
                return Fail("expected the type of column " + name);
            std::string type = Peek().text;
            Next();
            if (Symbol('(')) {
                if (Peek().kind != Token::Kind::Number)
                    return Fail("expected a size");
                type += "(" + Peek().text + ")";
                Next();
                if (!ExpectSymbol(')'))
                    return false;
            }
            out.columns.push_back(std::move(name));
            out.types.push_back(std::move(type));
        } while (Symbol(','));
        return ExpectSymbol(')');
    }

    bool NameList(std::vector<std::string>& names)
    {
        do {
            std::string name;
            if (!Name(name))
                return false;
            names.push_back(std::move(name));
        } while (Symbol(','));
        return ExpectSymbol(')');
    }

    bool Values(std::vector<SqlValue>& values)
    {
        do {
            SqlValue value;
            if (Peek().kind == Token::Kind::Text) {
                value.kind = SqlValue::Kind::Text;
            } else if (Peek().kind == Token::Kind::Number) {
                value.kind = SqlValue::Kind::Number;
            } else if (Peek().kind == Token::Kind::Word && SameWord(Peek().text, "NULL")) {
                value.kind = SqlValue::Kind::Null;
            } else {
                return Fail("expected a value");
            }
            value.text = value.kind == SqlValue::Kind::Null ? std::string() : Peek().text;
            Next();
            values.push_back(std::move(value));
        } while (Symbol(','));
        return ExpectSymbol(')');
    }

    bool Finish()
    {
        Symbol(';');
        return Peek().kind == Token::Kind::End || Fail("unexpected text after the statement");
    }

    std::vector<Token> m_tokens;
    std::size_t m_at = 0;
    std::string* m_error;
};

// "A" .. "IV" to 0 .. 255; -1 otherwise. Advances past the letters.
int ColumnOf(std::string_view text, std::size_t& at)
{
    int column = 0;
    std::size_t letters = 0;
    while (at < text.size() && IsLetter(text[at]) && letters < 3) {
        column = column * 26 + (ToUpper(text[at]) - 'A' + 1);
        ++at;
        ++letters;
    }
    return letters == 0 || column > 256 ? -1 : column - 1;
}

// "1" .. "65536" to 0 .. 65535; -1 otherwise.
int RowOf(std::string_view text, std::size_t& at)
{
    long row = 0;
    std::size_t digits = 0;
    while (at < text.size() && IsDigit(text[at]) && digits < 6) {
        row = row * 10 + (text[at] - '0');
        ++at;
        ++digits;
    }
    return digits == 0 || row < 1 || row > 65536 ? -1 : static_cast<int>(row - 1);
}

} // namespace

bool ParseCellRange(std::string_view text, SqlTable& table)
{
    std::size_t at = 0;
    const int firstColumn = ColumnOf(text, at);
    const int firstRow = RowOf(text, at);
    if (firstColumn < 0 || firstRow < 0 || at >= text.size() || text[at] != ':')
        return false;
    ++at;
    const int lastColumn = ColumnOf(text, at);
    const int lastRow = RowOf(text, at);
    if (lastColumn < firstColumn || lastRow < firstRow || at != text.size())
        return false;
    table.firstRow = firstRow;
    table.firstColumn = firstColumn;
    table.lastRow = lastRow;
    table.lastColumn = lastColumn;
    return true;
}

bool ParseSqlStatement(std::string_view text, SqlStatement& statement, std::string* error)
{
    std::vector<Token> tokens;
    tokens.reserve(32);
    if (!CSqlLexer(text).Run(tokens, error))
        return false;
    SqlStatement parsed;
    if (!CSqlParser(std::move(tokens), error).Statement(parsed))
        return false;
    statement = std::move(parsed);
    return true;
}
