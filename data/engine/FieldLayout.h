#pragma once

#include <string>

namespace engine {

// Where one field lies in a record (byte 0 of a record is the delete flag).
struct FieldLayout {
    std::string name;  // upper case as stored
    char type = 'C';   // dBASE type letter
    int offset = 0;    // from the start of the record, delete flag included
    int len = 0;
    int dec = 0;
};

}  // namespace engine
