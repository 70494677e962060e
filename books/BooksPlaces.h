#pragma once

// Where books live and what they are called. The books' name is the base name of their
// directory ("~/.local/share/Cantabook/Acme Repairs" is "Acme Repairs"), the name backups and
// the main window show. New books go under the user's data directory, the list of books last
// opened in the user's configuration directory (both as the XDG base directories say).

#include <string>

namespace books {

// ${XDG_DATA_HOME:-~/.local/share}/Cantabook: the default home of new books.
std::string BooksHome();

// BooksHome()/Sample: the sample books.
std::string SampleBooksDir();

// ${XDG_CONFIG_HOME:-~/.config}/Cantabook/books.conf: the books last opened.
std::string RecentBooksFile();

// The books' name: the last part of `dir`, trailing slashes ignored.
std::string BooksName(const std::string& dir);

// `dir` made absolute and without "." or ".." parts or a trailing slash (it need not exist).
std::string CleanDir(const std::string& dir);

// Why `name` cannot name books (and so a folder), or empty when it can: not empty, no "/",
// not "." or "..", at most 100 characters.
std::string BooksNameProblem(const std::string& name);

}  // namespace books
