// Script buffer throughput against a plain copy of the same bytes: loading
// and walking a long script, and recording one.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>

#include "app/app.h"
#include "platform/sim/sim_machine.h"

namespace {

constexpr int kBlocks = 100000;  // the size reported; a tenth of it shows the growth is linear
constexpr const char* kScriptPath = "C:\\Scripts\\Long.OVS";

struct Machine {
  sim::SimMachine machine;
  app::App app{machine.platform};
  Machine() { app.macros = app::BuildMacroTable(machine.platform); }
};

// One wizard gesture of a typical recording; every tenth block carries a text.
void RecordGesture(script::ScriptBuffer& s, int i) {
  s.BeginBlock();
  s.block.windowPath = {{"#32770", "Установка Demo App ", 1}, {"Button", "&Далее >", 1}};
  s.block.mouseEvents = {{script::button::kLeft, script::action::kPress, 40, 12},
                         {script::button::kLeft, script::action::kMove, 1, 0},
                         {script::button::kLeft, script::action::kRelease, 1, 0}};
  if (i % 10 == 0) s.block.blockText = "%PROGRAMFILES%\\Demo App";
  s.AppendBlock();
}

void RecordLongScript(script::ScriptBuffer& s, int blocks) {
  s.NewScript("Длинный сценарий");
  for (int i = 0; i < blocks; ++i) RecordGesture(s, i);
  s.AppendProgramPath("%CDROM%\\setup.exe");
  s.AppendParameters("/S");
  s.AppendTimeStamp();
  s.ScrambleBuffer();
}

const std::string& LongScriptBytes(int blocks) {
  static std::map<int, std::string> scripts;
  auto it = scripts.find(blocks);
  if (it == scripts.end()) {
    Machine m;
    RecordLongScript(m.app.script, blocks);
    it = scripts.emplace(blocks, m.app.script.bytes()).first;
  }
  return it->second;
}

void BM_LoadAndWalk(benchmark::State& state) {
  const int expected = static_cast<int>(state.range(0));
  const std::string& bytes = LongScriptBytes(expected);
  Machine m;
  m.machine.files.PutFile(kScriptPath, bytes);
  script::ScriptBuffer& s = m.app.script;
  for (auto _ : state) {
    if (!s.LoadPlainScript(m.machine.files, kScriptPath)) state.SkipWithError("not readable");
    s.RewindBlocks();
    int blocks = 0;
    while (s.ReadNextBlock()) ++blocks;
    if (blocks != expected) state.SkipWithError("blocks missing");
    benchmark::DoNotOptimize(s.block);
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
}

void BM_Record(benchmark::State& state) {
  const int blocks = static_cast<int>(state.range(0));
  Machine m;
  for (auto _ : state) {
    RecordLongScript(m.app.script, blocks);
    benchmark::DoNotOptimize(m.app.script.bytes().data());
  }
  state.SetBytesProcessed(state.iterations() * LongScriptBytes(blocks).size());
}

void BM_StringCopy(benchmark::State& state) {
  const std::string& bytes = LongScriptBytes(kBlocks);
  for (auto _ : state) {
    std::string copy = bytes;
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_Memcpy(benchmark::State& state) {
  const std::string& bytes = LongScriptBytes(kBlocks);
  std::string target(bytes.size(), '\0');
  for (auto _ : state) {
    std::memcpy(target.data(), bytes.data(), bytes.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}

BENCHMARK(BM_LoadAndWalk)->Arg(kBlocks / 10)->Arg(kBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Record)->Arg(kBlocks / 10)->Arg(kBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StringCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
