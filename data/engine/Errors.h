#pragma once

// The engine's result and error words. Moves and seeks return a result word (0 success,
// r4after, r4eof); failures leave a negative error code pending in the engine handle, which
// the caller reads (and clears) with code4errorCode.

namespace engine {

// Results of moves and seeks.
inline constexpr int r4success = 0;
inline constexpr int r4found = 0;  // d4seek: key found exactly
inline constexpr int r4bof = 1;
inline constexpr int r4after = 2;  // d4seek: positioned on the next key
inline constexpr int r4eof = 3;

// Error codes (always negative).
inline constexpr int e4close = -10;
inline constexpr int e4create = -20;
inline constexpr int e4lock = -50;
inline constexpr int e4open = -60;
inline constexpr int e4read = -70;
inline constexpr int e4write = -80;
inline constexpr int e4rename = -90;
inline constexpr int e4remove = -95;
inline constexpr int e4full = -100;    // disk full
inline constexpr int e4access = -110;  // permission denied / write protected
inline constexpr int e4data = -200;    // a .dbf that is not a valid table
inline constexpr int e4fieldName = -210;
inline constexpr int e4fieldType = -220;
inline constexpr int e4recordLen = -230;
inline constexpr int e4index = -300;  // a damaged .ntx or .cgp
inline constexpr int e4tagName = -330;
inline constexpr int e4expr = -400;  // key or filter expression that cannot be parsed
inline constexpr int e4parm = -500;  // bad argument (record number out of range, ...)
inline constexpr int e4info = -910;  // internal inconsistency
inline constexpr int e4memory = -920;

// Maps an errno value from the file-system seam to the engine's error word.
int errnoToError(int err, int fallback);

}  // namespace engine
