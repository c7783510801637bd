#pragma once
// Conversions at the edge of the Win32 API: UTF-8 inside, UTF-16 for W calls.
#include "platform/win32/windows_api.h"

#include <string>

#include "platform/text.h"

namespace win32 {

inline std::wstring Wide(const std::string& utf8) {
  const std::u16string s = text::Utf8ToUtf16(utf8);
  return std::wstring(s.begin(), s.end());
}

inline std::string Utf8(const std::wstring& wide) {
  return text::Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

inline std::string Utf8(const wchar_t* wide) { return wide ? Utf8(std::wstring(wide)) : ""; }

}  // namespace win32
