// Choosing the first display mode of a catalogue that the criteria accept: rules over the list
// handed in. The display is asked for its modes in mode_selection_win32.cpp.
#include "launcher/mode_selection.h"

#include "launcher/launch_context.h"

#include <algorithm>

namespace {

bool IsListed(const std::vector<int32_t>& values, DWORD field) {
  return std::any_of(values.begin(), values.end(),
                     [field](int32_t value) { return static_cast<DWORD>(value) == field; });
}

// The first mode in enumeration order that every criterion accepts in the pass, with its mask.
ModeChoice RunPass(const ModeCatalogue& catalogue, const CriteriaList& criteria, SelectionPass pass) {
  bool relaxed = pass == SelectionPass::Relaxed;
  for (size_t position = 0; position < catalogue.size(); ++position) {
    DWORD modeMask = 0;
    bool accepted = std::all_of(criteria.begin(), criteria.end(), [&](const ModeCriterion& c) {
      return c.MatchCriterion(catalogue[position], modeMask, relaxed);
    });
    if (accepted) return {static_cast<int>(position), modeMask, pass};
  }
  return {};
}

}  // namespace

DWORD ModeField(const DEVMODEA& mode, EntryKind kind) {
  switch (kind) {
    case EntryKind::Width: return mode.dmPelsWidth;
    case EntryKind::Height: return mode.dmPelsHeight;
    case EntryKind::Depth: return mode.dmBitsPerPel;
    case EntryKind::Freq: return mode.dmDisplayFrequency;
    default: return 0;
  }
}

DWORD FieldBit(EntryKind kind) {
  switch (kind) {
    case EntryKind::Width: return DM_PELSWIDTH;
    case EntryKind::Height: return DM_PELSHEIGHT;
    case EntryKind::Depth: return DM_BITSPERPEL;
    case EntryKind::Freq: return DM_DISPLAYFREQUENCY;
    default: return 0;
  }
}

bool ModeCriterion::MatchCriterion(const DEVMODEA& mode, DWORD& fieldMask, bool relaxed) const {
  // PATH, BACKDROP and WAITALL name no field and accept every mode; STRICT and no kind, none.
  if (!IsModeKind(kind)) return kind == EntryKind::Path || kind == EntryKind::Backdrop || kind == EntryKind::WaitAll;
  // The relaxed pass ignores the frequency and leaves it to the platform.
  if (relaxed && kind == EntryKind::Freq) return true;
  // In the relaxed pass 24 and 32 bits stand in for each other; no other depths do.
  DWORD field = ModeField(mode, kind);
  bool standsIn = relaxed && kind == EntryKind::Depth &&
                  ((field == 24 && IsListed(values, 32)) || (field == 32 && IsListed(values, 24)));
  if (!IsListed(values, field) && !standsIn) return false;
  fieldMask |= FieldBit(kind);
  return true;
}

ModeChoice ChooseMode(const ModeCatalogue& catalogue, const CriteriaList& criteria) {
  ModeChoice choice = RunPass(catalogue, criteria, SelectionPass::Strict);
  return choice.pass != SelectionPass::None ? choice : RunPass(catalogue, criteria, SelectionPass::Relaxed);
}

int LaunchContext::SelectMode(DWORD& fieldMask) const {
  ModeChoice choice = ChooseMode(modeCatalogue, criteria);
  if (choice.pass != SelectionPass::None) fieldMask = choice.fieldMask;
  return choice.position;
}
