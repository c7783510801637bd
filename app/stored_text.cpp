#include "app/stored_text.h"

#include "platform/text.h"

namespace app {

std::string CharsOutsideCodePage(const platform::System& system, std::string_view text,
                                 unsigned codePage) {
  const unsigned page = codePage != 0 ? codePage : system.AnsiCodePage();
  const auto fits = [&](const std::string& s) { return system.AsStoredIn(s, page) == s; };
  const std::string whole(text);
  if (fits(whole)) return {};
  std::string found;
  for (size_t i = 0; i < text.size();) {
    const std::string ch(text.substr(i, text::ByteOffsetOfChar(text.substr(i), 1)));
    i += ch.size();
    if (fits(ch)) continue;
    if (found.find(ch) != std::string::npos) continue;
    found += (found.empty() ? "" : " ") + ch;
  }
  return found;
}

std::string OutsideCodePageMessage(const std::string& field, const std::string& chars) {
  return "В поле «" + field + "» есть знаки, которые невозможно сохранить в файле в кодировке " +
         "Windows: " + chars + "\r\nЗамените или удалите их.";
}

}  // namespace app
