#pragma once
// What every kind of confirmation shares: what it is checked against, how
// often it was played, and since when it is waited for.
#include "app/app.h"
#include "engine/play/confirmation.h"

namespace engine {

// The window is there and its thread answers.
inline bool Answering(const platform::Desktop& desktop, platform::WindowHandle window) {
  return desktop.IsWindow(window) && desktop.IsResponding(desktop.RootWindow(window));
}

class ConfirmationBase : public Confirmation {
 public:
  ConfirmationBase(app::App& app, BeforePress before)
      : app_(app), before_(std::move(before)), sinceMs_(Now()) {}
  platform::WindowHandle target() const override { return before_.target; }

 protected:
  long long Now() const { return app_.platform.system.AwakeTimeMs(); }
  const platform::Desktop& desktop() const { return app_.platform.desktop; }
  void Played() {
    ++attempts_;
    sinceMs_ = Now();
    owed_ = false;
  }
  void NotPlayed() override {
    --attempts_;
    owed_ = true;
  }

  app::App& app_;
  BeforePress before_;
  long long sinceMs_;
  int attempts_ = 1;
  bool owed_ = false;  // the last play never reached the window
};

}  // namespace engine
