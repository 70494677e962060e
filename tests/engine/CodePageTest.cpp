#include "data/engine/CodePage.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

TEST(CodePage, LanguageBytesNameTheirCodePages) {
    EXPECT_EQ(CodePage::forLanguageByte(0x01).number(), 437);
    EXPECT_EQ(CodePage::forLanguageByte(0x02).number(), 850);
    EXPECT_EQ(CodePage::forLanguageByte(0x03).number(), 1252);
    EXPECT_EQ(CodePage::forLanguageByte(0x57).number(), 1252);
    EXPECT_EQ(CodePage::forLanguageByte(0x64).number(), 852);
    EXPECT_EQ(CodePage::forLanguageByte(0xC9).number(), 1251);
    EXPECT_EQ(CodePage::forLanguageByte(0x00).number(), 1252);
    EXPECT_EQ(CodePage::forLanguageByte(0xEE).number(), 1252);
}

TEST(CodePage, DecodesAccentedLettersOfEachPage) {
    // "Café Müller" in each code page.
    EXPECT_EQ(CodePage::forLanguageByte(0x01).decode("Caf\x82 M\x81ller"), "Café Müller");
    EXPECT_EQ(CodePage::forLanguageByte(0x02).decode("Caf\x82 M\x81ller"), "Café Müller");
    EXPECT_EQ(CodePage::windows1252().decode("Caf\xE9 M\xFCller"), "Café Müller");
    // Bytes where the DOS pages differ: 0x9B is ¢ in 437, ø in 850; 0x80 is € in 1252.
    EXPECT_EQ(CodePage::forLanguageByte(0x01).decode("\x9B"), "¢");
    EXPECT_EQ(CodePage::forLanguageByte(0x02).decode("\x9B"), "ø");
    EXPECT_EQ(CodePage::windows1252().decode("\x80"), "€");
}

TEST(CodePage, EncodesOneByteACharacterAndMarksWhatItCannotHold) {
    const auto& w = CodePage::windows1252();
    EXPECT_EQ(w.encode("Café €5"),
              "Caf\xE9 \x80"
              "5");
    EXPECT_EQ(w.encode("Ωmega 😀"), "?mega ?");
    EXPECT_EQ(CodePage::forLanguageByte(0x01).encode("Ω"), "\xEA");
    // Malformed UTF-8: each stray byte becomes one '?', the rest goes through.
    EXPECT_EQ(w.encode("a\xC3"
                       "b\xFF"
                       "c\xE2\x82"),
              "a?b?c??");
    EXPECT_EQ(w.encode("\xED\xA0\x80"), "???");  // a lone surrogate
}

TEST(CodePage, EveryByteSurvivesARoundTrip) {
    for (int ldid : {0x01, 0x02, 0x03, 0x64, 0x65, 0xC8, 0xC9, 0xCA, 0xCB, 0x04}) {
        const auto& cp = CodePage::forLanguageByte(static_cast<std::uint8_t>(ldid));
        for (int b = 1; b < 256; ++b) {
            std::string one(1, static_cast<char>(b));
            EXPECT_EQ(cp.encode(cp.decode(one)), one) << cp.number() << " byte " << b;
        }
    }
}

}  // namespace
}  // namespace engine
