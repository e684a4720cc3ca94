#pragma once

namespace vimbrel {

// One tour at a time in the user's session, whichever copy of the program
// runs it and with whichever list: two tours would send keys into each
// other's browsers.
class DesktopLock {
 public:
  virtual ~DesktopLock() = default;
  // Takes the lock; false while another copy of the program holds it.
  virtual bool TryAcquire() = 0;
  // Lets it go; nothing when it is not held. A program that ends lets it go
  // too, however it ends.
  virtual void Release() = 0;
};

}  // namespace vimbrel
