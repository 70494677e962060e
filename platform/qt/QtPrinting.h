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
    int pageWidth() override;
    int pageHeight() override;
    int lineHeight(const FontSpec& font) override;
    void printerSetupDialog() override;
    bool fontDialog(FontSpec& font) override;

    // The printer object itself, for printing the reports. Without an installed printer it
    // still carries the paper and orientation of the page setup.
    QPrinter& printer() { return *printer_; }

private:
    std::unique_ptr<QPrinter> printer_;
};

// The Qt printer behind `printing`, or nullptr when it is not the Qt implementation.
QPrinter* PrinterOf(Printing& printing);

QFont toQFont(const FontSpec& attributes);
// The attributes of `font`; the colour, which a QFont does not carry, is taken from `colour`.
FontSpec toFontSpec(const QFont& font, std::uint32_t colour);

}  // namespace platform::qt
