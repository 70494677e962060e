#pragma once

// TBooksChooser: the window a run starts with when it has no books chosen. It offers the books
// last opened (most recent first), new books, books from a folder and the sample books, and
// ends with the choice; the program then starts on those books. Quitting chooses nothing.

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "books/BooksEntry.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace books {

class TBooksChooser : public QDialog {
    Q_OBJECT

public:
    // `recent`: the remembered books still there, most recent first.
    explicit TBooksChooser(const std::vector<std::string>& recent, QWidget* parent = nullptr);

    const BooksChoice& choice() const { return choice_; }

    // Asks for a folder of existing books; empty when cancelled. A folder dialog unless a
    // test puts its own answer here.
    std::function<std::string()> chooseFolder;
    // Runs the new-books dialog: the new books' folder and business name, or kind None when
    // cancelled.
    std::function<BooksChoice()> askNewBooks;

    QListWidget* ListBooks = nullptr;
    QLabel* LabelNone = nullptr;
    QPushButton* BtnOpen = nullptr;
    QPushButton* BtnNew = nullptr;
    QPushButton* BtnOpenFolder = nullptr;
    QPushButton* BtnSample = nullptr;
    QPushButton* BtnQuit = nullptr;

public slots:
    void BtnOpenClick();
    void BtnNewClick();
    void BtnOpenFolderClick();
    void BtnSampleClick();

private:
    // Ends the dialog with `dir` when it holds sound books; otherwise says why and stays.
    void OpenExisting(const std::string& dir);
    void Choose(BooksChoice choice);

    BooksChoice choice_;
};

// The chooser run modally on `recent`: the books entry's chooser.
std::optional<BooksChoice> AskBooksChooser(const std::vector<std::string>& recent);

}  // namespace books
