#include "record_listing.h"

#include "number_text.h"

namespace rq30 {
namespace {

constexpr int kRing = kRecordValues;

int RingIndex(int i) {
  return ((i % kRing) + kRing) % kRing;
}

// Formats with '.' and swaps in the user's separator, which need not be one
// byte (UTF-8) as FormatFixed expects.
std::string ValueText(float value, const std::string& decimalPoint) {
  std::string text = FormatFixed(value, 5, 2, '.');
  const auto dot = text.find('.');
  if (dot != std::string::npos) text.replace(dot, 1, decimalPoint);
  return text;
}

}  // namespace

int NewDuringReading(int pointerBefore, int pointerAfter) {
  return RingIndex(pointerAfter - pointerBefore);
}

int ListedCount(int pointerBefore, int pointerAfter) {
  return kRing - NewDuringReading(pointerBefore, pointerAfter);
}

std::vector<std::string> RecordListing(const RecordDownload& download, const std::string& dateText,
                                       const std::string& timeText,
                                       const std::string& decimalPoint) {
  const int count = ListedCount(download.pointerBefore, download.pointerAfter);
  // Whole minutes, each division truncating: 256 records one second apart
  // are "0hod., 4min.".
  const long long totalMinutes = static_cast<long long>(download.rateSeconds) * count / 60;
  const long long hours = totalMinutes / 60;
  const long long minutes = totalMinutes - 60 * hours;

  std::vector<std::string> lines;
  lines.reserve(6 + static_cast<std::size_t>(count));
  lines.push_back("Záznam z regulátoru    " + dateText + "     " + timeText);
  lines.push_back("Počet zaznamenaných hodnot " + std::to_string(count));
  lines.push_back("Rychlost záznamu: " + std::to_string(download.rateSeconds) + "[s]");
  lines.push_back("Délka záznamu: " + std::to_string(hours) + "hod., " + std::to_string(minutes) +
                  "min.");
  lines.push_back("Údaj s pořadovým číslem 1 je poslední (aktuální) záznam");
  lines.push_back(std::string(93, '-'));
  for (int n = 1; n <= count; ++n) {
    const int index = RingIndex(download.pointerBefore - (n - 1));
    lines.push_back(std::to_string(n) + ";   " + ValueText(download.values[index], decimalPoint));
  }
  return lines;
}

}  // namespace rq30
