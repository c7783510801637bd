// Loading a library of 2,000 scripts into the library window (list, merge
// with a 2,000-line Position.lst, a hint from every script) beside simply
// reading the same files. Both work on real files in a temporary folder, so
// the plain read pays what a disk read costs, as the window's does.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/app.h"
#include "library/frmMain.h"
#include "platform/sim/sim_machine.h"
#include "platform/stdio/std_files.h"

namespace {

constexpr int kScripts = 2000;
constexpr int kBlocksPerScript = 40;  // a long setup wizard

// The simulated machine with the real file system in place of its own.
struct Library {
  sim::SimMachine machine;
  stdio::StdFileSystem disk;
  platform::Platform platform{disk,           machine.ini,   machine.registry, machine.system,
                              machine.desktop, machine.shell, machine.ui};
  app::App app{platform};
  std::string folder = (std::filesystem::temp_directory_path() / "orvanta-library-bench").string();
  std::vector<std::string> paths;

  Library() {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    app.macros = app::BuildMacroTable(machine.platform);
    const std::string setup = folder + "\\setup.exe";
    disk.WriteFile(setup, "MZ");
    script::ScriptBuffer& s = app.script;
    std::string positions;
    for (int i = 0; i < kScripts; ++i) {
      s.NewScript("Пакет номер " + std::to_string(i));
      for (int b = 0; b < kBlocksPerScript; ++b) {
        s.BeginBlock();
        s.block.windowPath = {{"#32770", "Установка пакета ", 1}, {"Button", "&Далее >", 1}};
        s.block.mouseEvents = {{1, 1, 40, 12}, {1, 3, 0, 0}};
        s.AppendBlock();
      }
      s.AppendProgramPath(setup);
      s.AppendParameters("");
      s.AppendTimeStamp();
      s.ScrambleBuffer();
      const std::string name = "Пакет " + std::to_string(i);
      paths.push_back(folder + "\\" + name + ".OVS");
      disk.WriteFile(paths.back(), s.bytes());
      positions = machine.system.ToAnsi(name) + "\r\n" + positions;
    }
    // The stored order is the reverse of the folder's.
    disk.WriteFile(folder + "\\Position.lst", positions);
    app.scriptFolder = folder;
  }
  ~Library() { std::filesystem::remove_all(folder); }
};

void LoadLibraryWindow(benchmark::State& state) {
  Library library;
  library::FrmMain& window = library.app.MainWindow();
  for (auto _ : state) {
    window.LoadList();
    window.LoadTipText();
  }
  state.counters["lines"] = double(window.List1.items().size());
}
BENCHMARK(LoadLibraryWindow)->Unit(benchmark::kMillisecond);

void ReadTheSameFiles(benchmark::State& state) {
  Library library;
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    const auto names = library.disk.ListFolder(library.folder, "*.ovs");
    for (const platform::FolderEntry& entry : *names) {
      bytes += library.disk.ReadFile(library.folder + "\\" + entry.name)->size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(ReadTheSameFiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
