// Explanations of the selection and the switch; the choice itself is the launcher's SelectMode.
#include "tools/kavelo2-config/selection_report.h"

#include "tools/kavelo2-config/entry_notes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

std::string SizeText(DWORD width, DWORD height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

// "32, 16 and 8".
std::string JoinedNumbers(const std::vector<DWORD>& numbers) {
  std::string text;
  for (size_t i = 0; i < numbers.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == numbers.size() ? " and " : ", ") + std::to_string(numbers[i]);
  }
  return text;
}

void AddOnce(std::vector<DWORD>& numbers, DWORD number) {
  if (std::find(numbers.begin(), numbers.end(), number) == numbers.end()) numbers.push_back(number);
}

bool IsSizeKind(EntryKind kind) { return kind == EntryKind::Width || kind == EntryKind::Height; }

// True when every criterion of the chosen kinds accepts the mode as the relaxed pass tests it.
bool FitsRelaxed(const CriteriaList& criteria, const DEVMODEA& mode, bool sizeOnly) {
  DWORD mask = 0;
  for (const ModeCriterion& criterion : criteria) {
    if (criterion.kind == EntryKind::Freq || (sizeOnly && !IsSizeKind(criterion.kind))) continue;
    if (!criterion.MatchCriterion(mode, mask, true)) return false;
  }
  return true;
}

// The first value asked for of a kind, or 0 when no criterion of that kind names one.
DWORD FirstAsked(const CriteriaList& criteria, EntryKind kind) {
  for (const ModeCriterion& criterion : criteria) {
    if (criterion.kind == kind && !criterion.values.empty()) return static_cast<DWORD>(criterion.values[0]);
  }
  return 0;
}

}  // namespace

std::string FieldMaskNames(DWORD fieldMask) {
  static const struct {
    DWORD bit;
    const char* name;
  } kBits[] = {{DM_PELSWIDTH, "DM_PELSWIDTH"},
               {DM_PELSHEIGHT, "DM_PELSHEIGHT"},
               {DM_BITSPERPEL, "DM_BITSPERPEL"},
               {DM_DISPLAYFREQUENCY, "DM_DISPLAYFREQUENCY"}};
  char hex[16];
  std::snprintf(hex, sizeof(hex), "0x%08X", static_cast<unsigned>(fieldMask));
  std::string names;
  for (const auto& bit : kBits) {
    if (fieldMask & bit.bit) names += (names.empty() ? "" : " | ") + std::string(bit.name);
  }
  return std::string(hex) + (names.empty() ? "" : " (" + names + ")");
}

SwitchRequest DescribeSwitch(DWORD fieldMask, const DEVMODEA& chosen, const DEVMODEA* current,
                             const ModeCatalogue& catalogue) {
  SwitchRequest request;
  bool namesWidth = (fieldMask & DM_PELSWIDTH) != 0;
  bool namesHeight = (fieldMask & DM_PELSHEIGHT) != 0;
  bool namesBits = (fieldMask & DM_BITSPERPEL) != 0;
  std::vector<std::string> parts;
  if (current != nullptr) {
    DEVMODEA asked = *current;
    if (namesWidth) asked.dmPelsWidth = chosen.dmPelsWidth;
    if (namesHeight) asked.dmPelsHeight = chosen.dmPelsHeight;
    if (namesBits) asked.dmBitsPerPel = chosen.dmBitsPerPel;
    parts.push_back(SizeText(asked.dmPelsWidth, asked.dmPelsHeight));
    parts.push_back(std::to_string(asked.dmBitsPerPel) + " bits");
    request.offered = std::any_of(catalogue.begin(), catalogue.end(), [&asked](const DEVMODEA& mode) {
      return mode.dmPelsWidth == asked.dmPelsWidth && mode.dmPelsHeight == asked.dmPelsHeight &&
             mode.dmBitsPerPel == asked.dmBitsPerPel;
    });
  } else {
    if (namesWidth && namesHeight) {
      parts.push_back(SizeText(chosen.dmPelsWidth, chosen.dmPelsHeight));
    } else if (namesWidth) {
      parts.push_back("width " + std::to_string(chosen.dmPelsWidth));
    } else if (namesHeight) {
      parts.push_back("height " + std::to_string(chosen.dmPelsHeight));
    }
    if (namesBits) parts.push_back(std::to_string(chosen.dmBitsPerPel) + " bits");
  }
  if (fieldMask & DM_DISPLAYFREQUENCY) parts.push_back(std::to_string(chosen.dmDisplayFrequency) + " Hz");
  for (const std::string& part : parts) request.text += (request.text.empty() ? "" : " at ") + part;
  if (request.text.empty()) request.text = "the mode in force";
  return request;
}

std::string NearestOffer(const CriteriaList& criteria, const ModeCatalogue& catalogue) {
  if (catalogue.empty()) return "the display offers no mode at all";
  for (const ModeCriterion& criterion : criteria) {
    if (criterion.kind != EntryKind::Freq && criterion.values.empty()) {
      return DescribeCriterion(criterion) + " fits no mode";
    }
  }
  bool asksSize = std::any_of(criteria.begin(), criteria.end(),
                              [](const ModeCriterion& criterion) { return IsSizeKind(criterion.kind); });
  if (!asksSize) {
    // Only the depth is wrong: the depths there are, in enumeration order.
    std::vector<DWORD> depths;
    for (const DEVMODEA& mode : catalogue) AddOnce(depths, mode.dmBitsPerPel);
    return "the display offers only " + JoinedNumbers(depths) + " bits";
  }

  // Sizes that fit, each with the depths it comes in: the depth is what fails.
  std::vector<std::pair<std::string, std::vector<DWORD>>> sizes;
  for (const DEVMODEA& mode : catalogue) {
    if (!FitsRelaxed(criteria, mode, true)) continue;
    std::string size = SizeText(mode.dmPelsWidth, mode.dmPelsHeight);
    auto known = std::find_if(sizes.begin(), sizes.end(), [&size](const auto& entry) { return entry.first == size; });
    if (known == sizes.end()) known = sizes.insert(sizes.end(), {size, {}});
    AddOnce(known->second, mode.dmBitsPerPel);
  }
  if (!sizes.empty()) {
    std::string text = "the display offers ";
    constexpr size_t kShownSizes = 3;
    for (size_t i = 0; i < sizes.size() && i < kShownSizes; ++i) {
      text += (i == 0 ? "" : ", ") + sizes[i].first + " only at " + JoinedNumbers(sizes[i].second) + " bits";
    }
    return text;
  }

  // No mode of the size: the size nearest to the first width and height asked for.
  DWORD width = FirstAsked(criteria, EntryKind::Width);
  DWORD height = FirstAsked(criteria, EntryKind::Height);
  std::string asked = width != 0 && height != 0 ? SizeText(width, height)
                      : width != 0              ? "width " + std::to_string(width)
                                                : "height " + std::to_string(height);
  auto distance = [width, height](const DEVMODEA& mode) {
    long long apart = 0;
    if (width != 0) apart += std::llabs(static_cast<long long>(mode.dmPelsWidth) - width);
    if (height != 0) apart += std::llabs(static_cast<long long>(mode.dmPelsHeight) - height);
    return apart;
  };
  const DEVMODEA& nearest = *std::min_element(
      catalogue.begin(), catalogue.end(),
      [&distance](const DEVMODEA& a, const DEVMODEA& b) { return distance(a) < distance(b); });
  return "the display offers no " + asked + "; the nearest size it offers is " +
         SizeText(nearest.dmPelsWidth, nearest.dmPelsHeight);
}
