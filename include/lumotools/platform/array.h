// CArray: the framework's growable array of values, a CObject.
//
// TYPE is stored by value; ARG_TYPE is how elements are passed in (TYPE or a reference to it).
// Indices are checked by the caller: an index outside [0, GetSize()) is a precondition violation.
// The growth step given to SetSize is a lower bound: storage grows geometrically, so adding n
// elements one by one costs O(n) copies. Large storage comes from whole pages that the system
// may back with large pages, so that filling a large array costs few page faults. Not
// thread-safe.
#ifndef LUMOTOOLS_PLATFORM_ARRAY_H_
#define LUMOTOOLS_PLATFORM_ARRAY_H_

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "lumotools/export.h"
#include "lumotools/platform/object.h"
#include "lumotools/platform/types.h"

namespace lumo_platform {

// A block of bytes for array storage, aligned for any fundamental type: from operator new below
// a megabyte, else whole pages the system is asked to back with large pages. Raises
// std::bad_alloc when memory runs out.
LUMO_PLATFORM_EXPORT void* AllocateArrayBlock(std::size_t bytes);
// Frees a block of AllocateArrayBlock. REQUIRES: bytes is the size it was allocated with.
LUMO_PLATFORM_EXPORT void FreeArrayBlock(void* block, std::size_t bytes) noexcept;

// The allocator of CArray's storage, over AllocateArrayBlock.
template <class T>
struct ArrayAllocator {
  using value_type = T;
  ArrayAllocator() = default;
  template <class U>
  ArrayAllocator(const ArrayAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__, "over-aligned element");
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(AllocateArrayBlock(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { FreeArrayBlock(p, n * sizeof(T)); }

  template <class U>
  bool operator==(const ArrayAllocator<U>&) const noexcept {
    return true;
  }
  template <class U>
  bool operator!=(const ArrayAllocator<U>&) const noexcept {
    return false;
  }
};

}  // namespace lumo_platform

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
 public:
  CArray() = default;
  CArray(const CArray&) = delete;
  CArray& operator=(const CArray&) = delete;
  ~CArray() override = default;

  INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
  INT_PTR GetCount() const { return GetSize(); }
  BOOL IsEmpty() const { return m_data.empty(); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }

  // Resizes to nNewSize elements (new ones value-initialised) and sets the growth step when
  // nGrowBy >= 0.
  void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1) {
    if (nGrowBy >= 0) m_nGrowBy = nGrowBy;
    m_data.resize(static_cast<size_t>(nNewSize));
  }
  INT_PTR GetGrowBy() const { return m_nGrowBy; }
  void RemoveAll() { m_data.clear(); }

  const TYPE& GetAt(INT_PTR nIndex) const { return m_data[static_cast<size_t>(nIndex)]; }
  TYPE& ElementAt(INT_PTR nIndex) { return m_data[static_cast<size_t>(nIndex)]; }
  void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { ElementAt(nIndex) = newElement; }
  const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
  TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }
  const TYPE* GetData() const { return m_data.data(); }
  TYPE* GetData() { return m_data.data(); }

  // Appends a copy and returns its index.
  INT_PTR Add(ARG_TYPE newElement) {
    InsertAt(GetSize(), newElement);
    return GetSize() - 1;
  }
  // Inserts nCount copies before nIndex; an index at or past the end appends (growing the array
  // to nIndex first).
  void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1) {
    const auto at = static_cast<size_t>(nIndex);
    const size_t wanted = std::max(at, m_data.size()) + static_cast<size_t>(nCount);
    if (wanted > m_data.capacity()) {
      TYPE copy(newElement);  // newElement may be an element that growing moves
      if (at > m_data.size()) m_data.resize(at);
      Reserve(wanted);
      if (nCount == 1) {
        m_data.insert(m_data.begin() + nIndex, std::move(copy));
      } else {
        m_data.insert(m_data.begin() + nIndex, static_cast<size_t>(nCount), copy);
      }
      return;
    }
    if (at > m_data.size()) m_data.resize(at);
    // One element is copied straight into place; the counted form would copy it twice.
    if (nCount == 1) {
      m_data.insert(m_data.begin() + nIndex, newElement);
    } else {
      m_data.insert(m_data.begin() + nIndex, static_cast<size_t>(nCount), newElement);
    }
  }
  void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1) {
    m_data.erase(m_data.begin() + nIndex, m_data.begin() + nIndex + nCount);
  }

 private:
  void Reserve(size_t wanted) {
    if (wanted <= m_data.capacity()) return;
    const size_t step = m_nGrowBy > 0 ? static_cast<size_t>(m_nGrowBy) : 1;
    size_t capacity = m_data.capacity() + step;
    if (capacity < m_data.capacity() * 2) capacity = m_data.capacity() * 2;
    if (capacity < wanted) capacity = wanted;
    m_data.reserve(capacity);
  }

  std::vector<TYPE, lumo_platform::ArrayAllocator<TYPE>> m_data;
  INT_PTR m_nGrowBy = -1;
};

#endif  // LUMOTOOLS_PLATFORM_ARRAY_H_
