#include "data/engine/KeyExpression.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace engine {

namespace {

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isIdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Numeric field text as Clipper reads it: blanks = 0, an optional sign, digits, '.' or ','
// as the decimal point. Anything unreadable (an overflow of asterisks) counts as 0.
double parseNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    while (i < s.size() && s[i] == ' ') ++i;
    double value = 0;
    bool digits = false;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        value = value * 10 + (s[i] - '0');
        digits = true;
    }
    if (i < s.size() && (s[i] == '.' || s[i] == ',')) {
        double scale = 1;
        std::uint64_t frac = 0;
        for (++i; i < s.size() && isDigit(s[i]) && scale < 1e18; ++i) {
            frac = frac * 10 + static_cast<std::uint64_t>(s[i] - '0');
            scale *= 10;
            digits = true;
        }
        value += static_cast<double>(frac) / scale;
    }
    if (!digits) return 0;
    return negative ? -value : value;
}

}  // namespace

// Clipper's STR(): right-aligned in `len`, rounded half away from zero to `dec` decimals,
// asterisks when it does not fit.
std::string clipperStr(double value, int len, int dec) {
    if (len <= 0) return std::string();
    const auto width = static_cast<std::size_t>(len);
    dec = std::max(0, std::min(dec, 18));
    double scaled = value * std::pow(10.0, dec);
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9e17) return std::string(width, '*');
    // A relative nudge keeps 2.675 from rounding down as its binary form would.
    double nudged = scaled + (scaled >= 0 ? 1 : -1) * std::fabs(scaled) * 1e-13;
    long long r = std::llround(nudged);
    std::string s = std::to_string(r < 0 ? -r : r);
    const auto decimals = static_cast<std::size_t>(dec);
    if (decimals > 0) {
        if (s.size() <= decimals) s.insert(0, decimals + 1 - s.size(), '0');
        s.insert(s.size() - decimals, 1, '.');
    }
    if (r < 0) s.insert(0, 1, '-');
    if (s.size() > width) return std::string(width, '*');
    return std::string(width - s.size(), ' ') + s;
}

std::string numericKey(double value, int len, int dec) {
    std::string s = clipperStr(value, len, dec);
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') s[i++] = '0';
    if (i < s.size() && s[i] == '-') {
        s[i] = '0';
        for (char& c : s)
            if (isDigit(c)) c = static_cast<char>(0x2C - (c - '0'));
    }
    return s;
}

// ---- the expression tree ------------------------------------------------------------------

struct KeyExpression::Node {
    enum class Kind { Field, Str, Dtos, Concat, Not, Deleted };
    Kind kind = Kind::Field;
    char type = 'C';  // C N D L: the value this node gives
    int offset = 0;   // Field
    int len = 0;      // text length for C and D values; field width for N
    int dec = 0;
    std::vector<std::unique_ptr<Node>> args;

    bool reads(int from, int to) const {
        if (kind == Kind::Field) return offset < to && from < offset + len;
        if (kind == Kind::Deleted) return from == 0;  // the delete flag is byte 0
        for (const auto& a : args)
            if (a->reads(from, to)) return true;
        return false;
    }

    // STR of a whole-number field of its own width gives the field's text as the table keeps
    // it when that text is already STR's: blanks, a sign for a number not zero, digits without
    // a leading zero. Then it is copied as it stands.
    bool copiesField(const char* record, std::string& out) const {
        const Node& f = *args[0];
        if (dec != 0 || f.dec != 0 || f.len != len || len > 17) return false;
        const char* p = record + f.offset;
        int i = 0;
        while (i < len && p[i] == ' ') ++i;
        const bool negative = i < len && p[i] == '-';
        if (negative) ++i;
        if (i == len || !isDigit(p[i]) || (p[i] == '0' && (negative || i + 1 < len))) return false;
        for (int j = i; j < len; ++j)
            if (!isDigit(p[j])) return false;
        out.append(p, static_cast<std::size_t>(len));
        return true;
    }

    double number(const char* record) const {
        return parseNumber(std::string_view(record + offset, static_cast<std::size_t>(len)));
    }

    void text(const char* record, std::string& out) const {
        switch (kind) {
            case Kind::Field:
                if (type == 'D') {
                    dateText(record, out);
                } else if (type == 'N') {
                    out += numericKey(number(record), len, dec);
                } else {
                    out.append(record + offset, static_cast<std::size_t>(len));
                }
                break;
            case Kind::Str:
                if (!copiesField(record, out)) out += clipperStr(args[0]->number(record), len, dec);
                break;
            case Kind::Dtos:
                args[0]->dateText(record, out);
                break;
            case Kind::Concat:
                for (const auto& a : args) a->text(record, out);
                break;
            case Kind::Not:
            case Kind::Deleted:
                break;
        }
    }

    // A blank date (or one written as zeros by some tools) gives eight blanks.
    void dateText(const char* record, std::string& out) const {
        const char* p = record + offset;
        bool blank = true;
        for (int i = 0; i < 8; ++i) blank = blank && (p[i] == ' ' || p[i] == '0' || p[i] == 0);
        if (blank)
            out.append(8, ' ');
        else
            out.append(p, 8);
    }

    bool truth(const char* record) const {
        switch (kind) {
            case Kind::Not:
                return !args[0]->truth(record);
            case Kind::Deleted:
                return record[0] == '*';
            case Kind::Field: {
                char c = record[offset];
                return c == 'T' || c == 't' || c == 'Y' || c == 'y';
            }
            default:
                return false;
        }
    }
};

// Recursive-descent parser over the expression text.
class KeyExpressionParser {
public:
    using NodePtr = std::unique_ptr<KeyExpression::Node>;
    using Kind = KeyExpression::Node::Kind;

    KeyExpressionParser(std::string_view text, const std::vector<FieldLayout>& fields)
        : text_(text), fields_(fields) {}

    NodePtr parseAll() {
        NodePtr n = expression();
        if (!n) return nullptr;
        skip();
        if (pos_ < text_.size()) return fail("unexpected '" + std::string(1, text_[pos_]) + "'");
        return n;
    }

    const std::string& error() const { return error_; }

private:
    static constexpr int kMaxNesting = 64;

    NodePtr fail(std::string message) {
        if (error_.empty()) error_ = std::move(message);
        return nullptr;
    }

    void skip() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
    }

    bool accept(char c) {
        skip();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // A dotted operator such as .NOT., blanks allowed inside.
    bool acceptDotted(std::string_view word) {
        std::size_t save = pos_;
        if (!accept('.')) return false;
        skip();
        std::string w = identifier();
        if (w != word || !accept('.')) {
            pos_ = save;
            return false;
        }
        return true;
    }

    std::string identifier() {
        skip();
        std::string w;
        if (pos_ >= text_.size() || !isIdentStart(text_[pos_])) return w;
        while (pos_ < text_.size() && (isIdentStart(text_[pos_]) || isDigit(text_[pos_])))
            w.push_back(upper(text_[pos_++]));
        return w;
    }

    bool integer(int& out) {
        skip();
        if (pos_ >= text_.size() || !isDigit(text_[pos_])) return false;
        out = 0;
        while (pos_ < text_.size() && isDigit(text_[pos_])) {
            out = out * 10 + (text_[pos_++] - '0');
            if (out > 1000) return false;
        }
        return true;
    }

    NodePtr expression() {
        NodePtr first = unary();
        if (!first) return nullptr;
        if (!accept('+')) return first;
        auto cat = std::make_unique<KeyExpression::Node>();
        cat->kind = Kind::Concat;
        cat->type = 'C';
        cat->args.push_back(std::move(first));
        do {
            NodePtr next = unary();
            if (!next) return nullptr;
            cat->args.push_back(std::move(next));
        } while (accept('+'));
        for (const auto& a : cat->args) {
            if (a->type != 'C') return fail("'+' joins only character values");
            cat->len += a->len;
        }
        return cat;
    }

    // Every nesting (parentheses, calls, .NOT.) passes here. Real keys nest a few levels; a
    // damaged or hostile header nesting hundreds would exhaust the stack, so it is refused.
    NodePtr unary() {
        if (depth_ >= kMaxNesting) return fail("expression nested too deeply");
        ++depth_;
        NodePtr n = notOrPrimary();
        --depth_;
        return n;
    }

    NodePtr notOrPrimary() {
        if (acceptDotted("NOT")) {
            NodePtr arg = unary();
            if (!arg) return nullptr;
            if (arg->type != 'L') return fail(".NOT. needs a logical value");
            auto n = std::make_unique<KeyExpression::Node>();
            n->kind = Kind::Not;
            n->type = 'L';
            n->args.push_back(std::move(arg));
            return n;
        }
        return primary();
    }

    NodePtr primary() {
        if (accept('(')) {
            NodePtr inner = expression();
            if (!inner) return nullptr;
            if (!accept(')')) return fail("')' expected");
            return inner;
        }
        std::string name = identifier();
        if (name.empty()) {
            skip();
            if (pos_ >= text_.size()) return fail("expression ends too early");
            return fail("unexpected '" + std::string(1, text_[pos_]) + "'");
        }
        if (accept('(')) return call(name);
        return field(name);
    }

    NodePtr field(const std::string& name) {
        for (const FieldLayout& f : fields_) {
            std::string upperName;
            for (char c : f.name) upperName.push_back(upper(c));
            if (upperName != name) continue;
            auto n = std::make_unique<KeyExpression::Node>();
            n->kind = Kind::Field;
            n->offset = f.offset;
            n->len = f.len;
            n->dec = f.dec;
            switch (f.type) {
                case 'N':
                case 'F':
                    n->type = 'N';
                    break;
                case 'D':
                    n->type = 'D';
                    n->len = 8;
                    break;
                case 'L':
                    n->type = 'L';
                    n->len = 1;
                    break;
                case 'C':
                    n->type = 'C';
                    break;
                default:
                    return fail("field " + name + " cannot be used in an expression");
            }
            return n;
        }
        return fail("unknown field " + name);
    }

    NodePtr call(const std::string& name) {
        auto n = std::make_unique<KeyExpression::Node>();
        if (name == "STR") {
            NodePtr arg = expression();
            if (!arg) return nullptr;
            if (arg->type != 'N' || arg->kind != Kind::Field)
                return fail("STR() needs a numeric field");
            int len = 10, dec = 0;
            if (accept(',')) {
                if (!integer(len) || len < 1 || len > 255) return fail("STR() length expected");
                if (accept(',') && (!integer(dec) || dec > 18 || dec >= len))
                    return fail("STR() decimals expected");
            }
            n->kind = Kind::Str;
            n->type = 'C';
            n->len = len;
            n->dec = dec;
            n->args.push_back(std::move(arg));
        } else if (name == "DTOS") {
            NodePtr arg = expression();
            if (!arg) return nullptr;
            if (arg->type != 'D' || arg->kind != Kind::Field)
                return fail("DTOS() needs a date field");
            n->kind = Kind::Dtos;
            n->type = 'C';
            n->len = 8;
            n->offset = arg->offset;
            n->args.push_back(std::move(arg));
        } else if (name == "DELETED") {
            n->kind = Kind::Deleted;
            n->type = 'L';
        } else {
            return fail("unknown function " + name + "()");
        }
        if (!accept(')')) return fail("')' expected after " + name + "(");
        return n;
    }

    std::string_view text_;
    const std::vector<FieldLayout>& fields_;
    std::size_t pos_ = 0;
    std::string error_;
    int depth_ = 0;
};

KeyExpression::KeyExpression() = default;
KeyExpression::KeyExpression(KeyExpression&&) noexcept = default;
KeyExpression& KeyExpression::operator=(KeyExpression&&) noexcept = default;
KeyExpression::~KeyExpression() = default;

std::optional<KeyExpression> KeyExpression::parse(std::string_view text,
                                                  const std::vector<FieldLayout>& fields,
                                                  std::string* error) {
    KeyExpressionParser parser(text, fields);
    auto root = parser.parseAll();
    if (!root) {
        if (error) *error = "Invalid expression \"" + std::string(text) + "\": " + parser.error();
        return std::nullopt;
    }
    KeyExpression e;
    e.type_ = root->type;
    e.length_ = root->type == 'L' ? 0 : root->len;
    e.decimals_ = root->type == 'N' ? root->dec : 0;
    if (e.length_ > 256) {
        if (error) *error = "Invalid expression \"" + std::string(text) + "\": key too long";
        return std::nullopt;
    }
    for (char c : text)
        if (!isBlank(c)) e.canonical_.push_back(upper(c));
    e.root_ = std::move(root);
    return e;
}

char KeyExpression::type() const {
    return type_;
}
int KeyExpression::keyLength() const {
    return length_;
}
int KeyExpression::keyDecimals() const {
    return decimals_;
}
const std::string& KeyExpression::canonicalText() const {
    return canonical_;
}

void KeyExpression::evaluate(const char* record, std::string& out) const {
    if (type_ == 'L') return;
    root_->text(record, out);
}

bool KeyExpression::reads(int from, int to) const {
    return root_->reads(from, to);
}

bool KeyExpression::evaluateBool(const char* record) const {
    return type_ == 'L' && root_->truth(record);
}

std::string KeyExpression::seekKey(std::string_view text) const {
    if (type_ == 'N') return numericKey(parseNumber(text), length_, decimals_);
    return std::string(text);
}

std::string KeyExpression::seekKey(double value) const {
    if (type_ == 'N') return numericKey(value, length_, decimals_);
    return clipperStr(value, length_, decimals_);
}

}  // namespace engine
