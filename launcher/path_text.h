// The launcher's fixed path fields and the one way they are filled.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

// Every path of a run is NUL-terminated ANSI text of at most 1023 characters in 1024 bytes.
constexpr size_t kPathCapacity = 1024;
using PathText = char[kPathCapacity];

// Sets `path` to the parts joined in order when the whole fits with its terminator, and answers
// true. Otherwise `path` is left as it was and the answer is false: a path is never cut short.
bool ComposePath(PathText& path, std::initializer_list<std::string_view> parts);
