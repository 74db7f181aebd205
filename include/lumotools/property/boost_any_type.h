// BoostAnyType: the kinds of property value, with the fixed numbers written into archives.
#ifndef LUMOTOOLS_PROPERTY_BOOST_ANY_TYPE_H_
#define LUMOTOOLS_PROPERTY_BOOST_ANY_TYPE_H_

// Type held in the boost::any for each kind:
//   BAT_BYTE unsigned char, BAT_INT int, BAT_LONG long (a 32-bit value), BAT_DOUBLE double,
//   BAT_STRING std::string, BAT_CSTRING CString, BAT_CSF none of its own (its strategy gives int
//   0), BAT_MODELCOLOR CVisualColorItem, BAT_NORMALCOLOR unsigned long (a 32-bit colour),
//   BAT_FORMULA CString (formula text), BAT_HOOKDATA CHookData.
// Other numbers are free for kinds that the host registers.
enum BoostAnyType : int {
  BAT_NONE = -1,
  BAT_BYTE = 0,
  BAT_INT = 1,
  BAT_LONG = 2,
  BAT_DOUBLE = 3,
  BAT_STRING = 4,
  BAT_CSTRING = 5,
  BAT_CSF = 7,
  BAT_MODELCOLOR = 9,
  BAT_NORMALCOLOR = 10,
  BAT_FORMULA = 12,
  BAT_HOOKDATA = 25,
};

#endif  // LUMOTOOLS_PROPERTY_BOOST_ANY_TYPE_H_
