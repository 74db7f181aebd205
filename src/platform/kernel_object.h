// The object behind every kernel handle the platform hands out. Internal.
//
// A HANDLE of this kind is a KernelObject* converted to void*, so CloseHandle and
// WaitForSingleObject serve every kind: a facility derives its objects from KernelObject, hands
// them out with ToHandle, and overrides Wait when its objects can be waited on.
#ifndef LUMOTOOLS_SRC_PLATFORM_KERNEL_OBJECT_H_
#define LUMOTOOLS_SRC_PLATFORM_KERNEL_OBJECT_H_

#include "lumotools/platform/sync.h"
#include "lumotools/platform/types.h"

namespace lumo_platform {

class KernelObject {
 public:
  KernelObject() = default;
  virtual ~KernelObject() = default;
  KernelObject(const KernelObject&) = delete;
  KernelObject& operator=(const KernelObject&) = delete;

  // Waits until the object is signalled, as WaitForSingleObject. Objects that cannot be waited
  // on return WAIT_FAILED.
  virtual DWORD Wait(DWORD milliseconds) {
    (void)milliseconds;
    return WAIT_FAILED;
  }
};

inline HANDLE ToHandle(KernelObject* object) { return static_cast<void*>(object); }

// REQUIRES: handle is null or came from ToHandle.
inline KernelObject* FromHandle(HANDLE handle) { return static_cast<KernelObject*>(handle); }

}  // namespace lumo_platform

#endif  // LUMOTOOLS_SRC_PLATFORM_KERNEL_OBJECT_H_
