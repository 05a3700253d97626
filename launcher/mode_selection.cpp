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

bool ModeCriterion::MatchCriterion(const DEVMODEA& mode, DWORD& fieldMask, bool relaxed) const {
  switch (kind) {
    case EntryKind::Width:
      if (!IsListed(values, mode.dmPelsWidth)) return false;
      fieldMask |= DM_PELSWIDTH;
      return true;
    case EntryKind::Height:
      if (!IsListed(values, mode.dmPelsHeight)) return false;
      fieldMask |= DM_PELSHEIGHT;
      return true;
    case EntryKind::Depth: {
      // In the relaxed pass 24 and 32 bits stand in for each other; no other depths do.
      DWORD bits = mode.dmBitsPerPel;
      bool listed = IsListed(values, bits) ||
                    (relaxed && ((bits == 24 && IsListed(values, 32)) ||
                                 (bits == 32 && IsListed(values, 24))));
      if (!listed) return false;
      fieldMask |= DM_BITSPERPEL;
      return true;
    }
    case EntryKind::Freq:
      // The relaxed pass ignores the frequency and leaves it to the platform.
      if (relaxed) return true;
      if (!IsListed(values, mode.dmDisplayFrequency)) return false;
      fieldMask |= DM_DISPLAYFREQUENCY;
      return true;
    case EntryKind::Path:
    case EntryKind::Backdrop:
    case EntryKind::WaitAll:
      return true;
    case EntryKind::None:
    case EntryKind::Strict:
      break;
  }
  return false;
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
