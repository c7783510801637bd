#include "engine/window_likeness.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/text.h"

namespace engine {
namespace {

using platform::WindowHandle;

// Scores in tenths: how well a live window matches a recorded step.
constexpr int kEqual = 40;
constexpr int kClassRunPartsAside = 20;
constexpr int kCaptionVersionAside = 30;
constexpr int kCaptionSimilarBase = 10;  // plus ten times the similarity
constexpr int kAtRecordedOrdinal = 10;
// A caption aside for the control ID, or for the setup's one window of the
// class: the setup's own language may show every caption differently.
constexpr int kCaptionAsideForId = 20;
// More complete paths than any wizard has: the search ends there.
constexpr size_t kMaxPaths = 256;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLatinLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAlnum(char c) { return IsDigit(c) || IsLatinLetter(c); }
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The length of a version number at `i` ("2.4", "10.0.19041", "v7",
// "2.4b1"); 0 when none starts there. A version number starts a word.
size_t VersionLengthAt(const std::string& s, size_t i) {
  if (i > 0 && IsAlnum(s[i - 1])) return 0;
  size_t j = i;
  const bool prefixed = j < s.size() && (s[j] == 'v' || s[j] == 'V');
  if (prefixed) ++j;
  const size_t digitsFrom = j;
  while (j < s.size() && IsDigit(s[j])) ++j;
  if (j == digitsFrom) return 0;
  int dots = 0;
  while (j + 1 < s.size() && s[j] == '.' && IsDigit(s[j + 1])) {
    ++j;
    while (j < s.size() && IsDigit(s[j])) ++j;
    ++dots;
  }
  if (dots == 0 && !prefixed) return 0;  // a plain number: a step, a count
  while (j < s.size() && IsAlnum(s[j])) ++j;  // "b1", "rc2"
  return j - i;
}

// Spaces collapsed and trimmed.
std::string TidySpaces(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == ' ' || c == '\t') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string WithoutAccelerators(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
    } else if (i + 1 < s.size() && s[i + 1] == '&') {
      out += '&';  // "&&" shows one ampersand
      ++i;
    }
  }
  return out;
}

bool IsGuidAt(const std::string& s, size_t i) {
  static constexpr int kGroups[] = {8, 4, 4, 4, 12};
  size_t j = i;
  for (size_t g = 0; g < 5; ++g) {
    for (int k = 0; k < kGroups[g]; ++k, ++j) {
      if (j >= s.size() || !IsHexDigit(s[j])) return false;
    }
    if (g < 4 && (j >= s.size() || s[j++] != '-')) return false;
  }
  return true;
}

std::string WithoutBracketedParts(const std::string& s) {
  std::string out;
  int depth = 0;
  for (char c : s) {
    if (c == '[' || c == '(' || c == '{') {
      ++depth;
    } else if ((c == ']' || c == ')' || c == '}') && depth > 0) {
      --depth;
    } else if (depth == 0) {
      out += c;
    }
  }
  return out;
}

// A word of hex digits with a digit among them is a number ("141b42a");
// elsewhere only the digits go ("Qt5QWindowIcon").
std::string WithoutNumbers(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    if (!IsAlnum(s[i])) {
      out += s[i++];
      continue;
    }
    size_t end = i;
    bool hex = true, digit = false;
    for (; end < s.size() && IsAlnum(s[end]); ++end) {
      hex = hex && IsHexDigit(s[end]);
      digit = digit || IsDigit(s[end]);
    }
    if (!(hex && digit)) {
      for (size_t k = i; k < end; ++k) {
        if (!IsDigit(s[k])) out += s[k];
      }
    }
    i = end;
  }
  return out;
}

// How a live window's class and caption match a recorded step: a score
// (0 for no match) and what differs.
struct StepMatch {
  int score = 0;
  std::string why;
};

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

int MatchClass(const std::string& live, const std::string& recorded, std::string& why) {
  if (recorded.empty() || text::EqualsNoCase(live, recorded)) return kEqual;
  if (recorded[0] == '#' || ClassWithoutRunParts(live) != ClassWithoutRunParts(recorded)) return 0;
  why = "класс " + Quoted(live) + " вместо " + Quoted(recorded) +
        " (совпадает без номеров и частей в скобках)";
  return kClassRunPartsAside;
}

int MatchCaption(const std::string& live, const std::string& recorded, bool pressed,
                 std::string& why) {
  if (text::Trim(recorded).empty() || live == recorded) return kEqual;
  const std::string a = CaptionWithoutVersion(live), b = CaptionWithoutVersion(recorded);
  const std::string instead = "заголовок " + Quoted(live) + " вместо " + Quoted(recorded);
  if (a == b) {
    why = instead + " (совпадает без номера версии, знаков & и регистра)";
    return kCaptionVersionAside;
  }
  // The pressed window's caption says what the press does ("Install" is no
  // "Uninstall"): it must be the same.
  if (pressed || text::CharCount(a) < kMinSimilarLength || text::CharCount(b) < kMinSimilarLength) {
    return 0;
  }
  const double similarity = Similarity(a, b);
  if (similarity < kSimilarCaption) return 0;
  const int percent = static_cast<int>(std::floor(similarity * 100));
  why = instead + " (похож на " + std::to_string(percent) + " %)";
  return kCaptionSimilarBase + static_cast<int>(std::floor(similarity * 10));
}

// `aside`: why the caption may differ, when it may.
StepMatch MatchStep(const platform::Desktop& desktop, const TextForm& form,
                    WindowHandle w, const script::WindowStep& step, bool pressed,
                    const std::string& aside = {}) {
  std::string classWhy, captionWhy;
  const int cls = MatchClass(form.Stored(desktop.ClassName(w)), RecordedText(step.className),
                             classWhy);
  if (cls == 0) return {};
  const std::string live = form.Stored(desktop.WindowText(w));
  int caption = MatchCaption(live, RecordedText(step.caption), pressed, captionWhy);
  if (caption == 0 && !aside.empty()) {
    caption = kCaptionAsideForId;
    captionWhy = "заголовок " + Quoted(live) + " вместо " + Quoted(RecordedText(step.caption)) +
                 " (" + aside + ")";
  }
  if (caption == 0) return {};
  std::string why = classWhy;
  if (!captionWhy.empty()) why += (why.empty() ? "" : ", ") + captionWhy;
  return {cls + caption, why};
}

struct Candidate {
  WindowHandle window = 0;
  int score = 0;
  std::string why;
};

class LikenessSearch {
 public:
  LikenessSearch(const platform::Desktop& desktop, const TextForm& form,
                 const WindowPath& path, const std::function<bool(unsigned)>& ownedBySetup,
                 platform::Point press)
      : desktop_(desktop), form_(form), path_(path), owned_(ownedBySetup), press_(press) {}

  std::vector<Candidate> Run() {
    if (!path_.empty()) Descend(0, 0, 0, "");
    return found_;
  }

 private:
  // The setup's top-level windows, front to back.
  std::vector<WindowHandle> SetupTopLevel() const {
    std::vector<WindowHandle> out;
    for (WindowHandle w : desktop_.ChildWindows(0)) {
      if (owned_(desktop_.ProcessIdOf(w))) out.push_back(w);
    }
    return out;
  }

  void Descend(size_t level, WindowHandle parent, int score, const std::string& why) {
    if (found_.size() >= kMaxPaths) return;
    const script::WindowStep& step = path_[level];
    if (step.ordinal == -1) {
      Next(level, desktop_.DesktopWindow(), score + 2 * kEqual + kAtRecordedOrdinal, why);
      return;
    }
    const bool topLevel = level == 0 || step.ordinal == 0;
    const std::vector<WindowHandle> siblings =
        topLevel ? SetupTopLevel() : desktop_.ChildWindows(parent);
    const bool pressed = level + 1 == path_.size();
    const std::string soleOfClass = topLevel ? SoleOfClass(siblings, step) : std::string();
    // Like siblings in order, to find the one at the recorded ordinal.
    std::vector<std::pair<WindowHandle, StepMatch>> like;
    for (WindowHandle w : siblings) {
      const bool sameId =
          !topLevel && step.controlId != 0 && desktop_.ControlId(w) == step.controlId;
      const std::string aside =
          sameId ? "тот же идентификатор элемента " + std::to_string(step.controlId) : soleOfClass;
      StepMatch m = MatchStep(desktop_, form_, w, step, pressed, aside);
      if (m.score > 0) like.emplace_back(w, std::move(m));
    }
    const bool ordinalExists = step.ordinal >= 1 && step.ordinal <= int(like.size());
    for (size_t i = 0; i < like.size(); ++i) {
      const auto& [w, m] = like[i];
      if (!desktop_.IsVisible(w)) continue;
      int s = score + m.score;
      std::string reasons = m.why;
      // The order of top-level windows changes whenever one is activated:
      // it tells nothing of which one was recorded.
      const bool ordinalTells = !topLevel && step.ordinal >= 1;
      if (ordinalTells && ordinalExists && int(i) + 1 == step.ordinal) {
        s += kAtRecordedOrdinal;
      } else if (ordinalTells) {
        const std::string ordinal = "порядковый номер " + std::to_string(i + 1) + " вместо " +
                                    std::to_string(step.ordinal);
        reasons += (reasons.empty() ? "" : ", ") + ordinal;
      }
      std::string all = why;
      if (!reasons.empty()) {
        all += (all.empty() ? "" : "; ") + std::string("уровень ") + std::to_string(level + 1) +
               ": " + reasons;
      }
      Next(level, w, s, all);
    }
  }

  // A path that knows its windows' control IDs may take the setup's one
  // shown top-level window of the recorded class whatever its caption: the
  // reason, or nothing when the setup shows none or several.
  std::string SoleOfClass(const std::vector<WindowHandle>& topLevel,
                          const script::WindowStep& step) const {
    const bool knowsIds = std::any_of(path_.begin(), path_.end(),
                                      [](const script::WindowStep& s) { return s.controlId != 0; });
    if (!knowsIds) return {};
    int shown = 0;
    std::string unused;
    for (WindowHandle w : topLevel) {
      if (!desktop_.IsVisible(w)) continue;
      shown += MatchClass(form_.Stored(desktop_.ClassName(w)), RecordedText(step.className),
                          unused) > 0;
    }
    return shown == 1 ? "единственное окно этого класса у программы установки" : std::string();
  }

  void Next(size_t level, WindowHandle w, int score, const std::string& why) {
    if (level + 1 < path_.size()) return Descend(level + 1, w, score, why);
    const platform::ScreenArea client = desktop_.ClientArea(w);
    if (!platform::ScreenArea{0, 0, client.width, client.height}.Contains(press_)) return;
    for (Candidate& c : found_) {
      if (c.window != w) continue;
      if (score > c.score) c = {w, score, why};
      return;
    }
    found_.push_back({w, score, why});
  }

  const platform::Desktop& desktop_;
  const TextForm& form_;
  const WindowPath& path_;
  const std::function<bool(unsigned)>& owned_;
  platform::Point press_;
  std::vector<Candidate> found_;
};

}  // namespace

std::string VersionNumberIn(const std::string& caption) {
  for (size_t i = 0; i < caption.size(); ++i) {
    if (const size_t n = VersionLengthAt(caption, i)) return caption.substr(i, n);
  }
  return {};
}

std::string CaptionWithoutVersion(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size();) {
    if (const size_t n = VersionLengthAt(caption, i)) {
      i += n;
    } else {
      out += caption[i++];
    }
  }
  return text::FoldCase(TidySpaces(WithoutAccelerators(out)));
}

std::string ClassWithoutRunParts(const std::string& className) {
  if (!className.empty() && className[0] == '#') return text::FoldCase(className);
  std::string out;
  for (size_t i = 0; i < className.size();) {
    if (IsGuidAt(className, i)) {
      i += 36;
    } else {
      out += className[i++];
    }
  }
  return text::FoldCase(WithoutNumbers(WithoutBracketedParts(out)));
}

double Similarity(const std::string& a, const std::string& b) {
  const std::u16string x = text::Utf8ToUtf16(a), y = text::Utf8ToUtf16(b);
  const size_t longer = std::max(x.size(), y.size());
  if (longer == 0) return 1;
  // Levenshtein distance, one row at a time.
  std::vector<size_t> row(y.size() + 1);
  for (size_t j = 0; j <= y.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= x.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= y.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return 1.0 - double(row[y.size()]) / double(longer);
}

LikelyWindow FindLikelyWindow(const platform::Desktop& desktop, const TextForm& form,
                              const WindowPath& path,
                              const std::function<bool(unsigned)>& ownedBySetup,
                              platform::Point press) {
  std::vector<Candidate> found = LikenessSearch(desktop, form, path, ownedBySetup, press).Run();
  if (found.empty()) return {};
  std::sort(found.begin(), found.end(),
            [](const Candidate& a, const Candidate& b) { return a.score > b.score; });
  if (found.size() > 1 && found[0].score - found[1].score < kClearMargin) return {};
  // The one it must be is not ready yet: it is waited for, not passed over.
  if (!desktop.IsEnabled(found[0].window)) return {};
  return {found[0].window, found[0].why};
}

}  // namespace engine
