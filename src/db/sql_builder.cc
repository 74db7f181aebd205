#include "lumotools/db/sql_builder.h"

#include <algorithm>

#include "lumotools/db/data_recordset.h"
#include "lumotools/formula/number_text.h"

namespace {

CString Joined(const std::vector<CString>& parts, const char* separator) {
  CString text;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += separator;
    text += parts[i];
  }
  return text;
}

}  // namespace

CSqlStrHelper::~CSqlStrHelper() = default;

void CSqlStrHelper::AddFieldValue(const CString& name, int value) {
  CString text;
  text.Format("%d", value);
  m_values.emplace_back(name, text);
}

void CSqlStrHelper::AddFieldValue(const CString& name, long value) {
  AddFieldValue(name, static_cast<int>(value));
}

void CSqlStrHelper::AddFieldValue(const CString& name, double value) {
  m_values.emplace_back(name, FormatNumberText(value));
}

void CSqlStrHelper::AddFieldValue(const CString& name, const CString& value) {
  m_values.emplace_back(name, "'" + value + "'");
}

void CSqlStrHelper::AddFieldValue(const CString& name, std::vector<unsigned char>& value) {
  m_binaries.emplace_back(name, value);
}

void CSqlStrHelper::Execute(CDatabase* db, const CString& table, const CString& sql) const {
  const bool hasBinaries = std::any_of(m_binaries.begin(), m_binaries.end(),
                                       [](const auto& binary) { return !binary.second.empty(); });
  if (!hasBinaries) {
    db->ExecuteSQL(sql);
    return;
  }
  std::vector<CString> written = db->ExecuteSQLForWrittenRows(sql);
  for (const auto& binary : m_binaries) {
    if (binary.second.empty()) continue;
    CString select;
    select.Format("select %s from %s", binary.first.GetString(), table.GetString());
    for (CString& row : written) {
      COleRecordset rs(db, binary.first);
      rs.m_strFilter = row;
      if (!rs.OpenTable(CRecordset::dynaset, select, CRecordset::none) || rs.IsEOF()) continue;
      if (!rs.CanUpdate()) return;
      rs.Edit();
      rs.WriteDataObj(binary.second);
      rs.Update();
      // The record may have a new identity now; the next value goes to it there.
      row = rs.GetRowCondition();
    }
  }
}

CString CSqlInsert::MakeInsertSQL(const CString& table) const {
  std::vector<CString> names, values;
  for (const auto& field : m_values) {
    names.push_back(field.first);
    values.push_back(field.second);
  }
  CString sql;
  sql.Format("INSERT INTO %s(", table.GetString());
  return sql + Joined(names, ",") + ") VALUES(" + Joined(values, ",") + ")";
}

CString CSqlInsert::MakeFilterStr() const {
  std::vector<CString> terms;
  for (const auto& field : m_values) terms.push_back(field.first + "=" + field.second);
  return Joined(terms, " AND ");
}

void CSqlInsert::ExecuteSQL(CDatabase* db, const CString& table) {
  Execute(db, table, MakeInsertSQL(table));
}

CString CSqlUpdate::MakeUpdateSQL(const CString& table) const {
  std::vector<CString> assignments;
  for (const auto& field : m_values) assignments.push_back(field.first + "=" + field.second);
  CString sql;
  sql.Format("UPDATE %s SET ", table.GetString());
  return sql + Joined(assignments, ", ") + " WHERE " + m_strWhere;
}

void CSqlUpdate::ExecuteSQL(CDatabase* db, const CString& table) {
  Execute(db, table, MakeUpdateSQL(table));
}
