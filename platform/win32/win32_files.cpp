#include "platform/win32/windows_api.h"

#include "platform/win32/wide.h"
#include "platform/win32/win32_services.h"

namespace win32 {
namespace {

// Closes a file handle when it goes out of scope.
struct FileHandle {
  HANDLE h;
  explicit FileHandle(HANDLE handle) : h(handle) {}
  ~FileHandle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  bool ok() const { return h != INVALID_HANDLE_VALUE; }
};

}  // namespace

bool Win32FileSystem::FindEntry(const std::string& path) const {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(Wide(path).c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

std::optional<platform::FileAttributes> Win32FileSystem::Attributes(const std::string& path) const {
  const DWORD a = GetFileAttributesW(Wide(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return platform::FileAttributes{(a & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                  (a & FILE_ATTRIBUTE_READONLY) != 0};
}

std::optional<std::string> Win32FileSystem::ReadFile(const std::string& path) const {
  FileHandle f(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.ok()) return std::nullopt;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.h, &size) || size.QuadPart > 0x7FFFFFFF) return std::nullopt;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && (!::ReadFile(f.h, bytes.data(), DWORD(bytes.size()), &read, nullptr) ||
                         read != bytes.size())) {
    return std::nullopt;
  }
  return bytes;
}

bool Win32FileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  FileHandle f(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.ok()) return false;
  DWORD written = 0;
  if (!bytes.empty() &&
      (!::WriteFile(f.h, bytes.data(), DWORD(bytes.size()), &written, nullptr) ||
       written != bytes.size())) {
    return false;
  }
  return FlushFileBuffers(f.h) != 0;
}

bool Win32FileSystem::AppendFile(const std::string& path, const std::string& bytes) {
  FileHandle f(CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.ok()) return false;
  DWORD written = 0;
  return bytes.empty() ||
         (::WriteFile(f.h, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
          written == bytes.size());
}

bool Win32FileSystem::MoveFile(const std::string& from, const std::string& to) {
  return ::MoveFileW(Wide(from).c_str(), Wide(to).c_str()) != 0;
}

bool Win32FileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32FileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  return ::CopyFileW(Wide(from).c_str(), Wide(to).c_str(), failIfExists) != 0;
}

bool Win32FileSystem::DeleteFile(const std::string& path) {
  return ::DeleteFileW(Wide(path).c_str()) != 0;
}

bool Win32FileSystem::CreateFolder(const std::string& path) {
  return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0;
}

bool Win32FileSystem::SetReadOnly(const std::string& path, bool readOnly) {
  const std::wstring w = Wide(path);
  const DWORD a = GetFileAttributesW(w.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  const DWORD wanted = readOnly ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~FILE_ATTRIBUTE_READONLY);
  return SetFileAttributesW(w.c_str(), wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted) != 0;
}

std::optional<std::vector<platform::FolderEntry>> Win32FileSystem::ListFolder(
    const std::string& folder, const std::string& pattern) const {
  const DWORD a = GetFileAttributesW(Wide(folder).c_str());
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  std::string base = folder;
  if (!base.empty() && base.back() != '\\') base += '\\';
  std::vector<platform::FolderEntry> entries;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(Wide(base + "*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::string name = Utf8(data.cFileName);
    if (name == "." || name == "..") continue;
    // Matched here rather than by the system, which also matches 8.3 names.
    if (platform::MatchesPattern(name, pattern)) {
      const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      const uint64_t size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
      entries.push_back({name, folder, folder ? 0 : size,
                         (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0,
                         (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0});
    }
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return entries;
}

platform::DriveType Win32FileSystem::GetDriveType(const std::string& root) const {
  return static_cast<platform::DriveType>(GetDriveTypeW(Wide(root).c_str()));
}

std::vector<std::string> Win32FileSystem::LogicalDrives() const {
  wchar_t buffer[512] = {};
  const DWORD n = GetLogicalDriveStringsW(511, buffer);
  std::vector<std::string> roots;
  for (const wchar_t* p = buffer; p < buffer + n && *p; p += wcslen(p) + 1) roots.push_back(Utf8(p));
  return roots;
}

}  // namespace win32
