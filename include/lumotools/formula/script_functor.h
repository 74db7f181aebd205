// CScriptFunctor: a callable of the formula function table, taking five text arguments and
// giving a text result. CScriptFunctorT binds it to one member function of one object through a
// Loki::Functor, converting the texts to the function's parameters and its result back to text.
//
// A functor is used from one thread at a time. Functor bodies come from Loki's small-object
// allocator, guarded by a class-level lock, so functors may be created and destroyed on several
// threads at once.
#ifndef LUMOTOOLS_FORMULA_SCRIPT_FUNCTOR_H_
#define LUMOTOOLS_FORMULA_SCRIPT_FUNCTOR_H_

#include <cstddef>
#include <mutex>
#include <type_traits>
#include <utility>

#include <loki/Functor.h>
#include <loki/Sequence.h>
#include <loki/Typelist.h>

#include "lumotools/export.h"
#include "lumotools/formula/number_text.h"
#include "lumotools/platform/cstring.h"

// Loki's class-level lockable threading policy: all users of one Host share one lock. Loki
// 0.1.7 ships this policy only behind LOKI_CLASS_LEVEL_THREADING, where its POSIX version does
// not compile with current compilers, so it is written here over std::mutex. The lock is
// constant-initialised and so exists before any static initialiser runs. MutexPolicy is
// accepted for Loki's interface and not used.
template <class Host, class MutexPolicy = Loki::Mutex>
class CClassLevelLockable {
 public:
  // Holds the class-level lock of Host while it lives. Not reentrant.
  class Lock {
   public:
    Lock() { s_mutex.lock(); }
    explicit Lock(const CClassLevelLockable&) { s_mutex.lock(); }
    explicit Lock(const CClassLevelLockable*) { s_mutex.lock(); }
    ~Lock() { s_mutex.unlock(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
  };

  typedef volatile Host VolatileType;
  typedef long IntType;

 private:
  static inline std::mutex s_mutex;
};

class LUMO_EXPORT CScriptFunctor {
 public:
  CScriptFunctor() = default;
  CScriptFunctor(const CScriptFunctor&) = delete;
  CScriptFunctor& operator=(const CScriptFunctor&) = delete;

  // The number of parameters of the bound function (at most 5).
  virtual int GetArgCount() const = 0;
  // Converts a1 ... up to the parameter count to the parameters, calls the bound function and
  // returns its result as text: "" for void, "%d" for int, the number text for double. Texts
  // that are empty or not numeric become 0 for numeric parameters; the remaining arguments are
  // not looked at. Whatever the function throws passes through.
  virtual CString Invoke(const CString& a1, const CString& a2, const CString& a3, const CString& a4,
                         const CString& a5) = 0;

  // Destroys the bound call with the functor.
  virtual ~CScriptFunctor() = default;
};

// How an argument text becomes a parameter of type T: int and double by the numeric-text rule,
// CString as it is. Other parameter types are not supported.
template <class T>
struct CScriptArgument;

template <>
struct CScriptArgument<int> {
  static int FromText(const CString& text) { return NumericTextToInt(text); }
};

template <>
struct CScriptArgument<double> {
  static double FromText(const CString& text) { return NumericTextToDouble(text); }
};

template <>
struct CScriptArgument<CString> {
  static const CString& FromText(const CString& text) { return text; }
};

inline CString ScriptResultText(int value) {
  CString text;
  text.Format("%d", value);
  return text;
}

inline CString ScriptResultText(double value) { return FormatNumberText(value); }

// The functor over a member function R (Object::*)(P1, ...) with Params = Loki::Seq<P1, ...>.
// R is void, int or double; each P is int, double or CString (a const CString& in the member
// function's signature).
template <class R, class Params>
class CScriptFunctorT : public CScriptFunctor {
 public:
  typedef typename Params::Type ParamList;
  typedef Loki::Functor<R, ParamList, CClassLevelLockable> FunctorType;

  static constexpr int kArgCount = Loki::TL::Length<ParamList>::value;
  static_assert(kArgCount <= 5, "a script function takes at most five arguments");
  static_assert(std::is_void<R>::value || std::is_same<R, int>::value ||
                    std::is_same<R, double>::value,
                "a script function returns void, int or double");

  // Binds function to object. REQUIRES: object outlives the functor.
  template <class Object, class MemberFunction>
  CScriptFunctorT(Object* object, MemberFunction function) : m_functor(object, function) {}

  int GetArgCount() const override { return kArgCount; }

  CString Invoke(const CString& a1, const CString& a2, const CString& a3, const CString& a4,
                 const CString& a5) override {
    const CString* const args[] = {&a1, &a2, &a3, &a4, &a5};
    return Call(args, std::make_index_sequence<kArgCount>());
  }

 private:
  template <std::size_t... I>
  CString Call(const CString* const* args, std::index_sequence<I...>) {
    (void)args;  // Unused by functions without parameters.
    if constexpr (std::is_void<R>::value) {
      m_functor(
          CScriptArgument<typename Loki::TL::TypeAt<ParamList, I>::Result>::FromText(*args[I])...);
      return CString();
    } else {
      return ScriptResultText(m_functor(
          CScriptArgument<typename Loki::TL::TypeAt<ParamList, I>::Result>::FromText(*args[I])...));
    }
  }

  FunctorType m_functor;
};

#endif  // LUMOTOOLS_FORMULA_SCRIPT_FUNCTOR_H_
