// Mode selection over a fuzzed catalogue and fuzzed criteria, checked by the properties every
// choice has rather than by a second copy of the rules: every criterion accepts the chosen mode
// by its pass's rules and builds its FieldMask; no earlier mode is acceptable in that pass; the
// strict pass wins wherever it finds a mode; no choice only when no mode is acceptable even
// relaxed. Each criterion's answers obey the rules' shape: its own bit only, the relaxed pass
// accepting more, the frequency ignored when relaxed, only 24 and 32 bits standing in for each
// other.
#include "launcher/mode_selection.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// Values that real modes and real configurations use, so that matches are common; any other
// 32-bit value now and then.
DWORD PickValue(FuzzedDataProvider& input) {
  static constexpr DWORD kCommon[] = {0, 8, 15, 16, 24, 32, 60, 75, 85, 320, 480, 600, 640,
                                      768, 800, 1024, 0xFFFFFFFFu};
  if (input.ConsumeBool()) return input.ConsumeIntegral<DWORD>();
  return input.PickValueInArray(kCommon);
}

// Whether every criterion accepts `mode` in the pass, and the mask they build.
bool AcceptsAll(const CriteriaList& criteria, const DEVMODEA& mode, bool relaxed, DWORD& mask) {
  mask = 0;
  for (const ModeCriterion& criterion : criteria) {
    if (!criterion.MatchCriterion(mode, mask, relaxed)) return false;
  }
  return true;
}

// What any criterion's answer for one mode must be, whatever its rules: a rejection leaves the
// mask as it was, an acceptance adds at most its own kind's bit (none for the frequency when
// relaxed), the relaxed pass accepts whatever the strict one does and never looks at the
// frequency, and an acceptance that only the relaxed rules give is one of 24 and 32 bits
// standing in for the other.
void CheckOneCriterion(const ModeCriterion& criterion, const DEVMODEA& mode) {
  for (bool relaxed : {false, true}) {
    const DWORD before = 0x00000001u;
    DWORD mask = before;
    bool accepted = criterion.MatchCriterion(mode, mask, relaxed);
    Require(accepted ? (mask & ~before & ~FieldBit(criterion.kind)) == 0 : mask == before,
            "a criterion adds its own bit on acceptance and nothing on rejection");
    Require(!(relaxed && (mask & DM_DISPLAYFREQUENCY)), "the relaxed pass adds no frequency bit");
  }
  DWORD strictMask = 0, relaxedMask = 0;
  bool strict = criterion.MatchCriterion(mode, strictMask, false);
  bool relaxed = criterion.MatchCriterion(mode, relaxedMask, true);
  Require(!strict || relaxed, "what the strict pass accepts, the relaxed one accepts");
  if (criterion.kind == EntryKind::Freq) Require(relaxed, "the relaxed pass ignores the frequency");
  if (relaxed && !strict && criterion.kind == EntryKind::Depth) {
    DWORD bits = mode.dmBitsPerPel;
    DEVMODEA other = mode;
    other.dmBitsPerPel = bits == 24 ? 32 : 24;
    DWORD unused = 0;
    Require((bits == 24 || bits == 32) && criterion.MatchCriterion(other, unused, false),
            "only 24 and 32 bits stand in for each other");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  CriteriaList criteria(input.ConsumeIntegralInRange<size_t>(0, 6));
  for (ModeCriterion& criterion : criteria) {
    // Mostly the four mode kinds; the others now and then, which MatchCriterion must also bear.
    criterion.kind = static_cast<EntryKind>(input.ConsumeBool()
                                                ? input.ConsumeIntegralInRange<int32_t>(1, 4)
                                                : input.ConsumeIntegralInRange<int32_t>(0, 8));
    criterion.values.resize(input.ConsumeIntegralInRange<size_t>(0, 4));
    for (int32_t& value : criterion.values) value = static_cast<int32_t>(PickValue(input));
  }
  ModeCatalogue catalogue(input.ConsumeIntegralInRange<size_t>(0, 40));
  for (DEVMODEA& mode : catalogue) {
    mode = DEVMODEA{};
    mode.dmPelsWidth = PickValue(input);
    mode.dmPelsHeight = PickValue(input);
    mode.dmBitsPerPel = PickValue(input);
    mode.dmDisplayFrequency = PickValue(input);
  }

  for (const ModeCriterion& criterion : criteria) {
    for (const DEVMODEA& mode : catalogue) CheckOneCriterion(criterion, mode);
  }

  ModeChoice choice = ChooseMode(catalogue, criteria);
  if (choice.pass == SelectionPass::None) {
    Require(choice.position == kNoSuitableMode && choice.fieldMask == 0, "no choice: -2 and no mask");
    DWORD mask = 0;
    for (const DEVMODEA& mode : catalogue) {
      Require(!AcceptsAll(criteria, mode, true, mask), "no choice although a mode is acceptable");
    }
    return 0;
  }
  Require(choice.position >= 0 && static_cast<size_t>(choice.position) < catalogue.size(),
          "the choice is a position in the catalogue");
  const bool relaxed = choice.pass == SelectionPass::Relaxed;
  DWORD mask = 0;
  Require(AcceptsAll(criteria, catalogue[static_cast<size_t>(choice.position)], relaxed, mask),
          "every criterion accepts the chosen mode by its pass's rules");
  Require(mask == choice.fieldMask, "the FieldMask is what the criteria added for the chosen mode");
  for (int earlier = 0; earlier < choice.position; ++earlier) {
    Require(!AcceptsAll(criteria, catalogue[static_cast<size_t>(earlier)], relaxed, mask),
            "no earlier mode is acceptable in the same pass");
  }
  if (relaxed) {
    for (const DEVMODEA& mode : catalogue) {
      Require(!AcceptsAll(criteria, mode, false, mask), "the strict pass wins where it finds a mode");
    }
  }
  return 0;
}
