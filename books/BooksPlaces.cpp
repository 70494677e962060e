#include "books/BooksPlaces.h"

#include <cstdlib>
#include <filesystem>

#include "data/UserFiles.h"

namespace books {

std::string BooksHome() {
    return cbk::UserDataDir();
}

std::string SampleBooksDir() {
    return BooksHome() + "/Sample";
}

std::string RecentBooksFile() {
    return cbk::UserConfigFile("books.conf");
}

std::string BooksName(const std::string& dir) {
    std::string d = dir;
    while (d.size() > 1 && d.back() == '/') d.pop_back();
    const auto slash = d.rfind('/');
    return slash == std::string::npos ? d : d.substr(slash + 1);
}

std::string CleanDir(const std::string& dir) {
    std::error_code ec;
    std::string clean = std::filesystem::absolute(dir, ec).lexically_normal().string();
    if (ec) clean = dir;
    while (clean.size() > 1 && clean.back() == '/') clean.pop_back();
    return clean;
}

std::string BooksNameProblem(const std::string& name) {
    if (name.find_first_not_of(' ') == std::string::npos) return "The books need a name.";
    if (name.find('/') != std::string::npos || name == "." || name == "..")
        return "A name of books cannot hold \"/\" or be \".\" or \"..\".";
    if (name.size() > 100) return "A name of books can have at most 100 characters.";
    return {};
}

}  // namespace books
