// The display modes the driver offers, and the choice of one against the configured criteria.
#pragma once

#include "launcher/config_file.h"
#include "platform/win32_api.h"

#include <vector>

// The platform's full display-mode record is what gets handed to the platform, so that it can
// never write past one.
static_assert(sizeof(DEVMODEA) == 156, "DEVMODEA must be the platform's full record");

// Modes in enumeration order, nothing sorted, merged or removed.
using ModeCatalogue = std::vector<DEVMODEA>;

// SelectMode's answer when no mode is acceptable.
constexpr int kNoSuitableMode = -2;

// The field of a display mode that a mode kind (WIDTH, HEIGHT, DEPTH, FREQ) names, and the
// FieldMask bit that says the switch names it; 0 for the other kinds.
DWORD ModeField(const DEVMODEA& mode, EntryKind kind);
DWORD FieldBit(EntryKind kind);

// The walk over the catalogue that found the chosen mode: the strict one first, and only when it
// finds nothing the relaxed one, in which 24 and 32 bits stand in for each other and the
// frequency is left to the platform.
enum class SelectionPass { None, Strict, Relaxed };

// The choice: the position of the first mode that every criterion accepts in the first pass that
// finds one, that mode's FieldMask, and the pass; kNoSuitableMode, 0 and None when no mode is
// acceptable in either.
struct ModeChoice {
  int position = kNoSuitableMode;
  DWORD fieldMask = 0;
  SelectionPass pass = SelectionPass::None;
};
ModeChoice ChooseMode(const ModeCatalogue& catalogue, const CriteriaList& criteria);

// The platform's side (mode_selection_win32.cpp), asked the way the launcher asks it (each record
// zero-filled first): the display's modes from number 0 until it answers 0, keeping those
// answered with 1, appended to `catalogue`; and the mode in force, all zero when the query fails.
void EnumerateDisplayModes(ModeCatalogue& catalogue);
DEVMODEA QueryCurrentMode();
