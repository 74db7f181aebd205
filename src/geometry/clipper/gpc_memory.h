// Checked allocation for the polygon clipper: every allocation is tested, and a failed one ends
// the process with "gpc malloc failure: <what>" on standard error (exit status 0). Also a growable
// array of trivially copyable values kept in such memory, and a fixed block that such arrays take
// their first capacity from, so that a small clip allocates nothing for its tables.
//
// A build with LUMO_CLIPPER_FAULT_INJECTION defined can make a chosen allocation fail, so the
// failure path can be tested. A build with LUMO_CLIPPER_COUNT_WORK defined counts the sweep's
// work, so its growth can be tested.
#ifndef LUMOTOOLS_SRC_GEOMETRY_CLIPPER_GPC_MEMORY_H_
#define LUMOTOOLS_SRC_GEOMETRY_CLIPPER_GPC_MEMORY_H_

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace lumo_gpc {

// malloc(bytes), or null for 0 bytes. Never returns null for a nonzero request.
void* Allocate(size_t bytes, const char* what);
// realloc(p, bytes); bytes > 0. Never returns null.
void* Reallocate(void* p, size_t bytes, const char* what);

#if defined(LUMO_CLIPPER_FAULT_INJECTION)
// Lets count allocations succeed and fails the next one; a negative count fails none.
void FailAllocationAfter(long count);
// How many allocations may still succeed before the chosen one fails.
long AllocationsBeforeFailure();
#endif

#if defined(LUMO_CLIPPER_COUNT_WORK)
// How many abscissas of edges on a scanline the sweep has computed: its unit of work.
extern long abscissas_computed;
#endif

// A fixed block of memory handed out front to back and never given back: the tables of one clip,
// on the caller's stack. Not thread-safe.
class Arena {
 public:
  static constexpr size_t kBytes = 32 * 1024;

  Arena() = default;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // bytes from the block, aligned for any value, or null when the block has no room left.
  void* Take(size_t bytes) {
    const size_t rounded = (bytes + kAlign - 1) / kAlign * kAlign;
    if (rounded > kBytes - used_) return nullptr;
    void* p = block_ + used_;
    used_ += rounded;
    return p;
  }

  // How much of the block has been handed out, and a way back to an earlier such point: what was
  // handed out since is free again (nothing may use it any more).
  size_t used() const { return used_; }
  void Rewind(size_t used) { used_ = used; }

 private:
  static constexpr size_t kAlign = alignof(std::max_align_t);
  alignas(std::max_align_t) unsigned char block_[kBytes];
  size_t used_ = 0;
};

// A vector of trivially copyable T in checked memory; `what` names its allocations. With an
// arena, capacity comes from the arena while it has room (the arena must outlive the buffer).
template <class T>
class Buffer {
  static_assert(std::is_trivially_copyable<T>::value, "Buffer holds plain values");

 public:
  explicit Buffer(const char* what, Arena* arena = nullptr) : what_(what), arena_(arena) {}
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  ~Buffer() {
    if (!in_arena_) std::free(data_);
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return data_; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }
  T& back() { return data_[size_ - 1]; }

  void clear() { size_ = 0; }
  void reserve(size_t n) {
    if (n <= capacity_) return;
    void* p = arena_ != nullptr ? arena_->Take(n * sizeof(T)) : nullptr;
    if (p != nullptr || in_arena_) {
      const bool taken = p != nullptr;
      if (!taken) p = Allocate(n * sizeof(T), what_);
      if (size_ > 0) std::memcpy(p, data_, size_ * sizeof(T));
      if (!in_arena_) std::free(data_);
      data_ = static_cast<T*>(p);
      in_arena_ = taken;
    } else {
      data_ = static_cast<T*>(Reallocate(data_, n * sizeof(T), what_));
    }
    capacity_ = n;
  }
  void resize(size_t n) {
    reserve(n);
    size_ = n;
  }
  void push_back(const T& value) {
    if (size_ == capacity_) reserve(capacity_ < 8 ? 8 : capacity_ * 2);
    data_[size_++] = value;
  }

 private:
  const char* what_;
  Arena* arena_;
  T* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
  bool in_arena_ = false;  // data_ came from arena_
};

}  // namespace lumo_gpc

#endif  // LUMOTOOLS_SRC_GEOMETRY_CLIPPER_GPC_MEMORY_H_
