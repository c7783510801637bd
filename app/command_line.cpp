#include "app/command_line.h"

#include <algorithm>
#include <charconv>

#include "app/paths.h"
#include "platform/text.h"

namespace app {
namespace {

constexpr int kMaxTimeoutSeconds = 7 * 24 * 60 * 60;

bool IsOption(const std::string& word, const char* name) { return text::EqualsNoCase(word, name); }

bool ParseNumber(const std::string& s, int& value) {
  const char* end = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(s.data(), end, value);
  return ec == std::errc() && ptr == end && !s.empty();
}

class Parser {
 public:
  Parser(const platform::FileSystem& fs, std::vector<std::string> words)
      : fs_(fs), words_(std::move(words)) {}

  CommandLineRun Parse() {
    const bool isRun = std::any_of(words_.begin(), words_.end(), [](const std::string& w) {
      return IsOption(w, "/PLAY") || IsOption(w, "/RECORD") || IsOption(w, "/RESUME");
    });
    if (!isRun) return run_;
    FindReport();
    while (run_.error.empty() && pos_ < words_.size()) ParseOption(words_[pos_++]);
    if (run_.error.empty()) CheckWhole();
    return run_;
  }

 private:
  // The report file first: a problem anywhere else on the line goes there too,
  // so a run with a report never waits for anybody.
  void FindReport() {
    for (size_t i = 0; i + 1 < words_.size(); ++i) {
      if (IsOption(words_[i], "/REPORT") && !words_[i + 1].empty() && words_[i + 1][0] != '/') {
        run_.options.reportPath = words_[i + 1];
        return;
      }
    }
  }

  void Fail(const std::string& message) {
    if (run_.error.empty()) run_.error = message;
  }

  // The word after an option; empty (after an error) when there is none.
  std::string Argument(const std::string& option, const std::string& what) {
    if (pos_ >= words_.size() || words_[pos_].empty() || words_[pos_][0] == '/') {
      Fail("Не указан " + what + " после " + option + ".");
      return {};
    }
    return words_[pos_++];
  }

  void Once(bool& seen, const std::string& option) {
    if (seen) Fail("Параметр " + option + " указан дважды.");
    seen = true;
  }

  void SetKind(CommandLineRun::Kind kind) {
    if (run_.kind != CommandLineRun::Kind::None) Fail("Можно указать только одно из /PLAY и /RECORD.");
    run_.kind = kind;
  }

  void ParseOption(const std::string& word) {
    if (IsOption(word, "/PLAY")) {
      SetKind(CommandLineRun::Kind::Play);
      run_.target = Argument("/PLAY", "сценарий или папка");
    } else if (IsOption(word, "/RECORD")) {
      SetKind(CommandLineRun::Kind::Record);
      run_.target = Argument("/RECORD", "путь к программе установки");
      if (run_.error.empty()) run_.scriptPath = Argument("/RECORD", "файл сценария");
    } else if (IsOption(word, "/RESUME")) {
      SetKind(CommandLineRun::Kind::Resume);
      run_.scriptPath = Argument("/RESUME", "файл состояния запуска");
    } else if (IsOption(word, "/SPEED")) {
      Once(seenSpeed_, "/SPEED");
      const std::string value = Argument("/SPEED", "номер скорости");
      if (run_.error.empty() &&
          (!ParseNumber(value, run_.options.speed) || run_.options.speed < 0 ||
           run_.options.speed > 2)) {
        Fail("Скорость должна быть 0, 1 или 2, а указано: " + value + ".");
      }
    } else if (IsOption(word, "/TIMEOUT")) {
      Once(seenTimeout_, "/TIMEOUT");
      const std::string value = Argument("/TIMEOUT", "срок ожидания");
      int& seconds = run_.options.timeoutSeconds;
      if (run_.error.empty() &&
          (!ParseNumber(value, seconds) || seconds < 1 || seconds > kMaxTimeoutSeconds)) {
        Fail("Срок ожидания должен быть целым числом секунд от 1 до " +
             std::to_string(kMaxTimeoutSeconds) + ", а указано: " + value + ".");
      }
    } else if (IsOption(word, "/REPORT")) {
      Once(seenReport_, "/REPORT");
      run_.options.reportPath = Argument("/REPORT", "файл отчёта");
    } else if (IsOption(word, "/LOG")) {
      Once(seenLog_, "/LOG");
      run_.options.logPath = Argument("/LOG", "файл журнала");
    } else if (IsOption(word, "/MESSAGES")) {
      Once(seenMessages_, "/MESSAGES");
      run_.options.messages = true;
    } else {
      Fail("Неизвестный параметр: " + word + ".");
    }
  }

  void CheckWhole() {
    if (run_.kind == CommandLineRun::Kind::Resume) {
      if (seenSpeed_ || seenTimeout_ || seenReport_ || seenLog_ || seenMessages_) {
        Fail("После /RESUME параметры не указываются: запуск продолжается с прежними.");
      }
      return;
    }
    if (run_.kind == CommandLineRun::Kind::Play) {
      if (!PathExists(fs_, run_.target)) Fail("Не найден сценарий или папка: " + run_.target + ".");
      return;
    }
    if (seenSpeed_ || seenTimeout_ || seenReport_ || seenLog_ || seenMessages_) {
      Fail("Параметры /SPEED, /TIMEOUT, /REPORT, /LOG и /MESSAGES действуют только вместе с /PLAY.");
    } else if (!PathExists(fs_, run_.target)) {
      Fail("Не найдена программа установки: " + run_.target + ".");
    } else if (FileTitleOfPath(run_.scriptPath).empty() ||
               !PathExists(fs_, FolderOfPath(run_.scriptPath))) {
      Fail("Сценарий нельзя сохранить в " + run_.scriptPath +
           ": нужен путь к файлу .ovs в существующей папке.");
    }
  }

  const platform::FileSystem& fs_;
  std::vector<std::string> words_;
  size_t pos_ = 0;
  CommandLineRun run_;
  bool seenSpeed_ = false, seenTimeout_ = false, seenReport_ = false, seenLog_ = false,
       seenMessages_ = false;
};

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, inWord = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

CommandLineRun ParseRunCommand(const platform::FileSystem& fs, const std::string& line) {
  return Parser(fs, SplitCommandLine(line)).Parse();
}

std::string UsageText() {
  return "Использование:\r\n"
         "  orvanta.exe /PLAY <сценарий.ovs или папка> [/SPEED 0|1|2] [/TIMEOUT <секунды>] "
         "[/REPORT <файл>] [/LOG <файл>] [/MESSAGES]\r\n"
         "  orvanta.exe /RECORD <программа установки> <сценарий.ovs>\r\n"
         "  orvanta.exe /ADD <сценарий.ovs>";
}

}  // namespace app
