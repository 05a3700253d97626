// Mode selection over a fuzzed catalogue and fuzzed criteria. The answer is checked against the
// rules of the two passes, written out here on their own: -2 or a valid position; the chosen
// mode passes every criterion in its pass and no earlier mode does; a relaxed choice only when
// no mode passes strictly; the FieldMask holds one bit per mode kind that accepted it.
#include "launcher/mode_selection.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
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

bool Listed(const ModeCriterion& criterion, DWORD field) {
  for (int32_t value : criterion.values) {
    if (static_cast<DWORD>(value) == field) return true;
  }
  return false;
}

// One criterion against one mode, as the pass's rules say; `bit` is what it adds on acceptance.
bool Accepts(const ModeCriterion& criterion, const DEVMODEA& mode, bool relaxed, DWORD& bit) {
  bit = 0;
  switch (criterion.kind) {
    case EntryKind::Width:
      bit = DM_PELSWIDTH;
      return Listed(criterion, mode.dmPelsWidth);
    case EntryKind::Height:
      bit = DM_PELSHEIGHT;
      return Listed(criterion, mode.dmPelsHeight);
    case EntryKind::Depth:
      bit = DM_BITSPERPEL;
      if (Listed(criterion, mode.dmBitsPerPel)) return true;
      return relaxed && ((mode.dmBitsPerPel == 24 && Listed(criterion, 32)) ||
                         (mode.dmBitsPerPel == 32 && Listed(criterion, 24)));
    case EntryKind::Freq:
      if (relaxed) return true;
      bit = DM_DISPLAYFREQUENCY;
      return Listed(criterion, mode.dmDisplayFrequency);
    case EntryKind::Path:
    case EntryKind::Backdrop:
    case EntryKind::WaitAll:
      return true;
    default:
      return false;
  }
}

bool AcceptsAll(const CriteriaList& criteria, const DEVMODEA& mode, bool relaxed, DWORD& mask) {
  mask = 0;
  for (const ModeCriterion& criterion : criteria) {
    DWORD bit = 0;
    if (!Accepts(criterion, mode, relaxed, bit)) return false;
    mask |= bit;
  }
  return true;
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

  const DWORD untouched = 0xA5A5A5A5u;
  DWORD fieldMask = untouched;
  int position = SelectMode(catalogue, criteria, fieldMask);

  // The first strict and the first relaxed acceptance, by the rules above.
  int strict = -1, relaxed = -1;
  DWORD strictMask = 0, relaxedMask = 0, mask = 0;
  for (size_t i = 0; i < catalogue.size(); ++i) {
    if (strict < 0 && AcceptsAll(criteria, catalogue[i], false, mask)) {
      strict = static_cast<int>(i);
      strictMask = mask;
    }
    if (relaxed < 0 && AcceptsAll(criteria, catalogue[i], true, mask)) {
      relaxed = static_cast<int>(i);
      relaxedMask = mask;
    }
  }

  Require(position == kNoSuitableMode ||
              (position >= 0 && static_cast<size_t>(position) < catalogue.size()),
          "the answer is -2 or a position in the catalogue");
  if (position == kNoSuitableMode) {
    Require(strict < 0 && relaxed < 0, "-2 although a mode is acceptable");
    Require(fieldMask == untouched, "-2 leaves the FieldMask untouched");
    return 0;
  }
  Require(fieldMask == (fieldMask & (DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL |
                                     DM_DISPLAYFREQUENCY)),
          "the FieldMask holds only the four mode bits");
  if (strict >= 0) {
    Require(position == strict, "the first strictly acceptable mode wins");
    Require(fieldMask == strictMask, "the FieldMask of a strict choice");
  } else {
    Require(position == relaxed, "without a strict match, the first relaxed one wins");
    Require(fieldMask == relaxedMask, "the FieldMask of a relaxed choice");
    Require((fieldMask & DM_DISPLAYFREQUENCY) == 0, "a relaxed choice has no frequency bit");
  }

  // The passes on their own agree with the whole.
  DWORD passMask = untouched;
  Require(StrictPass(catalogue, criteria, passMask) == strict, "StrictPass alone");
  Require(strict >= 0 || passMask == untouched, "a pass that finds nothing leaves the mask");
  passMask = untouched;
  Require(RelaxedPass(catalogue, criteria, passMask) == relaxed, "RelaxedPass alone");
  return 0;
}
