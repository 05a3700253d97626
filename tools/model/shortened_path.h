// A path shown in a line of bounded width: its middle gives way to "...", as Windows shortens a
// path in a narrow field, so that its start (the drive) and its file name stay readable.
#pragma once

#include <cstddef>
#include <string>

// `path` as it stands when it has at most `width` characters; otherwise its start, "..." and its
// last component with the separator before it ("C:\Games\...\GAME.EXE"); where that does not fit,
// "..." and the file name, and where even that does not, the file name's start and "...". Never
// longer than `width`.
std::string ShortenedPath(const std::string& path, size_t width);
