// Parses the input's first line as a key or filter expression over a table like the expense
// table and evaluates it on the rest of the input taken as a record. An expression that parses
// must evaluate to exactly its key length and must parse again from its canonical text (the
// form an index header keeps), with the same type and length.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/engine/KeyExpression.h"

using namespace engine;

namespace {

std::vector<FieldLayout> fields() {
    std::vector<FieldLayout> f = {{"EXPDATE", 'D', 0, 8, 0}, {"CHECKNO", 'N', 0, 8, 0},
                                  {"ACCNO", 'N', 0, 4, 0},   {"PAYTO", 'C', 0, 30, 0},
                                  {"AMOUNT", 'N', 0, 10, 2}, {"ARCHIVE", 'L', 0, 1, 0},
                                  {"RATE", 'F', 0, 12, 4},   {"MEMO", 'M', 0, 10, 0}};
    int offset = 1;
    for (auto& x : f) {
        x.offset = offset;
        offset += x.len;
    }
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<FieldLayout> layout = fields();
    static const int recordLength = layout.back().offset + layout.back().len;
    std::string input(reinterpret_cast<const char*>(data), size);
    auto nl = input.find('\n');
    std::string text = input.substr(0, nl);
    std::string record = nl == std::string::npos ? std::string() : input.substr(nl + 1);
    record.resize(static_cast<std::size_t>(recordLength), ' ');

    std::string why;
    auto expr = KeyExpression::parse(text, layout, &why);
    if (!expr) return 0;
    auto again = KeyExpression::parse(expr->canonicalText(), layout, &why);
    if (!again || again->type() != expr->type() || again->keyLength() != expr->keyLength())
        __builtin_trap();
    if (expr->type() == 'L') {
        (void)expr->evaluateBool(record.data());
        return 0;
    }
    std::string key;
    expr->evaluate(record.data(), key);
    if (key.size() != static_cast<std::size_t>(expr->keyLength())) __builtin_trap();
    (void)expr->seekKey(record.substr(0, 12));
    (void)expr->seekKey(-12.5);
    return 0;
}
