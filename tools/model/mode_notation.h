// The tool's notation for display modes: WIDTHxHEIGHTxBITS@HZ, e.g. 800x600x32@60, and lists of
// them separated by commas or white space, in enumeration order.
#pragma once

#include "launcher/mode_selection.h"

#include <string>

// "800x600x32@60" for a catalogue entry.
std::string FormatMode(const DEVMODEA& mode);

// Every entry of a catalogue, one a line, numbered from 1: "mode 8 of 27: 800x600x32@60".
std::string FormatCatalogue(const ModeCatalogue& catalogue);

// Parses a mode list into `catalogue` (replacing what it held). An empty list is an empty
// catalogue. False, with the offending element in `error`, when an element is not a mode.
bool ParseModeList(const std::string& text, ModeCatalogue& catalogue, std::string& error);
