#pragma once

// Helpers the engine tests share: a fresh directory per test and raw file bytes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace enginetest {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "cbk-engine-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void put16(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

inline void put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::uint32_t get32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

struct RawField {
    std::string name;
    char type;
    int len;  // up to 65535: the high byte goes into the decimals byte for C
    int dec = 0;
};

// A table written byte by byte, the way other xBase programs write it.
inline std::string rawTable(std::uint8_t version, std::uint8_t languageByte,
                            const std::vector<RawField>& fields,
                            const std::vector<std::string>& records, int headerExtra = 1) {
    int recLen = 1;
    for (const auto& f : fields) recLen += f.len;
    std::size_t headerLen = 32 + 32 * fields.size() + static_cast<std::size_t>(headerExtra);
    std::string s(headerLen, '\0');
    s[0] = static_cast<char>(version);
    s[1] = 99;
    s[2] = 7;
    s[3] = 4;
    put32(s, 4, static_cast<std::uint32_t>(records.size()));
    put16(s, 8, static_cast<unsigned>(headerLen));
    put16(s, 10, static_cast<unsigned>(recLen));
    s[29] = static_cast<char>(languageByte);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::size_t d = 32 + 32 * i;
        for (std::size_t k = 0; k < fields[i].name.size(); ++k) s[d + k] = fields[i].name[k];
        s[d + 11] = fields[i].type;
        s[d + 16] = static_cast<char>(fields[i].len & 0xFF);
        s[d + 17] = static_cast<char>(fields[i].type == 'C' ? (fields[i].len >> 8) : fields[i].dec);
    }
    s[32 + 32 * fields.size()] = 0x0D;
    for (const auto& r : records) {
        std::string rec = r;
        rec.resize(static_cast<std::size_t>(recLen), ' ');
        s += rec;
    }
    s.push_back(0x1A);
    return s;
}

}  // namespace enginetest
