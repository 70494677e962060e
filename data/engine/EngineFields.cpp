// The field calls: a field's bytes of the current record read as text, number or flag, and
// assigned (text converted to the table's code page, numbers right-aligned in the field's
// decimals).

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "data/engine/EngineNumber.h"
#include "data/engine/EngineState.h"

namespace engine {

namespace {

int assignRightAligned(Field4* f, std::string_view text) {
    Data4* t = f->table;
    const auto& l = f->layout;
    if (static_cast<int>(text.size()) > l.len)
        return setError(
            t->code, e4parm,
            t->alias + "." + l.name + ": " + std::string(text) + " does not fit the field");
    int rc = beginChange(t);
    if (rc) return rc;
    char* p = t->rec.data() + l.offset;
    std::memset(p, ' ', l.len - text.size());
    // An empty view may hold no pointer at all, which memcpy must not be given.
    if (!text.empty()) std::memcpy(p + l.len - text.size(), text.data(), text.size());
    return 0;
}

bool isBinaryType(char type) {
    return type == 'I' || type == 'B' || type == 'Y' || type == 'T' || type == '0';
}

int assignNumber(Field4* f, double v) {
    Data4* t = f->table;
    const auto& l = f->layout;
    if (l.type != 'N' && l.type != 'F')
        return setError(t->code, e4fieldType, t->alias + "." + l.name + " is not numeric");
    char text[kFormatBuffer];
    const std::size_t len = formatNumber(v, l.dec, text);
    if (len == 0) return setError(t->code, e4parm, t->alias + "." + l.name + ": not a number");
    return assignRightAligned(f, std::string_view(text, len));
}

int assignInteger(Field4* f, long long v) {
    const auto& l = f->layout;
    if (l.type != 'N' && l.type != 'F')
        return setError(f->table->code, e4fieldType,
                        f->table->alias + "." + l.name + " is not numeric");
    char text[32 + 256];
    char* end = std::to_chars(text, text + 32, v).ptr;
    if (l.dec > 0) {
        *end++ = '.';
        const int zeros = std::min(l.dec, 255);
        std::memset(end, '0', static_cast<std::size_t>(zeros));
        end += zeros;
    }
    return assignRightAligned(f, std::string_view(text, static_cast<std::size_t>(end - text)));
}

// True when every byte is below 0x80, eight at a time: such text reads the same in every
// code page and in UTF-8.
bool isAscii(std::string_view s) {
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        if (w & 0x8080808080808080ull) return false;
    }
    for (; i < s.size(); ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
    return true;
}

std::string_view fieldBytes(const Field4* f) {
    return std::string_view(f->table->rec).substr(f->layout.offset, f->layout.len);
}

}  // namespace

int d4numFields(Data4* t) {
    return t ? static_cast<int>(t->fields.size()) : 0;
}

Field4* d4fieldJ(Data4* t, int j) {
    if (!t || j < 1 || j > static_cast<int>(t->fields.size())) return nullptr;
    return t->fields[j - 1].get();
}

Field4* d4field(Data4* t, std::string_view name) {
    if (!t) return nullptr;
    for (auto& f : t->fields)
        if (sameName(f->layout.name, name)) return f.get();
    setError(t->code, e4fieldName, t->alias + ": no field " + std::string(name));
    return nullptr;
}

const std::string& d4alias(Data4* t) {
    return t ? t->alias : kEmpty;
}
Code4* d4code(Data4* t) {
    return t ? t->code : nullptr;
}

std::string f4str(Field4* f) {
    if (!f) return {};
    return f->table->dbf->codePage().decode(fieldBytes(f));
}

std::string_view f4strView(Field4* f, std::string& scratch) {
    if (!f) return {};
    const std::string_view stored = fieldBytes(f);
    if (isAscii(stored)) return stored;
    scratch.clear();
    f->table->dbf->codePage().decode(stored, scratch);
    return scratch;
}

int f4int(Field4* f) {
    const long long v = f ? parseWholeNumber(fieldBytes(f)) : 0;
    if (v >= 2147483647LL) return 2147483647;
    if (v <= -2147483648LL) return -2147483647 - 1;
    return static_cast<int>(v);
}

long f4long(Field4* f) {
    return f ? static_cast<long>(parseWholeNumber(fieldBytes(f))) : 0;
}

double f4double(Field4* f) {
    return f ? parseNumber(fieldBytes(f)) : 0;
}

int f4true(Field4* f) {
    if (!f) return 0;
    char c = fieldBytes(f)[0];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y' ? 1 : 0;
}

int f4assign(Field4* f, std::string_view utf8) {
    if (!f) return e4parm;
    Data4* t = f->table;
    const auto& l = f->layout;
    if (isBinaryType(l.type))
        return setError(t->code, e4fieldType, t->alias + "." + l.name + " holds binary data");
    // ASCII is stored as it is; other text is converted to the table's code page.
    std::string encoded;
    std::string_view stored = utf8;
    if (!isAscii(utf8)) stored = encoded = t->dbf->codePage().encode(utf8);
    if (l.type == 'N' || l.type == 'F') {
        auto b = stored.find_first_not_of(' ');
        auto e = stored.find_last_not_of(' ');
        return assignRightAligned(
            f, b == std::string_view::npos ? std::string_view() : stored.substr(b, e - b + 1));
    }
    int rc = beginChange(t);
    if (rc) return rc;
    char* p = t->rec.data() + l.offset;
    std::size_t n = std::min<std::size_t>(stored.size(), l.len);
    if (n > 0) std::memcpy(p, stored.data(), n);
    std::memset(p + n, ' ', l.len - n);
    return 0;
}

namespace {

// Number text as assignRightAligned leaves a formatted number: blanks, an optional minus, the
// whole part without zeros in front (a lone zero before the point), then `dec` decimals. Minus
// zero is not, since no number is written so.
bool inWrittenForm(std::string_view s, int dec) {
    std::size_t i = s.find_first_not_of(' ');
    if (i == std::string_view::npos) return false;
    const bool negative = s[i] == '-';
    if (negative) ++i;
    const std::size_t whole = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    const std::size_t wholeDigits = i - whole;
    if (wholeDigits == 0 || (wholeDigits > 1 && s[whole] == '0')) return false;
    bool zero = wholeDigits == 1 && s[whole] == '0';
    if (dec > 0) {
        if (i >= s.size() || s[i] != '.') return false;
        ++i;
    }
    const std::size_t decimals = i;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) zero = zero && s[i] == '0';
    return i == s.size() && i - decimals == static_cast<std::size_t>(dec) &&
           wholeDigits + static_cast<std::size_t>(dec) <= 15 && !(negative && zero);
}

bool inStoredForm(std::string_view s, char type, int dec) {
    switch (type) {
        case 'C':
            return isAscii(s);
        case 'N':
        case 'F':
            return inWrittenForm(s, dec);
        case 'L':
            return s == "T" || s == "F";
        case 'D':
            return s.size() == 8 &&
                   std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
        default:
            return false;
    }
}

}  // namespace

bool f4assignStored(Field4* to, Field4* from) {
    if (!to || !from) return false;
    const FieldLayout& a = to->layout;
    const FieldLayout& b = from->layout;
    if (a.type != b.type || a.len != b.len || a.dec != b.dec) return false;
    const std::string_view stored = fieldBytes(from);
    if (!inStoredForm(stored, b.type, b.dec)) return false;
    if (beginChange(to->table) != 0) return false;
    std::memcpy(to->table->rec.data() + a.offset, stored.data(), stored.size());
    return true;
}

int f4assignInt(Field4* f, int v) {
    return f ? assignInteger(f, v) : e4parm;
}
int f4assignLong(Field4* f, long v) {
    return f ? assignInteger(f, v) : e4parm;
}
int f4assignDouble(Field4* f, double v) {
    return f ? assignNumber(f, v) : e4parm;
}

const std::string& f4name(Field4* f) {
    return f ? f->layout.name : kEmpty;
}
char f4type(Field4* f) {
    return f ? f->layout.type : '\0';
}
int f4len(Field4* f) {
    return f ? f->layout.len : 0;
}
int f4decimals(Field4* f) {
    return f ? f->layout.dec : 0;
}

}  // namespace engine
