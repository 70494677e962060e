#pragma once

// TNewBooks: the name of new books, the business they are kept for and the folder they are
// kept under. The books' folder is that folder and the name (the books' name is always their
// folder's name); it must not hold books already. The default place is the user's data
// directory. The business's name, which the reports carry, is the books' name unless the user
// gives another (a folder's name cannot hold every character a business's name may).

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace books {

class TNewBooks : public QDialog {
    Q_OBJECT

public:
    explicit TNewBooks(QWidget* parent = nullptr);

    // The new books' folder once accepted.
    std::string folder() const { return folder_; }
    // The business's name once accepted.
    std::string company() const { return company_; }

    QLineEdit* EditName = nullptr;
    QLineEdit* EditCompany = nullptr;
    QLineEdit* EditPlace = nullptr;
    QLabel* LabelFolder = nullptr;
    QPushButton* BtnBrowse = nullptr;
    QPushButton* BtnCreate = nullptr;
    QPushButton* BtnCancel = nullptr;

public slots:
    void BtnCreateClick();
    void BtnBrowseClick();
    void ShowFolder();

private:
    std::string folder_;
    std::string company_;
};

}  // namespace books
