#pragma once

// Key and filter expressions of the index tags: field references, STR(n, len[, dec]),
// DTOS(d), "+", .NOT., DELETED(); any case, blanks anywhere. An expression is parsed once
// against a table's field layout and then evaluated on raw record bytes (delete flag first),
// giving key bytes in the table's own code page.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/engine/FieldLayout.h"

namespace engine {

class KeyExpression {
public:
    // Returns nothing (and a message in `error`) for text that is not a valid expression over
    // `fields` (unknown field, wrong argument type, garbage).
    static std::optional<KeyExpression> parse(std::string_view text,
                                              const std::vector<FieldLayout>& fields,
                                              std::string* error = nullptr);

    KeyExpression(KeyExpression&&) noexcept;
    KeyExpression& operator=(KeyExpression&&) noexcept;
    ~KeyExpression();

    // 'C' for text keys (STR, DTOS, character fields, concatenations), 'N' for a single
    // numeric field (stored in Clipper's numeric key form), 'D' for a single date field,
    // 'L' for a logical expression (filters).
    char type() const;
    int keyLength() const;  // bytes a key occupies; 0 for logical expressions
    int keyDecimals() const;
    // Upper case, blanks removed: the form written into an index header.
    const std::string& canonicalText() const;

    // Appends exactly keyLength() bytes to `out`.
    void evaluate(const char* record, std::string& out) const;
    // For logical expressions (filters).
    bool evaluateBool(const char* record) const;
    // Whether the value depends on any of the record's bytes from `from` up to `to`.
    bool reads(int from, int to) const;

    // Turns a seek text into key bytes to compare with stored keys. For a numeric key a text
    // such as "   7" means the number 7 and gives its full key; for text keys the bytes are
    // returned as given (a partial key stays partial). `text` is already in the table's code
    // page.
    std::string seekKey(std::string_view text) const;
    std::string seekKey(double value) const;

private:
    friend class KeyExpressionParser;
    struct Node;
    KeyExpression();
    std::unique_ptr<Node> root_;
    char type_ = 'C';
    int length_ = 0;
    int decimals_ = 0;
    std::string canonical_;
};

// Clipper's STR(value, len, dec): right-aligned, rounded half away from zero, `len`
// asterisks when the value does not fit.
std::string clipperStr(double value, int len, int dec);

// Clipper's numeric key form of `value` in a key of `len` bytes with `dec` decimals.
std::string numericKey(double value, int len, int dec);

}  // namespace engine
