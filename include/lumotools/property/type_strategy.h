// Type strategies: one object per value kind that makes values of the kind from texts, numbers and
// transfer boxes, and shows them again as texts and numbers.
//
// Numeric kinds apply a unit factor f on the way in (multiply) and take it off on the way out
// (divide). Reading a held value of the wrong type (an empty value included) throws
// boost::bad_any_cast. Texts are read by the numeric-text rule and numbers written as number texts
// (lumotools/formula/number_text.h). Strategies are shared process-wide objects owned by the
// strategy register; m_pAnyValue is written before conversions, so they are used from one thread
// at a time.
#ifndef LUMOTOOLS_PROPERTY_TYPE_STRATEGY_H_
#define LUMOTOOLS_PROPERTY_TYPE_STRATEGY_H_

#include <cstdlib>
#include <set>
#include <string>
#include <type_traits>

#include <boost/any.hpp>

#include "lumotools/color/visual_color_item.h"
#include "lumotools/export.h"
#include "lumotools/formula/number_text.h"
#include "lumotools/platform/crt.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/property/boost_any_type.h"
#include "lumotools/property/hook_data.h"
#include "lumotools/property/transfer_box.h"

// Classes of the host, passed through and never read by this library.
class CLumoPropertyPaneBase;
class CPropHolder;

// Root of classes that answer which member of an enumeration they stand for.
template <class E>
class CClassEnumTypeBase {
 public:
  virtual E GetEnumType() const = 0;
  virtual ~CClassEnumTypeBase() = default;
};

// Answers the kind query of Base with N.
template <class Base, int N>
class CClassEnumType : public Base {
 public:
  BoostAnyType GetEnumType() const override { return static_cast<BoostAnyType>(N); }
};

// The strategy interface. Its default behaviour: slots 2 to 5 give the int 0, text gives "",
// numbers give 0, IsType is false, PopupEdit answers false, the extra-information hooks do nothing.
class LUMO_EXPORT CAnyTypeStrategy : public CClassEnumTypeBase<BoostAnyType> {
 public:
  CAnyTypeStrategy() = default;
  CAnyTypeStrategy(const CAnyTypeStrategy&) = delete;
  CAnyTypeStrategy& operator=(const CAnyTypeStrategy&) = delete;
  ~CAnyTypeStrategy() override;

  virtual boost::any AnyFromString(const CString& text, double f) const;
  virtual boost::any AnyFromInt(int value, double f) const;
  virtual boost::any AnyFromDouble(double value, double f) const;
  virtual boost::any AnyFromBox(const CTransferUiToAnyBox& box, double f) const;
  virtual CString AnyToString(const boost::any& a, double f) const;
  virtual int AnyToInt(const boost::any& a, double f) const;
  virtual double AnyToDouble(const boost::any& a, double f) const;
  // Whether a holds this strategy's type.
  virtual bool IsType(const boost::any& a) const;
  // Edits a in a pop-up of the host's pane; true when it changed. Hooks for host strategies.
  virtual bool PopupEdit(CLumoPropertyPaneBase* pane, boost::any& a,
                         std::set<CPropHolder*>& holders) const;
  virtual void AddExtInfo(const CPropHolder* holder, boost::any& a) const;
  virtual void ClearExtInfo(boost::any& a) const;

  // The value the current conversion is about to replace, or null; set by the register's
  // BoostAnyStrategy and by the item setters. No built-in strategy reads it.
  boost::any* m_pAnyValue = nullptr;

 protected:
  // The first index, text or value-object transfer of a box, or null when absent.
  static const int* BoxIndex(const CTransferUiToAnyBox& box);
  static const CString* BoxText(const CTransferUiToAnyBox& box);
  static const boost::any* BoxValue(const CTransferUiToAnyBox& box);
};

// Conversions of the text kinds (T is std::string or CString), with the factor ignored.
template <class T>
struct CAnyTextConversion {
  // The text up to its first zero byte.
  static boost::any FromText(const CString& text) { return T(text.GetString()); }
  static boost::any FromInt(int value) {
    CString text;
    text.Format("%d", value);
    return T(text.GetString());
  }
  static boost::any FromDouble(double value) { return T(FormatNumberText(value).GetString()); }
  static CString ToText(const boost::any& a) { return CString(boost::any_cast<const T&>(a)); }
};

// Adds the conversions without unit factor for the held type T.
template <class T>
class CAnyTypeStrategy_Type : public CAnyTypeStrategy {
 public:
  bool IsType(const boost::any& a) const override { return a.type() == typeid(T); }

  virtual boost::any TypeFromString(const CString& text) const;
  virtual boost::any TypeFromInt(int value) const;
  virtual boost::any TypeFromDouble(double value) const;
  // Index transfer: TypeFromInt(index); else text transfer: TypeFromString(text); else
  // TypeFromInt(0).
  virtual boost::any TypeFromBox(const CTransferUiToAnyBox& box) const;
  virtual CString TypeToString(const boost::any& a) const;
  virtual int TypeToInt(const boost::any& a) const;
  virtual double TypeToDouble(const boost::any& a) const;

 protected:
  static constexpr bool kIsText =
      std::is_same<T, std::string>::value || std::is_same<T, CString>::value;
  static constexpr bool kIsByte = std::is_same<T, unsigned char>::value;
  static constexpr bool kIsReal = std::is_floating_point<T>::value;
};

// The numeric kinds (int, long, double) with unit factor: x = input × f on the way in (texts by
// the numeric-text rule), rounded half away from zero for the whole-number kinds; the held value
// ÷ f on the way out. A box gives its index unscaled, else its text scaled, else 0.
template <class T>
class CAnyTypeStrategy_Unit : public CAnyTypeStrategy_Type<T> {
 public:
  boost::any AnyFromString(const CString& text, double f) const override {
    return Hold(NumericTextToDouble(text) * f);
  }
  boost::any AnyFromInt(int value, double f) const override { return Hold(value * f); }
  boost::any AnyFromDouble(double value, double f) const override { return Hold(value * f); }
  boost::any AnyFromBox(const CTransferUiToAnyBox& box, double f) const override {
    if (const int* index = CAnyTypeStrategy::BoxIndex(box)) return AnyFromInt(*index, 1.0);
    if (const CString* text = CAnyTypeStrategy::BoxText(box)) return AnyFromString(*text, f);
    return AnyFromInt(0, 1.0);
  }
  CString AnyToString(const boost::any& a, double f) const override {
    return FormatNumberText(Held(a) / f);
  }
  int AnyToInt(const boost::any& a, double f) const override {
    return RoundHalfAwayFromZero(Held(a) / f);
  }
  double AnyToDouble(const boost::any& a, double f) const override { return Held(a) / f; }

 private:
  static boost::any Hold(double x) {
    if constexpr (std::is_floating_point<T>::value) {
      return x;
    } else {
      return static_cast<T>(RoundHalfAwayFromZero(x));
    }
  }
  static double Held(const boost::any& a) {
    return static_cast<double>(boost::any_cast<const T&>(a));
  }
};

// Kind 0, unsigned char. Slots 2 to 8 keep the default (an int 0); without factor, numbers keep
// their lowest 8 bits.
class LUMO_EXPORT CAnyTypeStrategy_Byte
    : public CClassEnumType<CAnyTypeStrategy_Type<unsigned char>, BAT_BYTE> {};

class LUMO_EXPORT CAnyTypeStrategy_Int
    : public CClassEnumType<CAnyTypeStrategy_Unit<int>, BAT_INT> {};

// As the int strategy, holding long.
class LUMO_EXPORT CAnyTypeStrategy_Long
    : public CClassEnumType<CAnyTypeStrategy_Unit<long>, BAT_LONG> {};

class LUMO_EXPORT CAnyTypeStrategy_Double
    : public CClassEnumType<CAnyTypeStrategy_Unit<double>, BAT_DOUBLE> {};

// The text kinds ignore the factor. From a text: the text; from an int: "%d"; from a double: its
// number text; a box gives its index as text, else its text, else the empty text. To an int or a
// double: atoi or atof of the text, without the numeric-text test.
template <class T, int N>
class CAnyTypeStrategy_Text : public CClassEnumType<CAnyTypeStrategy_Type<T>, N> {
 public:
  boost::any AnyFromString(const CString& text, double) const override {
    return CAnyTextConversion<T>::FromText(text);
  }
  boost::any AnyFromInt(int value, double) const override {
    return CAnyTextConversion<T>::FromInt(value);
  }
  boost::any AnyFromDouble(double value, double) const override {
    return CAnyTextConversion<T>::FromDouble(value);
  }
  boost::any AnyFromBox(const CTransferUiToAnyBox& box, double) const override;
  CString AnyToString(const boost::any& a, double) const override {
    return CAnyTextConversion<T>::ToText(a);
  }
  int AnyToInt(const boost::any& a, double) const override;
  double AnyToDouble(const boost::any& a, double) const override;
};

class LUMO_EXPORT CAnyTypeStrategy_String : public CAnyTypeStrategy_Text<std::string, BAT_STRING> {
};

class LUMO_EXPORT CAnyTypeStrategy_CString : public CAnyTypeStrategy_Text<CString, BAT_CSTRING> {};

// Kind 12, formula text held as CString: the conversions of the CString strategy, but IsType is
// false, so kind-less conversions never pick it.
class LUMO_EXPORT CAnyTypeStrategy_Formula : public CClassEnumType<CAnyTypeStrategy, BAT_FORMULA> {
 public:
  boost::any AnyFromString(const CString& text, double f) const override;
  boost::any AnyFromInt(int value, double f) const override;
  boost::any AnyFromDouble(double value, double f) const override;
  boost::any AnyFromBox(const CTransferUiToAnyBox& box, double f) const override;
  CString AnyToString(const boost::any& a, double f) const override;
  int AnyToInt(const boost::any& a, double f) const override;
  double AnyToDouble(const boost::any& a, double f) const override;
};

// Kind 7: the default behaviour throughout.
class LUMO_EXPORT CAnyTypeStrategy_Csf : public CClassEnumType<CAnyTypeStrategy, BAT_CSF> {};

// The structured kinds (T held, kind N) get real values only from a box's value object (copied
// whatever it holds); texts and numbers give a default T. To numbers: 0.
template <class T, int N>
class CAnyTypeStrategy_Structured : public CClassEnumType<CAnyTypeStrategy, N> {
 public:
  boost::any AnyFromString(const CString&, double) const override { return T(); }
  boost::any AnyFromInt(int, double) const override { return T(); }
  boost::any AnyFromDouble(double, double) const override { return T(); }
  boost::any AnyFromBox(const CTransferUiToAnyBox& box, double) const override {
    const boost::any* value = CAnyTypeStrategy::BoxValue(box);
    return value ? *value : boost::any(T());
  }
};

// Kind 10, a colour as unsigned long; shown as the empty text.
class LUMO_EXPORT CAnyTypeStrategy_NormalColor
    : public CAnyTypeStrategy_Structured<unsigned long, BAT_NORMALCOLOR> {};

// Kind 9, shown as the held CVisualColorItem's full text form.
class LUMO_EXPORT CAnyTypeStrategy_ModelColor
    : public CAnyTypeStrategy_Structured<CVisualColorItem, BAT_MODELCOLOR> {
 public:
  CString AnyToString(const boost::any& a, double f) const override;
};

// Kind 25, shown as the held CHookData's text form.
class LUMO_EXPORT CAnyTypeStrategy_HookData
    : public CAnyTypeStrategy_Structured<CHookData, BAT_HOOKDATA> {
 public:
  CString AnyToString(const boost::any& a, double f) const override;
};

template <class T>
boost::any CAnyTypeStrategy_Type<T>::TypeFromString(const CString& text) const {
  if constexpr (kIsText) {
    return CAnyTextConversion<T>::FromText(text);
  } else if constexpr (kIsReal) {
    return NumericTextToDouble(text);
  } else {
    return static_cast<T>(NumericTextToInt(text));
  }
}

template <class T>
boost::any CAnyTypeStrategy_Type<T>::TypeFromInt(int value) const {
  if constexpr (kIsText) {
    return CAnyTextConversion<T>::FromInt(value);
  } else {
    return static_cast<T>(value);
  }
}

template <class T>
boost::any CAnyTypeStrategy_Type<T>::TypeFromDouble(double value) const {
  if constexpr (kIsText) {
    return CAnyTextConversion<T>::FromDouble(value);
  } else if constexpr (kIsReal) {
    return value;
  } else {
    return static_cast<T>(RoundHalfAwayFromZero(value));
  }
}

template <class T>
boost::any CAnyTypeStrategy_Type<T>::TypeFromBox(const CTransferUiToAnyBox& box) const {
  if (const int* index = BoxIndex(box)) return TypeFromInt(*index);
  if (const CString* text = BoxText(box)) return TypeFromString(*text);
  return TypeFromInt(0);
}

template <class T>
CString CAnyTypeStrategy_Type<T>::TypeToString(const boost::any& a) const {
  if constexpr (kIsText) {
    return CAnyTextConversion<T>::ToText(a);
  } else if constexpr (kIsReal) {
    return FormatNumberText(boost::any_cast<const T&>(a));
  } else {
    CString text;
    text.Format("%d", static_cast<int>(boost::any_cast<const T&>(a)));
    return text;
  }
}

template <class T>
int CAnyTypeStrategy_Type<T>::TypeToInt(const boost::any& a) const {
  if constexpr (kIsText) {
    return NumericTextToInt(CAnyTextConversion<T>::ToText(a));
  } else if constexpr (kIsReal) {
    return RoundHalfAwayFromZero(boost::any_cast<const T&>(a));
  } else {
    return static_cast<int>(boost::any_cast<const T&>(a));
  }
}

template <class T>
double CAnyTypeStrategy_Type<T>::TypeToDouble(const boost::any& a) const {
  if constexpr (kIsText) {
    return NumericTextToDouble(CAnyTextConversion<T>::ToText(a));
  } else {
    return static_cast<double>(boost::any_cast<const T&>(a));
  }
}

template <class T, int N>
boost::any CAnyTypeStrategy_Text<T, N>::AnyFromBox(const CTransferUiToAnyBox& box, double) const {
  if (const int* index = CAnyTypeStrategy::BoxIndex(box)) return AnyFromInt(*index, 1.0);
  if (const CString* text = CAnyTypeStrategy::BoxText(box)) return AnyFromString(*text, 1.0);
  return AnyFromString(CString(), 1.0);
}

template <class T, int N>
int CAnyTypeStrategy_Text<T, N>::AnyToInt(const boost::any& a, double) const {
  return CrtAtoi(CAnyTextConversion<T>::ToText(a));
}

template <class T, int N>
double CAnyTypeStrategy_Text<T, N>::AnyToDouble(const boost::any& a, double) const {
  return std::atof(CAnyTextConversion<T>::ToText(a));
}

#endif  // LUMOTOOLS_PROPERTY_TYPE_STRATEGY_H_
