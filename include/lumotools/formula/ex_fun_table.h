// CExFunTable: the formula function table, mapping a function name (letter case ignored) to the
// CScriptFunctor that calls it with text arguments. A table starts with the built-in functions
// of CBuildInFun; derived tables register their own.
//
// Not thread-safe: one table is used from one thread at a time.
#ifndef LUMOTOOLS_FORMULA_EX_FUN_TABLE_H_
#define LUMOTOOLS_FORMULA_EX_FUN_TABLE_H_

#include <map>
#include <string>

#include "lumotools/export.h"
#include "lumotools/formula/script_functor.h"
#include "lumotools/platform/cstring.h"

// The ordering of function names: byte-wise over the names as C strings (up to the first NUL),
// with the ASCII letters folded to lower case, as the framework's case-insensitive multibyte
// comparison does in UTF-8. Names that differ only in the case of ASCII letters are equivalent.
struct LUMO_EXPORT str_compare_nocase {
  bool operator()(const std::string& a, const std::string& b) const {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a.c_str());
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b.c_str());
    while (*p == *q && *p != 0) ++p, ++q;
    for (;; ++p, ++q) {
      const unsigned c = *p | ((static_cast<unsigned>(*p - 'A') < 26u) ? 0x20u : 0u);
      const unsigned d = *q | ((static_cast<unsigned>(*q - 'A') < 26u) ? 0x20u : 0u);
      if (c != d) return c < d;
      if (c == 0) return false;
    }
  }
};

class LUMO_EXPORT CExFunTable {
 public:
  typedef std::map<std::string, CScriptFunctor*, str_compare_nocase> FunctorMap;

  // Registers the built-in functions, bound to CBuildInFun::Instance().
  CExFunTable();
  // Destroys every functor still registered.
  virtual ~CExFunTable();

  // A copy would own the same functors twice.
  CExFunTable(const CExFunTable&) = delete;
  CExFunTable& operator=(const CExFunTable&) = delete;

  // The functor registered under name (letter case ignored), or null. The table keeps it.
  CScriptFunctor* GetFunctor(const std::string& name) const;

  // The map itself, keyed by the spelling of each name's first registration. The functors in it
  // belong to the table: whoever erases an entry through this reference destroys its functor.
  FunctorMap& GetFunctorMap() { return m_mapFunctor; }
  const FunctorMap& GetFunctorMap() const { return m_mapFunctor; }

  // Destroys every functor, built-ins included, and empties the map.
  void Clear();

  // Invokes the functor registered under name (letter case ignored) with a1 ... a5 and returns
  // its text; see CScriptFunctor::Invoke. Pass an empty text for each argument the function
  // does not take. A name that is not registered gives the empty text, as does a function
  // without a result: callers that must tell the two apart test GetFunctor first.
  CString Execute(const std::string& name, const CString& a1, const CString& a2, const CString& a3,
                  const CString& a4, const CString& a5);

 protected:
  // Registers functor under name and takes ownership of it. A functor already registered under
  // the name (letter case ignored) is destroyed and replaced; the key keeps its first spelling.
  // REQUIRES: functor is not null.
  void _RegistFun(const std::string& name, CScriptFunctor* functor);

 private:
  FunctorMap m_mapFunctor;
};

#endif  // LUMOTOOLS_FORMULA_EX_FUN_TABLE_H_
