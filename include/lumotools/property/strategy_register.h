// The strategy register: the process-wide owner of one type strategy per value kind, and the entry
// through which the property system converts values by kind.
//
// Every operation that takes a kind needs a strategy registered for it; for a kind without one it
// throws std::invalid_argument naming the kind. Thread safety: instance() may be called
// concurrently the first time; after that there is no lock, and conversions (which write a
// strategy's m_pAnyValue) run from one thread at a time.
#ifndef LUMOTOOLS_PROPERTY_STRATEGY_REGISTER_H_
#define LUMOTOOLS_PROPERTY_STRATEGY_REGISTER_H_

#include <map>
#include <memory>
#include <set>

#include <boost/any.hpp>

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/property/boost_any_type.h"
#include "lumotools/property/property_item.h"
#include "lumotools/property/transfer_box.h"
#include "lumotools/property/type_strategy.h"

// A factory of one object per kind, owning them; walks visit the kinds in ascending order.
template <class T>
class CEnumClassFactory {
 public:
  CEnumClassFactory() = default;
  CEnumClassFactory(const CEnumClassFactory&) = delete;
  CEnumClassFactory& operator=(const CEnumClassFactory&) = delete;
  virtual ~CEnumClassFactory() = default;

 protected:
  std::map<BoostAnyType, std::unique_ptr<T>> m_mapObjects;
};

class LUMO_EXPORT CAnyTypeStrategyRegister : public CEnumClassFactory<CAnyTypeStrategy> {
 public:
  // The register, created on first use with the strategies of kinds 0, 1, 2, 3, 4, 5, 7, 9, 10,
  // 12 and 25.
  static CAnyTypeStrategyRegister& instance();

  // Registers s under s->GetEnumType() and takes ownership of it, returning true. When the kind
  // already has a strategy nothing changes, s stays its caller's and the result is false.
  bool RegPropStrategy(CAnyTypeStrategy* s);

  // Set the strategy's m_pAnyValue to target (may be null), then convert value with factor f.
  boost::any BoostAnyStrategy(double f, BoostAnyType kind, const CString& value,
                              boost::any* target);
  boost::any BoostAnyStrategy(double f, BoostAnyType kind, int value, boost::any* target);
  boost::any BoostAnyStrategy(double f, BoostAnyType kind, double value, boost::any* target);
  boost::any BoostAnyStrategy(double f, BoostAnyType kind, const CTransferUiToAnyBox& value,
                              boost::any* target);

  // The strategy's conversions with factor f; m_pAnyValue is left as it is.
  boost::any AnyFromString(double f, BoostAnyType kind, const CString& text) const;
  boost::any AnyFromInt(double f, BoostAnyType kind, int value) const;
  boost::any AnyFromDouble(double f, BoostAnyType kind, double value) const;
  CString AnyToString(double f, BoostAnyType kind, const boost::any& a) const;
  int AnyToInt(double f, BoostAnyType kind, const boost::any& a) const;
  double AnyToDouble(double f, BoostAnyType kind, const boost::any& a) const;

  // Kind-less: the first strategy by ascending kind whose IsType(a) holds converts a to text with
  // the factor 1.0 (f takes no part). False, with text unchanged, when none holds a.
  bool AnyToString(double f, const boost::any& a, CString& text) const;
  // Kind-less: replaces a by the text converted with the factor 1.0 by the first strategy whose
  // IsType(a) holds (the type a holds now decides). False, with a unchanged, when none holds a.
  bool StringToAny(double f, const CString& text, boost::any& a) const;

  bool PopupEdit(CLumoPropertyPaneBase* pane, BoostAnyType kind, boost::any& a,
                 std::set<CPropHolder*>& holders) const;
  void AddExtInfo(BoostAnyType kind, const CPropHolder* holder, boost::any& a) const;
  void ClearExtInfo(BoostAnyType kind, boost::any& a) const;

  // A new item of styleId: its kind and factor come from CAnyPropertyStyleIdCache, its value is
  // BoostAnyStrategy(factor, kind, value, null); visible only when visible is 1. Throws
  // std::invalid_argument naming the style ID when the cache has no entry for it.
  CAnyPropertyItem PropItemStrategy(long styleId, const CString& caption, const CString& varName,
                                    int visible, const CString& value);

 protected:
  // The strategy of kind, or null.
  const CAnyTypeStrategy* StrategyFromType(BoostAnyType kind) const;

 private:
  CAnyTypeStrategyRegister();
  ~CAnyTypeStrategyRegister() override;

  // The strategy of kind; throws std::invalid_argument naming the kind when there is none.
  CAnyTypeStrategy& Require(BoostAnyType kind) const;
  const CAnyTypeStrategy* FirstHolding(const boost::any& a) const;
};

#endif  // LUMOTOOLS_PROPERTY_STRATEGY_REGISTER_H_
