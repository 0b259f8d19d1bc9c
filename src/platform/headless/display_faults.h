// The headless backend's display faults: results queued per operation, and surfaces lost
// until the program restores them.
#pragma once

#include <array>
#include <deque>
#include <set>

#include "platform/display/display_faults.h"

namespace platform {

class HeadlessDisplayFaults : public DisplayFaults {
 public:
  // The next `times` calls of `op` report `result` without running.
  void InjectResult(DisplayOp op, DisplayResult result, int times = 1);
  // The surface's memory is lost: every use of it reports so until it is restored.
  void LoseSurface(Surface surface);

  bool Fault(DisplayOp op, DisplayResult& result) override;
  bool Lost(Surface surface) const override;
  void Restored(Surface surface) override;

 private:
  std::array<std::deque<DisplayResult>, static_cast<size_t>(DisplayOp::kCount)> injected_;
  std::set<Surface> lost_;
};

}  // namespace platform
