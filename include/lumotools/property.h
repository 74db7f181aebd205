// The typed property system: value kinds and their archive registry, type strategies and their
// register, style-ID caches, transfer boxes, property items, groups and variables, the hook-data
// value and the byte-array property bag.
#ifndef LUMOTOOLS_PROPERTY_H_
#define LUMOTOOLS_PROPERTY_H_

#include "lumotools/property/boost_any_type.h"
#include "lumotools/property/hook_data.h"
#include "lumotools/property/prop_reg.h"
#include "lumotools/property/prop_reg_map.h"
#include "lumotools/property/property_group.h"
#include "lumotools/property/property_item.h"
#include "lumotools/property/property_var.h"
#include "lumotools/property/strategy_register.h"
#include "lumotools/property/style_id_cache.h"
#include "lumotools/property/super_prop.h"
#include "lumotools/property/transfer_box.h"
#include "lumotools/property/type_strategy.h"

#endif  // LUMOTOOLS_PROPERTY_H_
