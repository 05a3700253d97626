// Lisko's text handling with fuzzed UTF-16 units: NarrowName, the bounded measure, copy and
// append, and the search pattern the job builds from a folder name. Every buffer is allocated at
// exactly its size, so AddressSanitizer sees any unit read or written past its bound.
#include "musiclist/lisko.h"
#include "platform/sim/sim_platform.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Units = std::vector<WCHAR>;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// UTF-16 units, zero now and then.
Units TakeUnits(FuzzedDataProvider& input, size_t most) {
  Units units(input.ConsumeIntegralInRange<size_t>(0, most));
  for (WCHAR& unit : units) {
    unit = input.ConsumeBool() ? 0 : static_cast<WCHAR>(input.ConsumeIntegral<uint16_t>());
  }
  return units;
}

size_t TextLength(const Units& units) {
  size_t length = 0;
  while (length < units.size() && units[length] != 0) ++length;
  return length;
}

void CheckNarrowName(const Units& name) {
  std::string narrowed(name.size() + 1, '\x5A');
  char* end = NarrowName(name.data(), name.size(), &narrowed[0]);
  Require(end == &narrowed[0] + name.size(), "one byte per unit");
  Require(narrowed.back() == '\x5A', "nothing written past the name");
  for (size_t i = 0; i < name.size(); ++i) {
    Require(static_cast<unsigned char>(narrowed[i]) == (name[i] & 0xFF), "the unit's low byte");
  }
}

void CheckMeasure(const Units& text, size_t bound) {
  size_t length = 12345;
  bool measured = MeasureUnits(text.data(), bound, &length);
  size_t real = TextLength(text);
  Require(measured == (real < bound), "measured exactly when a terminator lies within the bound");
  Require(measured ? length == real : length == 12345, "the length, or nothing written");
}

// Destination of exactly `capacity` units; what a copy of `count` units of `source` leaves there.
// The source has a terminator or at least `count` units, as every caller ensures.
void CheckCopy(const Units& source, size_t capacity, size_t count) {
  std::unique_ptr<WCHAR[]> destination(new WCHAR[capacity + (capacity == 0)]);
  bool copied = CopyUnits(destination.get(), capacity, source.data(), count);
  if (capacity == 0) {
    Require(!copied, "nothing fits into no room");
    return;
  }
  size_t wanted = std::min(count, TextLength(source));
  size_t kept = std::min(wanted, capacity - 1);
  Require(copied == (wanted < capacity), "true exactly when the text fits with its terminator");
  Require(std::equal(source.begin(), source.begin() + static_cast<long>(kept), destination.get()),
          "the copy is the source's beginning");
  Require(destination[kept] == 0, "the copy is terminated within the destination");
}

void CheckAppend(const Units& start, const Units& suffix, size_t capacity) {
  Units destination(capacity);
  std::copy_n(start.begin(), std::min(start.size(), capacity), destination.begin());
  const Units before = destination;
  Units source = suffix;
  source.push_back(0);
  bool appended = AppendUnits(destination.data(), capacity, source.data());
  size_t length = TextLength(before);
  if (length == capacity) {
    Require(!appended && destination == before, "nothing is appended to unterminated text");
    return;
  }
  size_t wanted = TextLength(source);
  size_t kept = std::min(wanted, capacity - length - 1);
  Require(appended == (length + wanted < capacity), "true exactly when the whole fits");
  Require(std::equal(before.begin(), before.begin() + static_cast<long>(length),
                     destination.begin()),
          "the text already there stays");
  Require(std::equal(source.begin(), source.begin() + static_cast<long>(kept),
                      destination.begin() + static_cast<long>(length)),
          "the appended text is the source's beginning");
  Require(destination[length + kept] == 0, "the result is terminated within the destination");
}

// The job with a folder name of any length: a name of up to 129 units is searched for with the
// suffix appended within the pattern buffer; a longer one is refused before any search.
void CheckPattern(const Units& name) {
  Units folder(name.begin(), name.begin() + static_cast<long>(TextLength(name)));
  folder.push_back(0);
  ResetSim();
  WriteFolderList(folder.data());
  const auto& patterns = Sim().fileSearch.patterns;
  size_t length = folder.size() - 1;
  if (length >= kPatternCapacity) {
    Require(patterns.empty(), "an over-long folder name is never searched");
    return;
  }
  Require(patterns.size() == 1, "one search");
  std::u16string expected(folder.begin(), folder.end() - 1);
  expected += u"\\*";
  expected.resize(std::min(expected.size(), kPatternCapacity - 1));
  Require(patterns[0] == expected, "the pattern is the folder and the suffix, cut to the buffer");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The job prints its failures; those lines are expected here and would only fill the log. Its
  // list file lands in ../fsxml/ when that folder exists, so the fuzzer runs from a folder of
  // its own (tools/run-fuzz.sh).
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const size_t capacity = input.ConsumeIntegralInRange<size_t>(0, kPatternCapacity + 4);
  const size_t count = input.ConsumeIntegralInRange<size_t>(0, 2 * kPatternCapacity);
  Units first = TakeUnits(input, 2 * kPatternCapacity);
  Units second = TakeUnits(input, 2 * kPatternCapacity);

  CheckNarrowName(first);
  CheckMeasure(first, std::min(capacity, first.size()));
  // A source without a terminator is read no further than its own units.
  CheckCopy(first, capacity, TextLength(first) < first.size() ? count : std::min(count, first.size()));
  CheckAppend(first, second, capacity);
  CheckPattern(second);
  return 0;
}
