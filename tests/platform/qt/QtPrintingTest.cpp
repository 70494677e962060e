#include "platform/qt/QtPrinting.h"

#include <gtest/gtest.h>

#include "support/QtApplication.h"

#include <QApplication>
#include <QFont>

TEST(QtPrinting, FontsKeepTheirAttributesAcrossTheDialogForm) {
    cbk::testing::ensureApplication();
    const platform::FontSpec attributes{"Courier", 12, true, false, true, false, 0xff0000};
    const QFont font = platform::qt::toQFont(attributes);
    EXPECT_EQ(font.family(), "Courier");
    EXPECT_EQ(font.pointSize(), 12);
    const platform::FontSpec back = platform::qt::toFontSpec(font, attributes.colour);
    EXPECT_EQ(back.name, "Courier");
    EXPECT_EQ(back.size, 12);
    EXPECT_TRUE(back.bold);
    EXPECT_FALSE(back.italic);
    EXPECT_TRUE(back.underline);
    EXPECT_FALSE(back.strikeOut);
    EXPECT_EQ(back.colour, 0xff0000u);
}

TEST(QtPrinting, WithoutAnInstalledPrinterNoneIsSelected) {
    cbk::testing::ensureApplication();
    platform::qt::QtPrinting printing;
    if (printing.printerInstalled()) GTEST_SKIP() << "a printer is installed here";
    EXPECT_EQ(printing.printerIndex(), -1);
    EXPECT_FALSE(printing.landscape());
    // No page to measure: the report pages hold 60 lines.
    EXPECT_EQ(printing.pageHeight(), 0);
    EXPECT_EQ(printing.pageWidth(), 0);
    EXPECT_EQ(printing.lineHeight({"DejaVu Sans", 10}), 0);
}
