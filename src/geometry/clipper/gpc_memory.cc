#include "gpc_memory.h"

#include <cstdio>

namespace lumo_gpc {
namespace {

#if defined(LUMO_CLIPPER_FAULT_INJECTION)
long allocations_before_failure = -1;

bool InjectedFailure() {
  if (allocations_before_failure < 0) return false;
  return allocations_before_failure-- == 0;
}
#else
constexpr bool InjectedFailure() { return false; }
#endif

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "gpc malloc failure: %s\n", what);
  std::exit(0);
}

}  // namespace

#if defined(LUMO_CLIPPER_FAULT_INJECTION)
void FailAllocationAfter(long count) { allocations_before_failure = count; }
long AllocationsBeforeFailure() { return allocations_before_failure; }
#endif

void* Allocate(size_t bytes, const char* what) {
  if (bytes == 0) return nullptr;
  void* p = InjectedFailure() ? nullptr : std::malloc(bytes);
  if (p == nullptr) Fail(what);
  return p;
}

void* Reallocate(void* p, size_t bytes, const char* what) {
  void* q = InjectedFailure() ? nullptr : std::realloc(p, bytes);
  if (q == nullptr) Fail(what);
  return q;
}

}  // namespace lumo_gpc
