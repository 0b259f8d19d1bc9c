// The seam through which a backend's faults reach the display device: before each operation
// the device asks whether it is to report a result in its place, and whether a surface's
// memory is lost. The shipped program has none; the headless backend's (HeadlessDisplayFaults)
// lets tests choose any of these so that the retry and restore paths run.
#pragma once

#include "platform/display/display_device.h"

namespace platform {

class DisplayFaults {
 public:
  virtual ~DisplayFaults() = default;
  // True, with the result to report, when `op` is not to run this time.
  virtual bool Fault(DisplayOp op, DisplayResult& result) = 0;
  // Whether the surface's memory is lost, until it is restored.
  virtual bool Lost(Surface surface) const = 0;
  // The surface was restored: its memory is back.
  virtual void Restored(Surface surface) = 0;
  // False until a fault has been set up: until then the device asks neither question (a
  // blind par makes millions of display calls and would spend a tenth of its time asking).
  bool Armed() const { return armed_; }

 protected:
  bool armed_ = false;
};

}  // namespace platform
