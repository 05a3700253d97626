// Lisko's job, declared for the program's entry point and for the host's unit tests.
#pragma once

#include <cstddef>

#include "platform/win32_api.h"

// Capacity of the search-pattern buffer in UTF-16 units, terminator included (260 bytes).
constexpr size_t kPatternCapacity = 130;

// Lists the entries of "../UserMP3s/" into "../fsxml/usermp3.xml", both relative to the current
// directory. Prints one line on standard output when something fails; the outcome shows only
// there and in the list file.
void WriteMusicList();

// The same job for another music folder (a UTF-16 name ending in a slash). The list file is the
// same. WriteMusicList calls it with the built-in folder.
void WriteFolderList(const WCHAR* musicFolder);

// Writes the low 8 bits of each of the `units` UTF-16 units of `name` into `narrowed`, one byte
// per unit (so `narrowed` holds at least `units` bytes): nothing is replaced, escaped or dropped,
// zero bytes and line feeds included. Answers the end of what was written.
char* NarrowName(const WCHAR* name, size_t units, char* narrowed);

// Bounded text operations over UTF-16 units; each examines or writes at most `bound` or
// `capacity` units.
//
// Counts the units before the terminator into *length, examining at most `bound` units. Fails
// (false, *length untouched) when none of them is the terminator.
bool MeasureUnits(const WCHAR* text, size_t bound, size_t* length);

// Copies units of `source` until its terminator or until `count` units are copied, and always
// terminates `destination`. When the destination fills up, its last unit is overwritten with the
// terminator, so the copied text is cut by one unit; the answer is then false. With a capacity of
// 0 nothing is written and the answer is false.
bool CopyUnits(WCHAR* destination, size_t capacity, const WCHAR* source, size_t count);

// Appends the terminated `source` to the text in `destination` under the bounded copy's rules.
// When the destination holds no terminator within `capacity` units, nothing is appended and the
// answer is false.
bool AppendUnits(WCHAR* destination, size_t capacity, const WCHAR* source);
