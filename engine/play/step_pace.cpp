#include "engine/play/step_pace.h"

#include "app/app.h"
#include "engine/play/pacing.h"

namespace engine {

void StepPace::Reset() {
  speedIndex_ = speed::kSlow;
  workingInterval_ = pacing::StepInterval(speedIndex_);
  fastMode_ = false;
  missCount_ = 0;
}

void StepPace::ReadSpeed(const app::App& app) {
  long long value = app.settings.GetNumber(app::setting::kSpeed);
  if (app.unattended && app.unattended->speed >= 0) value = app.unattended->speed;
  speedIndex_ = pacing::ValidSpeed(value);
  workingInterval_ = pacing::StepInterval(speedIndex_);
}

void StepPace::OnFound() {
  missCount_ = 0;
  if (fastMode_) return;
  fastMode_ = true;
  Restart(workingInterval_);
}

void StepPace::OnMissing() {
  if (fastMode_ && ++missCount_ >= speed::kMissesBeforeSlowSearch) {
    Restart(speed::kSearchInterval);
    fastMode_ = false;
  }
}

void StepPace::Restart(int interval) {
  stepTimer_.SetEnabled(false);
  stepTimer_.SetInterval(interval);
  stepTimer_.SetEnabled(true);
}

}  // namespace engine
