#include "platform/headless/display_faults.h"

namespace platform {

void HeadlessDisplayFaults::InjectResult(DisplayOp op, DisplayResult result, int times) {
  armed_ = true;
  for (int i = 0; i < times; ++i) injected_[static_cast<size_t>(op)].push_back(result);
}

void HeadlessDisplayFaults::LoseSurface(Surface surface) {
  armed_ = true;
  if (surface > 0) lost_.insert(surface);
}

bool HeadlessDisplayFaults::Fault(DisplayOp op, DisplayResult& result) {
  auto& queue = injected_[static_cast<size_t>(op)];
  if (queue.empty()) return false;
  result = queue.front();
  queue.pop_front();
  return true;
}

bool HeadlessDisplayFaults::Lost(Surface surface) const {
  return lost_.count(surface) != 0;
}

void HeadlessDisplayFaults::Restored(Surface surface) {
  lost_.erase(surface);
}

}  // namespace platform
