// The early ends of the text the launcher reads, found with the launcher's own walk.
#include "tools/model/text_limits.h"

#include "launcher/config_file.h"

#include <algorithm>

namespace {

// An entry quoted from beyond the limit is cut to this many bytes.
constexpr size_t kExcerptBytes = 60;

// Entries the launcher's walk would find in a piece of text, closed as the launcher closes the
// bytes it reads. The walk stops at a NUL, so each is counted over the text as if it had none.
int CountEntries(std::string text) {
  std::replace(text.begin(), text.end(), '\0', '\n');
  size_t count = text.size();
  text.resize(count + 2);
  CloseConfigText(text.data(), count);
  int entries = 0;
  WalkConfigEntries(text.data(), [&entries](char*) { ++entries; });
  return entries;
}

bool IsBoundary(char c) { return IsEntrySeparator(c) || c == '\0'; }

Finding Limit(FindingKind kind, bool losesEntries) {
  Finding finding(kind);
  finding.status = losesEntries ? kRunsOtherwise : kRunsAsWritten;
  return finding;
}

}  // namespace

int LineOf(const std::string& text, size_t offset) {
  int line = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
  }
  return line;
}

std::vector<Finding> TextLimits(const std::string& plainText, uint64_t size, bool sizeKnown) {
  int64_t length = sizeKnown ? static_cast<int64_t>(size) : 0;
  std::vector<Finding> limits;
  std::string read = plainText.substr(0, kConfigReadLimit);
  size_t nul = read.find('\0');
  if (nul != std::string::npos) {
    size_t runStart = nul;
    while (runStart > 0 && !IsEntrySeparator(read[runStart - 1])) --runStart;
    bool loses = runStart < nul || CountEntries(read.substr(nul + 1)) > 0;
    Finding finding = Limit(FindingKind::NulEndsText, loses);
    finding.number = static_cast<int64_t>(nul);
    finding.detail = read.substr(runStart, nul - runStart);
    finding.line = LineOf(read, nul);
    limits.push_back(finding);
    // Nothing after the NUL counts, so the limit cuts nothing that counts either.
    if (size <= kConfigReadLimit) return limits;
  }
  if (size <= kConfigReadLimit) return limits;
  if (nul != std::string::npos) {
    limits.push_back(Limit(FindingKind::ReadLimit, false));
    limits.back().number = length;
    return limits;
  }
  size_t start = kConfigReadLimit;
  while (start > 0 && !IsBoundary(plainText[start - 1])) --start;
  size_t end = kConfigReadLimit;
  while (end < plainText.size() && !IsBoundary(plainText[end])) ++end;
  bool cut = start < kConfigReadLimit && end > kConfigReadLimit;
  int unread = CountEntries(plainText.substr(cut ? end : kConfigReadLimit));
  bool held = size <= plainText.size();  // else what lies beyond the held bytes is not counted
  Finding finding = Limit(FindingKind::ReadLimit, cut || unread > 0);
  finding.number = length;
  finding.count = held ? unread : -unread;
  if (cut) {
    finding.line = LineOf(plainText, start);
    finding.length = static_cast<int64_t>(kConfigReadLimit - start);
    bool whole = (held || end < plainText.size()) && end - start <= kExcerptBytes;
    finding.subject = plainText.substr(start, std::min(end - start, kExcerptBytes));
    if (whole) finding.detail = plainText.substr(start, kConfigReadLimit - start);
  }
  limits.push_back(finding);
  return limits;
}
