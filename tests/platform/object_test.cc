#include "lumotools/platform/object.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "lumotools/platform/mem_file.h"

namespace {

// A host class with its own validity check and dump, as hosts write them.
class Beam : public CObject {
  DECLARE_DYNAMIC(Beam)

 public:
  explicit Beam(int length) : m_nLength(length) {}
  void AssertValid() const override {
    CObject::AssertValid();
    ++checks;
  }
  void Dump(CDumpContext& dc) const override {
    CObject::Dump(dc);
    dc << "length " << m_nLength << ", weight " << 2.5 << ", id " << 4000000000ULL;
  }
  mutable int checks = 0;

 private:
  int m_nLength;
};
IMPLEMENT_DYNAMIC(Beam, CObject)

std::string Text(CMemFile& file) {
  const ULONGLONG length = file.GetLength();
  BYTE* bytes = file.Detach();
  std::string text(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
  std::free(bytes);
  return text;
}

TEST(Object, OverriddenCheckAndDumpAreReachedThroughTheBase) {
  Beam beam(12);
  const CObject& object = beam;
  object.AssertValid();
  EXPECT_EQ(beam.checks, 1);

  CMemFile file;
  CDumpContext dc(&file);
  dc << object;  // depth 0 names the object
  const std::string named = Text(file);
  EXPECT_EQ(named.rfind("a Beam at $", 0), 0u) << named;

  dc.SetDepth(1);
  dc << object << "; " << static_cast<const CObject*>(nullptr);
  EXPECT_EQ(Text(file), "length 12, weight 2.5, id 4000000000; NULL");
}

}  // namespace
