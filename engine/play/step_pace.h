#pragma once
// The step timer's pace: the speed's interval while the block's window is
// there, a slower search once it has been missing a while.
namespace app {
class App;
}
namespace ui {
class Timer;
}

namespace engine {

class StepPace {
 public:
  explicit StepPace(ui::Timer& stepTimer) : stepTimer_(stepTimer) {}

  void Reset();
  // The speed the settings or the command line ask for.
  void ReadSpeed(const app::App& app);
  void OnFound();    // the block's window is there: the speed's interval
  void OnMissing();  // not there: after a while, the slower search
  int speedIndex() const { return speedIndex_; }
  int workingInterval() const { return workingInterval_; }

 private:
  void Restart(int interval);

  ui::Timer& stepTimer_;
  int speedIndex_ = 2;
  int workingInterval_ = 500;
  bool fastMode_ = false;
  int missCount_ = 0;
};

}  // namespace engine
