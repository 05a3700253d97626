// Ownership of a handle kept in a field of the run's record, for one scope of the launcher's
// platform side.
#pragma once

#include "platform/win32_api.h"

// Closes the handle in `field`, and clears the field, on every way out of the scope, unless Keep()
// hands it on. Owners in one scope close in the reverse of the order they were made; Close() closes
// earlier, where the order of the calls says so.
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE& field) : field_(field) {}
  ~OwnedHandle() { Close(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  void Close() {
    if (field_ != nullptr && !kept_) CloseHandle(field_);
    if (!kept_) field_ = nullptr;
  }
  void Keep() { kept_ = true; }

 private:
  HANDLE& field_;
  bool kept_ = false;
};
