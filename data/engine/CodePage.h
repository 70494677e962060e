#pragma once

// The single-byte code pages in which tables keep their text. Text is UTF-8 in memory; a
// table's code page is named by the language byte of its header (offset 29).

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

class CodePage {
public:
    // The code page a header's language byte names; bytes the engine does not know (and 0x00,
    // "none") read as Windows-1252, the code page of the tables the engine makes.
    static const CodePage& forLanguageByte(std::uint8_t ldid);
    static const CodePage& windows1252();
    static constexpr std::uint8_t kWindows1252Byte = 0x03;

    int number() const { return number_; }  // 437, 850, 1252, ...

    // Stored bytes to UTF-8, appended to `out`.
    void decode(std::string_view stored, std::string& out) const;
    std::string decode(std::string_view stored) const;
    // UTF-8 to stored bytes, one byte per character. A character the code page cannot hold
    // becomes '?', and so does every byte of a malformed UTF-8 sequence.
    std::string encode(std::string_view utf8) const;

    CodePage(int number, const std::uint16_t* upper);

private:
    int number_;
    const std::uint16_t* upper_;  // code points of bytes 0x80..0xFF
    // (code point, byte) of the upper half, sorted by code point, for encoding.
    std::uint32_t reverse_[128];
};

}  // namespace engine
