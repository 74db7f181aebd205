// The typed property system: value kinds and their archive registry, the hook-data value and the
// byte-array property bag.
#ifndef LUMOTOOLS_PROPERTY_H_
#define LUMOTOOLS_PROPERTY_H_

#include "lumotools/property/boost_any_type.h"
#include "lumotools/property/hook_data.h"
#include "lumotools/property/prop_reg.h"
#include "lumotools/property/prop_reg_map.h"
#include "lumotools/property/super_prop.h"

#endif  // LUMOTOOLS_PROPERTY_H_
