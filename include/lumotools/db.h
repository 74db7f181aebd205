// The database layer: typed recordsets and table tools, SQL statement builders, base classes of
// stored records, object identifiers and their manager, and records holding a binary data object.
#ifndef LUMOTOOLS_DB_H_
#define LUMOTOOLS_DB_H_

#include "lumotools/db/data_recordset.h"
#include "lumotools/db/db_item_base.h"
#include "lumotools/db/lumo_recordset.h"
#include "lumotools/db/obj_id.h"
#include "lumotools/db/sql_builder.h"

#endif  // LUMOTOOLS_DB_H_
