#include "platform/files.h"

#include "platform/text.h"

namespace platform {
namespace {

bool Match(const std::string& s, size_t si, const std::string& p, size_t pi) {
  while (pi < p.size()) {
    if (p[pi] == '*') {
      while (pi < p.size() && p[pi] == '*') ++pi;
      if (pi == p.size()) return true;
      for (size_t k = si; k <= s.size(); ++k) {
        if (Match(s, k, p, pi)) return true;
      }
      return false;
    }
    if (si >= s.size()) return false;
    if (p[pi] != '?' && p[pi] != s[si]) return false;
    ++si;
    ++pi;
  }
  return si == s.size();
}

}  // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern) {
  // Case folding keeps byte lengths; '?' then stands for one byte, which is
  // one character for the ASCII names the program's patterns are used on.
  return Match(text::FoldCase(name), 0, text::FoldCase(pattern), 0);
}

}  // namespace platform
