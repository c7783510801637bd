#include "script/ovs_text.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <vector>

#include "platform/text.h"

namespace script {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// ---- Writing ----------------------------------------------------------------

// The code page strings are shown in: the one the script names when it is
// one of the two known here, else Windows-1251.
unsigned ShownCodePage(int32_t named) {
  const auto codePage = static_cast<unsigned>(named);
  return named > 0 && text::IsSingleByteCodePageKnown(codePage) ? codePage : 1251;
}

// Control characters, bytes with no character (shown as U+FFFD) and, for
// clarity, the no-break space and the soft hyphen.
bool NeedsEscape(unsigned char b, const std::string& shown) {
  const std::u16string c = text::Utf8ToUtf16(shown);
  const char16_t u = c.empty() ? 0 : c[0];
  return u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0xFFFD || b == 0xA0 || b == 0xAD;
}

std::string Quote(std::string_view bytes, unsigned codePage) {
  std::string out = "\"";
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    const std::string shown = text::CodePageToUtf8(std::string_view(&ch, 1), codePage);
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (NeedsEscape(b, shown)) {
      out += "\\x";
      out += kHexDigits[b >> 4];
      out += kHexDigits[b & 0xF];
    } else {
      out += shown;
    }
  }
  return out + '"';
}

template <size_t N>
std::string Hex(const std::array<uint8_t, N>& bytes) {
  std::string out;
  for (uint8_t b : bytes) {
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 0xF];
  }
  return out;
}

const std::map<int16_t, std::string> kActionNames = {
    {action::kPress, "press"}, {action::kMove, "move"}, {action::kRelease, "release"}};
const std::map<int16_t, std::string> kButtonNames = {
    {button::kLeft, "left"}, {button::kRight, "right"}, {button::kMiddle, "middle"}};

std::string NameOr(const std::map<int16_t, std::string>& names, int16_t value) {
  auto it = names.find(value);
  return it != names.end() ? it->second : std::to_string(value);
}

void WriteBlock(std::string& out, const RawBlock& block, size_t number, size_t offset,
                unsigned codePage, bool controlIds) {
  out += "block  # " + std::to_string(number) + " at offset " + std::to_string(offset) + "\n";
  for (const RawWindowStep& step : block.windowPath) {
    out += "  window " + Quote(step.className, codePage) + " " + Quote(step.caption, codePage) +
           " " + std::to_string(step.ordinal);
    if (controlIds) out += " id " + std::to_string(step.controlId);
    out += "\n";
  }
  for (const MouseEvent& e : block.mouseEvents) {
    out += "  mouse " + NameOr(kActionNames, e.action) + " " + NameOr(kButtonNames, e.button) +
           " " + std::to_string(e.x) + " " + std::to_string(e.y) + "\n";
  }
  if (!block.text.empty()) out += "  text " + Quote(block.text, codePage) + "\n";
  out += "end\n";
}

// ---- Reading ----------------------------------------------------------------

struct ParseError {
  int line;
  std::string message;
};

struct Token {
  bool quoted = false;
  std::string text;  // a word as written, or the bytes of a string
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

class Line {
 public:
  Line(std::string_view source, int number, unsigned codePage)
      : number_(number), codePage_(codePage) {
    Tokenize(source);
  }

  bool empty() const { return tokens_.empty(); }
  int number() const { return number_; }
  [[noreturn]] void Fail(const std::string& message) const { throw ParseError{number_, message}; }

  std::string Keyword() {
    if (tokens_[0].quoted) Fail("a line starts with a keyword, not a string");
    keyword_ = tokens_[0].text;
    next_ = 1;
    return keyword_;
  }

  std::string String(const char* what) {
    const Token& t = Next(what);
    if (!t.quoted) Fail("'" + keyword_ + "': " + what + " must be a quoted string");
    return t.text;
  }

  std::string Word(const char* what) {
    const Token& t = Next(what);
    if (t.quoted) Fail("'" + keyword_ + "': " + what + " must not be quoted");
    return t.text;
  }

  bool HasMore() const { return next_ < tokens_.size(); }
  // Whether a string was read yet: the code page must come before any.
  bool HasString() const {
    return std::any_of(tokens_.begin(), tokens_.end(), [](const Token& t) { return t.quoted; });
  }

  int64_t Number(const char* what, int64_t min, int64_t max) {
    return ToNumber(Word(what), what, min, max);
  }

  int64_t ToNumber(const std::string& word, const char* what, int64_t min, int64_t max) const {
    int64_t value = 0;
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    if (ec != std::errc() || ptr != end) {
      Fail("'" + keyword_ + "': " + what + " must be a whole number, not '" + word + "'");
    }
    if (value < min || value > max) {
      Fail("'" + keyword_ + "': " + what + " " + word + " is outside " + std::to_string(min) +
           ".." + std::to_string(max));
    }
    return value;
  }

  void Done() const {
    if (next_ < tokens_.size()) {
      Fail("'" + keyword_ + "': unexpected '" + tokens_[next_].text + "' at the end of the line");
    }
  }

 private:
  const Token& Next(const char* what) {
    if (next_ >= tokens_.size()) Fail("'" + keyword_ + "': " + what + " is missing");
    return tokens_[next_++];
  }

  void Tokenize(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
      if (IsSpace(s[i])) {
        ++i;
      } else if (s[i] == '#') {
        break;
      } else if (s[i] == '"') {
        tokens_.push_back({true, ReadString(s, i)});
      } else {
        const size_t start = i;
        while (i < s.size() && !IsSpace(s[i]) && s[i] != '"' && s[i] != '#') ++i;
        tokens_.push_back({false, std::string(s.substr(start, i - start))});
      }
    }
  }

  // Reads the string that opens at s[i]; leaves i after its closing quote.
  std::string ReadString(std::string_view s, size_t& i) {
    std::string bytes;
    ++i;
    while (true) {
      if (i >= s.size()) Fail("a string is not closed by '\"'");
      const char c = s[i];
      if (c == '"') {
        ++i;
        return bytes;
      }
      if (c == '\\') {
        bytes += ReadEscape(s, i);
        continue;
      }
      const size_t length = text::ByteOffsetOfChar(s.substr(i), 1);
      const std::string_view ch = s.substr(i, length);
      const std::string byte = text::Utf8ToCodePage(ch, codePage_);
      if (byte.size() != 1 || text::CodePageToUtf8(byte, codePage_) != ch) FailOnCharacter(ch);
      bytes += byte;
      i += length;
    }
  }

  [[noreturn]] void FailOnCharacter(std::string_view ch) const {
    const bool valid = text::Utf8ToUtf16(ch) != u"\uFFFD" || ch == "\uFFFD";
    if (!valid) {
      const auto b = static_cast<unsigned char>(ch[0]);
      Fail(std::string("byte 0x") + kHexDigits[b >> 4] + kHexDigits[b & 0xF] +
           " is not valid UTF-8; write a raw byte as \\xHH");
    }
    Fail("'" + std::string(ch) + "' has no Windows-" + std::to_string(codePage_) +
         " byte; write a raw byte as \\xHH");
  }

  char ReadEscape(std::string_view s, size_t& i) {
    if (i + 1 >= s.size()) Fail("a string ends with a lone '\\'");
    const char kind = s[i + 1];
    if (kind == '"' || kind == '\\') {
      i += 2;
      return kind;
    }
    if (kind != 'x') Fail(std::string("unknown escape '\\") + kind + "' (use \\\\, \\\" or \\xHH)");
    const int high = i + 2 < s.size() ? HexValue(s[i + 2]) : -1;
    const int low = i + 3 < s.size() ? HexValue(s[i + 3]) : -1;
    if (high < 0 || low < 0) Fail("'\\x' must be followed by two hexadecimal digits");
    i += 4;
    return static_cast<char>(high * 16 + low);
  }

  int number_;
  unsigned codePage_;
  std::vector<Token> tokens_;
  std::string keyword_;
  size_t next_ = 0;
};

template <size_t N>
void ParseHex(Line& line, const std::string& word, std::array<uint8_t, N>& out) {
  if (word.size() != 2 * N) {
    line.Fail("'reserved': expected " + std::to_string(2 * N) + " hexadecimal digits, not '" +
              word + "'");
  }
  for (size_t k = 0; k < N; ++k) {
    const int high = HexValue(word[2 * k]), low = HexValue(word[2 * k + 1]);
    if (high < 0 || low < 0) line.Fail("'reserved': '" + word + "' is not hexadecimal");
    out[k] = static_cast<uint8_t>(high * 16 + low);
  }
}

int16_t NamedValue(Line& line, const std::map<int16_t, std::string>& names, const std::string& word,
                   const char* what) {
  for (const auto& [value, name] : names) {
    if (name == word) return value;
  }
  return static_cast<int16_t>(line.ToNumber(word, what, INT16_MIN, INT16_MAX));
}

class TextParser {
 public:
  explicit TextParser(ScriptImage& image) : image_(image) {
    image_ = ScriptImage{};
    image_.header.versionMajor = kVersionMajor;
    image_.header.versionMinor = kVersionMinor;
    image_.padding = 0;
  }

  unsigned codePage() const { return ShownCodePage(image_.header.codePage); }

  void ParseLine(Line& line) {
    const std::string keyword = line.Keyword();
    if (keyword == "codepage" && stringsSeen_) {
      line.Fail("'codepage' must come before the first string, which it decodes");
    }
    stringsSeen_ = stringsSeen_ || line.HasString();
    if (block_) {
      ParseBlockLine(line, keyword);
    } else {
      ParseTopLine(line, keyword);
    }
    line.Done();
  }

  void Finish() {
    if (block_) throw ParseError{blockLine_, "'block' is not closed by 'end'"};
    const bool trailer =
        !image_.gap.empty() || !image_.programPath.empty() || !image_.parameters.empty();
    if (image_.hasControlIds && image_.stamp.size() != kTimeStampSize) {
      throw ParseError{seen_["stamp"], "control IDs ('id' on 'window') follow a time stamp of " +
                                           std::to_string(kTimeStampSize) + " bytes"};
    }
    if (image_.programOffsetExplicit && trailer) {
      throw ParseError{seen_["program-offset"],
                       "'program-offset' is only for an empty trailer: it cannot be combined "
                       "with 'gap', 'program' or 'parameters'"};
    }
  }

 private:
  void Once(Line& line, const std::string& keyword) {
    auto [it, fresh] = seen_.emplace(keyword, line.number());
    if (!fresh) {
      line.Fail("'" + keyword + "' appears twice (first on line " + std::to_string(it->second) +
                ")");
    }
  }

  void ParseTopLine(Line& line, const std::string& keyword) {
    ScriptHeader& h = image_.header;
    if (keyword == "block") {
      block_ = &image_.blocks.emplace_back();
      blockLine_ = line.number();
      return;
    }
    Once(line, keyword);
    if (keyword == "screen") {
      h.screenWidth = static_cast<int32_t>(line.Number("width", INT32_MIN, INT32_MAX));
      h.screenHeight = static_cast<int32_t>(line.Number("height", INT32_MIN, INT32_MAX));
    } else if (keyword == "version") {
      h.versionMajor = static_cast<int16_t>(line.Number("major version", INT16_MIN, INT16_MAX));
      h.versionMinor = static_cast<int16_t>(line.Number("minor version", INT16_MIN, INT16_MAX));
    } else if (keyword == "codepage") {
      h.codePage = static_cast<int32_t>(line.Number("the code page", INT32_MIN, INT32_MAX));
    } else if (keyword == "control-ids") {
      image_.hasControlIds = true;
    } else if (keyword == "reserved") {
      ParseReserved(line, line.Word("bytes 16..19"));
      ParseHex(line, line.Word("bytes 36..38"), h.reserved36);
    } else if (keyword == "description") {
      image_.description = line.String("the description");
      if (image_.description.size() > kDescriptionSize) {
        line.Fail("'description' is " + std::to_string(image_.description.size()) +
                  " bytes long; at most " + std::to_string(kDescriptionSize) + " fit");
      }
    } else if (keyword == "gap") {
      image_.gap = line.String("the bytes");
    } else if (keyword == "program-offset") {
      h.programPathOffset = static_cast<int32_t>(line.Number("the offset", 0, INT32_MAX));
      image_.programOffsetExplicit = true;
    } else if (keyword == "program") {
      image_.programPath = line.String("the program path");
    } else if (keyword == "parameters") {
      image_.parameters = line.String("the parameters");
    } else if (keyword == "stamp") {
      image_.stamp = line.String("the time stamp");
    } else if (keyword == "padding") {
      const std::string word = line.Word("the padding byte");
      image_.padding.reset();
      if (word != "none")
        image_.padding = static_cast<uint8_t>(line.ToNumber(word, "the padding byte", 0, 255));
    } else if (keyword == "end") {
      line.Fail("'end' without 'block'");
    } else {
      line.Fail("unknown keyword '" + keyword + "'");
    }
  }

  void ParseBlockLine(Line& line, const std::string& keyword) {
    if (keyword == "window") {
      RawWindowStep step;
      step.className = line.String("the class name");
      step.caption = line.String("the caption");
      step.ordinal = static_cast<int32_t>(line.Number("the ordinal", INT32_MIN, INT32_MAX));
      if (line.HasMore()) {
        if (line.Word("'id'") != "id") line.Fail("'window': after the ordinal only 'id N' may follow");
        step.controlId = static_cast<int32_t>(line.Number("the control ID", INT32_MIN, INT32_MAX));
        image_.hasControlIds = true;
      }
      block_->windowPath.push_back(std::move(step));
    } else if (keyword == "mouse") {
      MouseEvent e;
      e.action = NamedValue(line, kActionNames, line.Word("the action"), "the action");
      e.button = NamedValue(line, kButtonNames, line.Word("the button"), "the button");
      e.x = static_cast<int32_t>(line.Number("x", INT32_MIN, INT32_MAX));
      e.y = static_cast<int32_t>(line.Number("y", INT32_MIN, INT32_MAX));
      block_->mouseEvents.push_back(e);
    } else if (keyword == "text") {
      if (textSeen_ == blockLine_) line.Fail("'text' appears twice in one block");
      textSeen_ = blockLine_;
      block_->text = line.String("the text");
    } else if (keyword == "end") {
      block_ = nullptr;
    } else if (keyword == "block") {
      line.Fail("'block' inside the block opened on line " + std::to_string(blockLine_) +
                " (missing 'end')");
    } else {
      line.Fail("unknown keyword '" + keyword + "' inside a block");
    }
  }

  // Bytes 16..19, or 12..19 as a text from before the code page had a line
  // of its own (it then also gives the code page).
  void ParseReserved(Line& line, const std::string& word) {
    ScriptHeader& h = image_.header;
    if (word.size() != 16) return ParseHex(line, word, h.reserved16);
    std::array<uint8_t, 8> bytes{};
    ParseHex(line, word, bytes);
    if (seen_.count("codepage") == 0) {
      h.codePage = GetInt32(std::string_view(reinterpret_cast<const char*>(bytes.data()), 4), 0);
    }
    std::copy_n(bytes.begin() + 4, 4, h.reserved16.begin());
  }

  ScriptImage& image_;
  bool stringsSeen_ = false;
  RawBlock* block_ = nullptr;
  int blockLine_ = 0;
  int textSeen_ = 0;
  std::map<std::string, int> seen_;
};

}  // namespace

std::string ScriptToText(const ScriptImage& image) {
  const ScriptHeader& h = image.header;
  std::string out = "# Orvanta script; `ovstool build` turns this text back into the file.\n";
  out += "screen " + std::to_string(h.screenWidth) + " " + std::to_string(h.screenHeight) + "\n";
  out += "version " + std::to_string(h.versionMajor) + " " + std::to_string(h.versionMinor) + "\n";
  const unsigned codePage = ShownCodePage(h.codePage);
  if (h.codePage != 0) out += "codepage " + std::to_string(h.codePage) + "\n";
  out += "reserved " + Hex(h.reserved16) + " " + Hex(h.reserved36) + "\n";
  // Also for blocks without a window step, whose IDs are an empty list each.
  if (image.hasControlIds) out += "control-ids\n";
  std::string_view description = image.description;
  while (!description.empty() && description.back() == '\0') description.remove_suffix(1);
  out += "description " + Quote(description, codePage) + "\n";
  size_t offset = kFirstBlockOffset;
  std::string encoded;
  for (size_t i = 0; i < image.blocks.size(); ++i) {
    WriteBlock(out, image.blocks[i], i + 1, offset, codePage, image.hasControlIds);
    encoded.clear();
    EncodeBlock(encoded, image.blocks[i]);
    offset += encoded.size();
  }
  if (!image.gap.empty()) out += "gap " + Quote(image.gap, codePage) + "\n";
  if (image.programOffsetExplicit) {
    out += "program-offset " + std::to_string(h.programPathOffset) + "\n";
  }
  out += "program " + Quote(image.programPath, codePage) + "\n";
  out += "parameters " + Quote(image.parameters, codePage) + "\n";
  out += "stamp " + Quote(image.stamp, codePage) + "\n";
  out += "padding " + (image.padding ? std::to_string(*image.padding) : "none") + "\n";
  return out;
}

std::optional<TextError> ScriptFromText(std::string_view source, ScriptImage& image) {
  if (source.substr(0, 3) == "\xEF\xBB\xBF") source.remove_prefix(3);  // a UTF-8 mark
  TextParser parser(image);
  int number = 0;
  try {
    while (!source.empty()) {
      const size_t end = source.find('\n');
      const std::string_view text = source.substr(0, end);
      source.remove_prefix(end == std::string_view::npos ? source.size() : end + 1);
      Line line(text, ++number, parser.codePage());
      if (!line.empty()) parser.ParseLine(line);
    }
    parser.Finish();
  } catch (const ParseError& e) {
    image = ScriptImage{};
    return TextError{e.line, e.message};
  }
  return std::nullopt;
}

}  // namespace script
