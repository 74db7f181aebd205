#include "lumotools/formula/ex_fun_table.h"

#include <memory>

#include "lumotools/formula/build_in_fun.h"

namespace {

typedef CScriptFunctorT<void, Loki::Seq<CString>> TextAction;
typedef CScriptFunctorT<void, Loki::Seq<double>> RealAction;
typedef CScriptFunctorT<void, Loki::Seq<int>> IntAction;
typedef CScriptFunctorT<double, Loki::Seq<double>> Real1;
typedef CScriptFunctorT<double, Loki::Seq<double, double>> Real2;
typedef CScriptFunctorT<double, Loki::Seq<double, double, double>> Real3;
typedef CScriptFunctorT<double, Loki::Seq<int, double, double>> Choice;
typedef CScriptFunctorT<double, Loki::Seq<double, int>> RealAndCount;

}  // namespace

CExFunTable::CExFunTable() {
  CBuildInFun* f = &CBuildInFun::Instance();
  _RegistFun("popmsg_s", new TextAction(f, &CBuildInFun::sys_popmsg_s));
  _RegistFun("popmsg_d", new RealAction(f, &CBuildInFun::sys_popmsg_d));
  _RegistFun("popmsg_i", new IntAction(f, &CBuildInFun::sys_popmsg_i));
  _RegistFun("sin", new Real1(f, &CBuildInFun::mf_sin));
  _RegistFun("cos", new Real1(f, &CBuildInFun::mf_cos));
  _RegistFun("tan", new Real1(f, &CBuildInFun::mf_tan));
  _RegistFun("atan", new Real1(f, &CBuildInFun::mf_atan));
  _RegistFun("asin", new Real1(f, &CBuildInFun::mf_asin));
  _RegistFun("acos", new Real1(f, &CBuildInFun::mf_acos));
  _RegistFun("rtod", new Real1(f, &CBuildInFun::mf_rtod));
  _RegistFun("dtor", new Real1(f, &CBuildInFun::mf_dtor));
  _RegistFun("abs", new Real1(f, &CBuildInFun::mf_abs));
  _RegistFun("max", new Real2(f, &CBuildInFun::mf_max));
  _RegistFun("max2", new Real2(f, &CBuildInFun::mf_max));
  _RegistFun("max3", new Real3(f, &CBuildInFun::mf_max3));
  _RegistFun("min", new Real2(f, &CBuildInFun::mf_min));
  _RegistFun("min2", new Real2(f, &CBuildInFun::mf_min));
  _RegistFun("min3", new Real3(f, &CBuildInFun::mf_min3));
  _RegistFun("ceil", new Real1(f, &CBuildInFun::mf_ceil));
  _RegistFun("floor", new Real1(f, &CBuildInFun::mf_int));
  _RegistFun("iif", new Choice(f, &CBuildInFun::mf_iif));
  _RegistFun("sqrt", new Real1(f, &CBuildInFun::mf_sqrt));
  _RegistFun("round", new Real1(f, &CBuildInFun::mf_round));
  _RegistFun("fround", new RealAndCount(f, &CBuildInFun::mf_fround));
  _RegistFun("intpart", new Real1(f, &CBuildInFun::mf_intpart));
}

CExFunTable::~CExFunTable() { Clear(); }

void CExFunTable::_RegistFun(const std::string& name, CScriptFunctor* functor) {
  std::unique_ptr<CScriptFunctor> owned(functor);
  const FunctorMap::iterator it = m_mapFunctor.find(name);
  if (it == m_mapFunctor.end()) {
    m_mapFunctor.emplace(name, owned.release());
  } else if (it->second != functor) {
    delete it->second;
    it->second = owned.release();
  } else {
    owned.release();
  }
}

CScriptFunctor* CExFunTable::GetFunctor(const std::string& name) const {
  const FunctorMap::const_iterator it = m_mapFunctor.find(name);
  return it == m_mapFunctor.end() ? nullptr : it->second;
}

void CExFunTable::Clear() {
  for (auto& entry : m_mapFunctor) {
    delete entry.second;
    entry.second = nullptr;
  }
  m_mapFunctor.clear();
}

CString CExFunTable::Execute(const std::string& name, const CString& a1, const CString& a2,
                             const CString& a3, const CString& a4, const CString& a5) {
  CScriptFunctor* functor = GetFunctor(name);
  if (functor == nullptr) return CString();
  return functor->Invoke(a1, a2, a3, a4, a5);
}
