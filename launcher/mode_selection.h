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

// One walk over the catalogue: the position of the first mode that every criterion accepts,
// with that mode's FieldMask written to `fieldMask`; -1 and `fieldMask` untouched when none does.
int StrictPass(const ModeCatalogue& catalogue, const CriteriaList& criteria, DWORD& fieldMask);
int RelaxedPass(const ModeCatalogue& catalogue, const CriteriaList& criteria, DWORD& fieldMask);

// The strict pass, then the relaxed one: the first acceptable position, or kNoSuitableMode.
int SelectMode(const ModeCatalogue& catalogue, const CriteriaList& criteria, DWORD& fieldMask);

// The platform's side (mode_selection_win32.cpp), asked the way the launcher asks it (each record
// zero-filled first): the display's modes from number 0 until it answers 0, keeping those
// answered with 1, appended to `catalogue`; and the mode in force, all zero when the query fails.
void EnumerateDisplayModes(ModeCatalogue& catalogue);
DEVMODEA QueryCurrentMode();
