// Where the text the launcher reads ends before the file does: at a NUL byte among the first 998
// bytes, or at the 998-byte limit itself.
#pragma once

#include "tools/model/config_check.h"

#include <cstdint>
#include <string>
#include <vector>

// The line of `text` that `offset` lies on, from 1, counted as an editor counts them: CR LF, LF
// and CR each end one.
int LineOf(const std::string& text, size_t offset);

// The NUL and read-limit findings of plain text whose file is `size` bytes long (of which
// `plainText` may hold only the first part), or at least `size` bytes when `sizeKnown` is false.
// Each counts against the run only when it loses entries; otherwise it is only told.
std::vector<Finding> TextLimits(const std::string& plainText, uint64_t size, bool sizeKnown = true);
