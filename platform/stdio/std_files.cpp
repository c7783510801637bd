#include "platform/stdio/std_files.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/text.h"

namespace fs = std::filesystem;

namespace stdio {
namespace {

// The program builds its paths with backslashes (a folder + "\\" + a name);
// elsewhere than on Windows they separate folders as the slash does.
fs::path PathOf(const std::string& utf8) {
  std::u8string path(utf8.begin(), utf8.end());
#ifndef _WIN32
  for (char8_t& c : path) {
    if (c == u8'\\') c = u8'/';
  }
#endif
  return fs::path(path);
}

std::string Utf8Of(const fs::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

}  // namespace

bool StdFileSystem::FindEntry(const std::string& path) const {
  std::error_code ec;
  return !EndsWithSeparator(path) && fs::exists(PathOf(path), ec);
}

std::optional<platform::FileAttributes> StdFileSystem::Attributes(const std::string& path) const {
  std::error_code ec;
  const fs::file_status status = fs::status(PathOf(path), ec);
  if (ec || !fs::exists(status)) return std::nullopt;
  platform::FileAttributes a;
  a.folder = fs::is_directory(status);
  a.readOnly = (status.permissions() & fs::perms::owner_write) == fs::perms::none;
  return a;
}

std::optional<std::string> StdFileSystem::ReadFile(const std::string& path) const {
  std::error_code ec;
  if (!fs::is_regular_file(PathOf(path), ec)) return std::nullopt;
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool StdFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool StdFileSystem::AppendFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::app);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool StdFileSystem::MoveFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  if (fs::exists(PathOf(to), ec)) return false;
  fs::rename(PathOf(from), PathOf(to), ec);
  return !ec;
}

bool StdFileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::rename(PathOf(from), PathOf(to), ec);
  return !ec;
}

bool StdFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  std::error_code ec;
  const auto options = failIfExists ? fs::copy_options::none : fs::copy_options::overwrite_existing;
  return fs::copy_file(PathOf(from), PathOf(to), options, ec) && !ec;
}

bool StdFileSystem::DeleteFile(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(PathOf(path), ec)) return false;
  return fs::remove(PathOf(path), ec) && !ec;
}

bool StdFileSystem::CreateFolder(const std::string& path) {
  std::error_code ec;
  return fs::create_directory(PathOf(path), ec) && !ec;
}

bool StdFileSystem::SetReadOnly(const std::string& path, bool readOnly) {
  std::error_code ec;
  fs::permissions(PathOf(path),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add, ec);
  return !ec;
}

std::optional<std::vector<platform::FolderEntry>> StdFileSystem::ListFolder(
    const std::string& folder, const std::string& pattern) const {
  std::error_code ec;
  fs::directory_iterator it(PathOf(folder), ec);
  if (ec) return std::nullopt;
  std::vector<platform::FolderEntry> entries;
  for (const fs::directory_entry& entry : it) {
    std::string name = Utf8Of(entry.path().filename());
    if (!platform::MatchesPattern(name, pattern)) continue;
    const bool folder = entry.is_directory(ec);
    const uint64_t size = folder ? 0 : entry.file_size(ec);
    entries.push_back({std::move(name), folder, ec ? 0 : size});
  }
  return entries;
}

platform::DriveType StdFileSystem::GetDriveType(const std::string& root) const {
  std::error_code ec;
  return fs::is_directory(PathOf(root), ec) ? platform::DriveType::Fixed
                                            : platform::DriveType::NoRootDir;
}

std::vector<std::string> StdFileSystem::LogicalDrives() const {
#ifdef _WIN32
  std::vector<std::string> roots;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveType(root) != platform::DriveType::NoRootDir) roots.push_back(root);
  }
  return roots;
#else
  return {"/"};
#endif
}

std::string StdSystem::UserName() const {
  const std::string user = Environment("USERNAME");
  return user.empty() ? Environment("USER") : user;
}

std::string StdSystem::WindowsFolder() const {
  return Environment("SystemRoot");
}

std::string StdSystem::TempPath() const {
  std::error_code ec;
  std::string temp = Utf8Of(fs::temp_directory_path(ec));
  if (!temp.empty() && !EndsWithSeparator(temp))
    temp += static_cast<char>(fs::path::preferred_separator);
  return temp;
}

std::string StdSystem::ProgramFolder() const {
  std::error_code ec;
  return Utf8Of(fs::current_path(ec));
}

std::string StdSystem::ProgramFilesFolder() const {
  return Environment("ProgramFiles");
}

platform::LocalTime StdSystem::Now() const {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

long long StdSystem::AwakeTimeMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The tools that run beside Windows read scripts made on a Russian one.
unsigned StdSystem::AnsiCodePage() const { return 1251; }

bool StdSystem::KnowsCodePage(unsigned codePage) const {
  return text::IsSingleByteCodePageKnown(codePage);
}

std::string StdSystem::ToCodePage(const std::string& utf8, unsigned codePage) const {
  return text::Utf8ToCodePage(utf8, codePage);
}

std::string StdSystem::FromCodePage(const std::string& bytes, unsigned codePage) const {
  return text::CodePageToUtf8(bytes, codePage);
}

}  // namespace stdio
