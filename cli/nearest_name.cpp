#include "nearest_name.h"

#include <algorithm>

namespace tw::cli {

size_t edit_distance(const std::string& a, const std::string& b) {
  // Three rows of the classic table: the one before the previous is needed
  // for a swap.
  std::vector<size_t> before(b.size() + 1), previous(b.size() + 1), row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        row[j] = std::min(row[j], before[j - 2] + 1);
    }
    before.swap(previous);
    previous.swap(row);
  }
  return previous[b.size()];
}

std::string nearest_name(const std::string& given, const std::vector<std::string>& candidates) {
  if (given.empty()) return std::string();
  std::string only_prefixed;
  int prefixed = 0;
  for (const std::string& c : candidates) {
    if (c.compare(0, given.size(), given) == 0) {
      only_prefixed = c;
      ++prefixed;
    }
  }
  if (prefixed == 1) return only_prefixed;

  std::string best;
  size_t best_distance = 0;
  for (const std::string& c : candidates) {
    size_t d = edit_distance(given, c);
    if (best.empty() || d < best_distance) {
      best = c;
      best_distance = d;
    }
  }
  // One slip in a short word, about one in three in a longer one.
  size_t allowed = std::max<size_t>(1, std::max(given.size(), best.size()) / 3);
  return best_distance <= allowed ? best : std::string();
}

}  // namespace tw::cli
