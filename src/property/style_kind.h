// The kind of a property style ID, for the item operations and the item factory. Internal.
#ifndef LUMOTOOLS_SRC_PROPERTY_STYLE_KIND_H_
#define LUMOTOOLS_SRC_PROPERTY_STYLE_KIND_H_

#include <stdexcept>
#include <string>

#include "lumotools/property/style_id_cache.h"

// The kind CAnyPropertyStyleIdCache holds for styleId; throws std::invalid_argument naming the
// style ID when it has no entry.
inline BoostAnyType RequireStyleKind(long styleId) {
  const BoostAnyType kind = CAnyPropertyStyleIdCache::Instance().ToBoostAnyType(styleId);
  if (kind == BAT_NONE) {
    throw std::invalid_argument("property style ID " + std::to_string(styleId) +
                                " is not registered in the property style-ID cache");
  }
  return kind;
}

#endif  // LUMOTOOLS_SRC_PROPERTY_STYLE_KIND_H_
