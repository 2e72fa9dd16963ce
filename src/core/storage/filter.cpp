#include "storage/filter.h"

#include <algorithm>
#include <cctype>

#include "storage/error.h"
#include "storage/names.h"
#include "text/numbers.h"

namespace varneth::storage {

namespace {

enum class Op { Eq, Ne, Lt, Gt, Le, Ge };

struct Token {
    enum Kind { Name, Text, Number, Operator, Open, Close, End } kind = End;
    std::string text;
};

class Lexer {
public:
    explicit Lexer(std::string_view s) : s_(s) {}

    Token next() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
        if (i_ >= s_.size()) return {Token::End, {}};
        char c = s_[i_];
        if (c == '(') return ++i_, Token{Token::Open, "("};
        if (c == ')') return ++i_, Token{Token::Close, ")"};
        if (c == '\'' || c == '"') return quoted(c);
        if (c == '<' || c == '>' || c == '=' || c == '!') return op();
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.') return number();
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t b = i_;
            while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_'))
                ++i_;
            return {Token::Name, std::string(s_.substr(b, i_ - b))};
        }
        throw Error("过滤条件无法识别：" + std::string(s_));
    }

private:
    Token quoted(char q) {
        std::string out;
        ++i_;
        for (;;) {
            if (i_ >= s_.size()) throw Error("过滤条件的引号不成对：" + std::string(s_));
            char c = s_[i_++];
            if (c == q) {
                if (i_ < s_.size() && s_[i_] == q) {  // a doubled quote stands for itself
                    out += q;
                    ++i_;
                    continue;
                }
                return {Token::Text, out};
            }
            out += c;
        }
    }
    Token op() {
        std::string o(1, s_[i_++]);
        if (i_ < s_.size() && (s_[i_] == '=' || (o == "<" && s_[i_] == '>'))) o += s_[i_++];
        if (o == "!") throw Error("过滤条件无法识别：" + std::string(s_));
        return {Token::Operator, o};
    }
    Token number() {
        std::size_t b = i_++;
        while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.')) ++i_;
        return {Token::Number, std::string(s_.substr(b, i_ - b))};
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

}  // namespace

struct Filter::Node {
    enum Kind { And, Or, Not, Compare } kind = Compare;
    std::unique_ptr<Node> left, right;
    // Compare: a field against a constant (or another field when rightField >= 0).
    int field = -1;
    int rightField = -1;
    Op op = Op::Eq;
    Value constant;
    bool prefix = false;  // text constant ended in "*"

    bool eval(const Record& row) const {
        switch (kind) {
            case And:
                return left->eval(row) && right->eval(row);
            case Or:
                return left->eval(row) || right->eval(row);
            case Not:
                return !left->eval(row);
            case Compare:
                break;
        }
        const Value& a = row[static_cast<std::size_t>(field)];
        const Value& b = rightField >= 0 ? row[static_cast<std::size_t>(rightField)] : constant;
        if (prefix) {
            std::string s = a.toString();
            bool starts = s.compare(0, b.text().size(), b.text()) == 0;
            return op == Op::Eq ? starts : !starts;
        }
        int c;
        if (a.isNull() || b.isNull()) {
            // An empty date or number equals '' (as an empty text does); any other test on it fails.
            bool emptyText = (b.isText() && b.text().empty()) || (a.isText() && a.text().empty());
            if (!emptyText) return false;
            c = 0;
        } else if (a.isText() != b.isText()) {
            c = a.toDouble() < b.toDouble() ? -1 : a.toDouble() > b.toDouble() ? 1 : 0;
        } else {
            c = a.compare(b);
        }
        switch (op) {
            case Op::Eq:
                return c == 0;
            case Op::Ne:
                return c != 0;
            case Op::Lt:
                return c < 0;
            case Op::Gt:
                return c > 0;
            case Op::Le:
                return c <= 0;
            case Op::Ge:
                return c >= 0;
        }
        return false;
    }
};

namespace {

class Parser {
public:
    Parser(std::string_view text, const std::vector<FieldDef>& fields, std::vector<int>& read)
        : lex_(text), text_(text), fields_(fields), read_(read) {
        advance();
    }

    std::unique_ptr<Filter::Node> parse() {
        auto n = orExpr();
        if (tok_.kind != Token::End) fail();
        return n;
    }

private:
    using NodePtr = std::unique_ptr<Filter::Node>;

    void advance() { tok_ = lex_.next(); }
    bool keyword(const char* k) const { return tok_.kind == Token::Name && sameName(tok_.text, k); }
    [[noreturn]] void fail() const { throw Error("过滤条件无法识别：" + std::string(text_)); }

    NodePtr join(Filter::Node::Kind kind, NodePtr l, NodePtr r) {
        auto n = std::make_unique<Filter::Node>();
        n->kind = kind;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }
    NodePtr orExpr() {
        auto n = andExpr();
        while (keyword("or")) {
            advance();
            n = join(Filter::Node::Or, std::move(n), andExpr());
        }
        return n;
    }
    NodePtr andExpr() {
        auto n = notExpr();
        while (keyword("and")) {
            advance();
            n = join(Filter::Node::And, std::move(n), notExpr());
        }
        return n;
    }
    NodePtr notExpr() {
        if (keyword("not")) {
            advance();
            return join(Filter::Node::Not, notExpr(), nullptr);
        }
        if (tok_.kind == Token::Open) {
            advance();
            auto n = orExpr();
            if (tok_.kind != Token::Close) fail();
            advance();
            return n;
        }
        return comparison();
    }

    struct Operand {
        int field = -1;
        Value constant;
        bool isText = false;
    };
    Operand operand() {
        Operand o;
        if (tok_.kind == Token::Name) {
            o.field = fieldIndex(tok_.text);
        } else if (tok_.kind == Token::Text) {
            o.constant = Value(tok_.text);
            o.isText = true;
        } else if (tok_.kind == Token::Number) {
            auto d = text::parseNumber(tok_.text);
            if (!d) fail();
            o.constant = Value(*d);
        } else {
            fail();
        }
        advance();
        return o;
    }
    int fieldIndex(const std::string& name) {
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (sameName(fields_[i].name, name)) {
                int f = static_cast<int>(i);
                if (std::find(read_.begin(), read_.end(), f) == read_.end()) read_.push_back(f);
                return f;
            }
        }
        throw Error("过滤条件中的字段不存在：" + name);
    }
    static Op flip(Op op) {
        switch (op) {
            case Op::Lt:
                return Op::Gt;
            case Op::Gt:
                return Op::Lt;
            case Op::Le:
                return Op::Ge;
            case Op::Ge:
                return Op::Le;
            default:
                return op;
        }
    }
    NodePtr comparison() {
        Operand l = operand();
        if (tok_.kind != Token::Operator) fail();
        static const std::pair<const char*, Op> ops[] = {{"=", Op::Eq},  {"<>", Op::Ne}, {"!=", Op::Ne},
                                                         {"<", Op::Lt},  {">", Op::Gt},  {"<=", Op::Le},
                                                         {">=", Op::Ge}, {"==", Op::Eq}};
        auto it = std::find_if(std::begin(ops), std::end(ops), [&](auto& p) { return tok_.text == p.first; });
        if (it == std::end(ops)) fail();
        Op op = it->second;
        advance();
        Operand r = operand();
        if (l.field < 0) {
            if (r.field < 0) fail();
            std::swap(l, r);
            op = flip(op);
        }
        auto n = std::make_unique<Filter::Node>();
        n->field = l.field;
        n->op = op;
        if (r.field >= 0) {
            n->rightField = r.field;
        } else {
            std::string s = r.constant.toString();
            if (r.isText) {
                while (!s.empty() && s.back() == ' ') s.pop_back();
                if ((op == Op::Eq || op == Op::Ne) && !s.empty() && s.back() == '*') {
                    s.pop_back();
                    n->prefix = true;
                }
                n->constant = Value(s);
            } else {
                n->constant = r.constant;
            }
        }
        return n;
    }

    Lexer lex_;
    std::string_view text_;
    Token tok_;
    const std::vector<FieldDef>& fields_;
    std::vector<int>& read_;
};

}  // namespace

Filter::Filter(std::string_view text, const std::vector<FieldDef>& fields) : text_(text) {
    root_ = Parser(text, fields, fieldsRead_).parse();
}

Filter::~Filter() = default;
Filter::Filter(Filter&&) noexcept = default;
Filter& Filter::operator=(Filter&&) noexcept = default;

bool Filter::matches(const Record& row) const {
    return root_->eval(row);
}

std::string Filter::quote(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

}  // namespace varneth::storage
