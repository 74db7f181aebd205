// Array storage: small blocks from operator new, large ones mapped on large-page boundaries and
// offered to the kernel for transparent huge pages. Thread-safe.
#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "lumotools/platform/array.h"

namespace {

// Blocks from this size on are mapped.
constexpr std::size_t kMappedBlock = std::size_t{1} << 20;
// The large-page size of x86-64 and of AArch64 with 4 KiB pages; elsewhere only an alignment.
constexpr std::size_t kLargePage = std::size_t{2} << 20;

std::size_t RoundUp(std::size_t n, std::size_t unit) { return (n + unit - 1) / unit * unit; }

}  // namespace

namespace lumo_platform {

void* AllocateArrayBlock(std::size_t bytes) {
  if (bytes < kMappedBlock) return ::operator new(bytes);
  const std::size_t size = RoundUp(bytes, kLargePage);
  if (size < bytes || size + kLargePage < size) throw std::bad_alloc();
  // One large page more than needed, so that the block can start on a large-page boundary.
  void* mapped = ::mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto begin = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t start = RoundUp(begin, kLargePage);
  const std::size_t head = start - begin;
  if (head > 0) ::munmap(mapped, head);
  // head < kLargePage: some of the extra page always lies past the block.
  ::munmap(reinterpret_cast<void*>(start + size), kLargePage - head);
  // Only advice: without huge pages the block is served in small pages.
  ::madvise(reinterpret_cast<void*>(start), size, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(start);
}

void FreeArrayBlock(void* block, std::size_t bytes) noexcept {
  if (block == nullptr) return;
  if (bytes < kMappedBlock) {
    ::operator delete(block);
    return;
  }
  ::munmap(block, RoundUp(bytes, kLargePage));
}

}  // namespace lumo_platform
