#pragma once

// The program's pictures, drawn when first asked for: the picture buttons of the main window
// (each a bitmap carrying its own label) and the product picture of the about box.

#include <QPixmap>
#include <QSize>

namespace cbk {

enum class Picture {
    Income,
    AccountsIncome,  // green digits
    Folders,
    AccountsExpense,  // red digits
    Expenses,
    ImportPayments,
    RateChange,
    ExpenseReports,
    IncomeReports,
    ProfitReports,
    GeneralLedger,
    Backup,
    Restore,
    Archive,
    DeArchive,
    ReIndex,
    Pack,
    EraseData,
    Upgrade,
};

// The label the picture carries ("Income", "Erase Data Files", ...).
const char* pictureLabel(Picture picture);
// The design size of the button that shows the picture (128 x 96, 96 x 32 or 64 x 32).
QSize pictureSize(Picture picture);
QPixmap pictureButton(Picture picture);

// The product picture of the about box, 400 x 241.
QPixmap productPicture();

}  // namespace cbk
