#pragma once

// New books and the check of books from elsewhere. New books are the six tables, empty but for
// a starter chart of accounts (the common expense accounts of a small business, a few income
// accounts, the folder "General") and the settings record, with their index and group files.

#include <string>

#include "data/SampleData.h"

namespace books {

// The accounts and the folder new books start with; the user keeps, changes or deletes them.
const cbk::TableSeed& StarterChart();

// True when `dir` holds the six tables (names matched without regard to case).
bool HoldsBooks(const std::string& dir);

// The first of the six tables `dir` holds ("ACC.dbf"), or empty when it holds none.
std::string AnyTableIn(const std::string& dir);

// Makes new books in `dir` (made when needed), `company` the business's name in their
// settings. Refused, with nothing written, when `dir` already holds one of the tables. Returns
// true, or false with the reason in `message`.
bool CreateNewBooks(const std::string& dir, std::string* message, const std::string& company = {});

// Whether `dir` holds books the program can start on: each of the six tables is there and
// passes the layout check. False with a message for the user naming the folder and the fault.
bool CheckBooksFolder(const std::string& dir, std::string* message);

}  // namespace books
