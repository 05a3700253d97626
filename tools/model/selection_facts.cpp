// What the choice of a mode and the switch mean; the choice itself is the launcher's SelectMode.
#include "tools/model/selection_facts.h"

#include <algorithm>
#include <cstdlib>

namespace {

void AddOnce(std::vector<DWORD>& numbers, DWORD number) {
  if (std::find(numbers.begin(), numbers.end(), number) == numbers.end()) numbers.push_back(number);
}

bool IsSizeKind(EntryKind kind) { return kind == EntryKind::Width || kind == EntryKind::Height; }

// True when every size criterion accepts the mode as the relaxed pass tests it.
bool FitsInSize(const CriteriaList& criteria, const DEVMODEA& mode) {
  DWORD mask = 0;
  return std::all_of(criteria.begin(), criteria.end(), [&](const ModeCriterion& criterion) {
    return !IsSizeKind(criterion.kind) || criterion.MatchCriterion(mode, mask, true);
  });
}

// The first value asked for of a kind, or 0 when no criterion of that kind names one.
DWORD FirstAsked(const CriteriaList& criteria, EntryKind kind) {
  for (const ModeCriterion& criterion : criteria) {
    if (criterion.kind == kind && !criterion.values.empty()) return static_cast<DWORD>(criterion.values[0]);
  }
  return 0;
}

}  // namespace

SwitchRequest RequestedSwitch(DWORD fieldMask, const DEVMODEA& chosen, const DEVMODEA* current,
                              const ModeCatalogue& catalogue) {
  SwitchRequest request;
  request.fieldMask = fieldMask;
  request.frequency = chosen.dmDisplayFrequency;
  DEVMODEA asked = current != nullptr ? *current : chosen;
  if (fieldMask & DM_PELSWIDTH) asked.dmPelsWidth = chosen.dmPelsWidth;
  if (fieldMask & DM_PELSHEIGHT) asked.dmPelsHeight = chosen.dmPelsHeight;
  if (fieldMask & DM_BITSPERPEL) asked.dmBitsPerPel = chosen.dmBitsPerPel;
  request.width = asked.dmPelsWidth;
  request.height = asked.dmPelsHeight;
  request.bits = asked.dmBitsPerPel;
  if (current == nullptr) return request;
  request.knowsCurrent = true;
  request.offered = std::any_of(catalogue.begin(), catalogue.end(), [&asked](const DEVMODEA& mode) {
    return mode.dmPelsWidth == asked.dmPelsWidth && mode.dmPelsHeight == asked.dmPelsHeight &&
           mode.dmBitsPerPel == asked.dmBitsPerPel;
  });
  return request;
}

NearestOffer FindNearestOffer(const CriteriaList& criteria, const ModeCatalogue& catalogue) {
  NearestOffer offer;
  if (catalogue.empty()) return offer;
  for (const ModeCriterion& criterion : criteria) {
    if (criterion.kind != EntryKind::Freq && criterion.values.empty()) {
      offer.kind = NearestOffer::Kind::EmptyList;
      offer.emptyList = criterion;
      return offer;
    }
  }
  bool asksSize = std::any_of(criteria.begin(), criteria.end(),
                              [](const ModeCriterion& criterion) { return IsSizeKind(criterion.kind); });
  if (!asksSize) {
    // Only the depth is wrong: the depths there are, in enumeration order.
    offer.kind = NearestOffer::Kind::OnlyDepths;
    for (const DEVMODEA& mode : catalogue) AddOnce(offer.depths, mode.dmBitsPerPel);
    return offer;
  }

  // Sizes that fit, each with the depths it comes in: the depth is what fails.
  constexpr size_t kShownSizes = 3;
  for (const DEVMODEA& mode : catalogue) {
    if (!FitsInSize(criteria, mode)) continue;
    std::pair<DWORD, DWORD> size = {mode.dmPelsWidth, mode.dmPelsHeight};
    auto known = std::find_if(offer.sizes.begin(), offer.sizes.end(),
                              [&size](const auto& entry) { return entry.first == size; });
    if (known == offer.sizes.end()) {
      if (offer.sizes.size() == kShownSizes) continue;
      known = offer.sizes.insert(offer.sizes.end(), {size, {}});
    }
    AddOnce(known->second, mode.dmBitsPerPel);
  }
  if (!offer.sizes.empty()) {
    offer.kind = NearestOffer::Kind::SizesAtDepths;
    return offer;
  }

  // No mode of the size: the size nearest to the first width and height asked for.
  offer.kind = NearestOffer::Kind::NearestSize;
  offer.askedWidth = FirstAsked(criteria, EntryKind::Width);
  offer.askedHeight = FirstAsked(criteria, EntryKind::Height);
  auto distance = [&offer](const DEVMODEA& mode) {
    long long apart = 0;
    if (offer.askedWidth != 0) apart += std::llabs(static_cast<long long>(mode.dmPelsWidth) - offer.askedWidth);
    if (offer.askedHeight != 0) apart += std::llabs(static_cast<long long>(mode.dmPelsHeight) - offer.askedHeight);
    return apart;
  };
  const DEVMODEA& nearest = *std::min_element(
      catalogue.begin(), catalogue.end(),
      [&distance](const DEVMODEA& a, const DEVMODEA& b) { return distance(a) < distance(b); });
  offer.nearestWidth = nearest.dmPelsWidth;
  offer.nearestHeight = nearest.dmPelsHeight;
  return offer;
}
