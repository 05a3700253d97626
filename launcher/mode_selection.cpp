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

// The first mode in enumeration order that every criterion accepts, or -1.
int RunPass(const ModeCatalogue& catalogue, const CriteriaList& criteria, bool relaxed,
            DWORD& fieldMask) {
  for (size_t position = 0; position < catalogue.size(); ++position) {
    DWORD modeMask = 0;
    bool accepted = std::all_of(criteria.begin(), criteria.end(), [&](const ModeCriterion& c) {
      return c.MatchCriterion(catalogue[position], modeMask, relaxed);
    });
    if (accepted) {
      fieldMask = modeMask;
      return static_cast<int>(position);
    }
  }
  return -1;
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

int StrictPass(const ModeCatalogue& catalogue, const CriteriaList& criteria, DWORD& fieldMask) {
  return RunPass(catalogue, criteria, false, fieldMask);
}

int RelaxedPass(const ModeCatalogue& catalogue, const CriteriaList& criteria, DWORD& fieldMask) {
  return RunPass(catalogue, criteria, true, fieldMask);
}

int SelectMode(const ModeCatalogue& catalogue, const CriteriaList& criteria, DWORD& fieldMask) {
  int position = StrictPass(catalogue, criteria, fieldMask);
  if (position < 0) position = RelaxedPass(catalogue, criteria, fieldMask);
  return position < 0 ? kNoSuitableMode : position;
}

int LaunchContext::SelectMode(DWORD& fieldMask) const {
  return ::SelectMode(modeCatalogue, criteria, fieldMask);
}
