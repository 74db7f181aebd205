// Reads hook-data texts. The text form a value gives must read back to a value with the same text
// form, in both the paired and the single form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lumotools/property/hook_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const CString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
  int num = 0;
  int sub = 0;
  CHookData::AnzlyzeHookZS(text, num, sub);
  for (bool single : {false, true}) {
    CHookData value;
    value.m_bSingle = single;
    value.SetHookDataByStr(text);
    const CString form = value.GetHookDataStr();
    CHookData again;
    again.m_bSingle = single;
    again.SetHookDataByStr(form);
    if (again.GetHookDataStr() != form) std::abort();
  }
  return 0;
}
