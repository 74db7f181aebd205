// CArray: the framework's growable array of values, a CObject.
//
// TYPE is stored by value; ARG_TYPE is how elements are passed in (TYPE or a reference to it).
// Indices are checked by the caller: an index outside [0, GetSize()) is a precondition violation.
// The growth step given to SetSize is a lower bound: storage grows geometrically, so adding n
// elements one by one costs O(n) copies. Not thread-safe.
#ifndef LUMOTOOLS_PLATFORM_ARRAY_H_
#define LUMOTOOLS_PLATFORM_ARRAY_H_

#include <algorithm>
#include <utility>
#include <vector>

#include "lumotools/platform/object.h"
#include "lumotools/platform/types.h"

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
      m_data.insert(m_data.begin() + nIndex, static_cast<size_t>(nCount), copy);
      return;
    }
    if (at > m_data.size()) m_data.resize(at);
    m_data.insert(m_data.begin() + nIndex, static_cast<size_t>(nCount), newElement);
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

  std::vector<TYPE> m_data;
  INT_PTR m_nGrowBy = -1;
};

#endif  // LUMOTOOLS_PLATFORM_ARRAY_H_
