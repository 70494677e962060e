#pragma once

// The printer the program prints on: the user's default printer at start, changed by the
// printer setup dialog; and the font dialog.

#include <memory>

#include "platform/Platform.h"

class QFont;
class QPrinter;

namespace platform::qt {

class QtPrinting : public Printing {
public:
    QtPrinting();
    ~QtPrinting() override;

    bool printerInstalled() override;
    int printerIndex() override;
    std::string printerEntry() override;
    bool landscape() override;
    void printerSetupDialog() override;
    bool fontDialog(FontSpec& font) override;

    // The printer object itself, for printing the reports.
    QPrinter& printer() { return *printer_; }

private:
    std::unique_ptr<QPrinter> printer_;
};

QFont toQFont(const FontSpec& attributes);
// The attributes of `font`; the colour, which a QFont does not carry, is taken from `colour`.
FontSpec toFontSpec(const QFont& font, std::uint32_t colour);

}  // namespace platform::qt
