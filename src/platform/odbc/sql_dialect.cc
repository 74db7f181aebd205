// Rewriting of Access SQL for the engine behind a connection.
#include <cctype>

#include "odbc_internal.h"

namespace lumo_odbc {
namespace {

bool IsPlainIdentifier(const std::string& name) {
  if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_')) {
    return false;
  }
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  }
  return true;
}

bool StartsWithWordNoCase(const std::string& text, size_t pos, const char* word) {
  size_t i = 0;
  for (; word[i] != '\0'; ++i) {
    if (pos + i >= text.size() ||
        std::tolower(static_cast<unsigned char>(text[pos + i])) != word[i]) {
      return false;
    }
  }
  const size_t end = pos + i;
  return end == text.size() ||
         !(std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_');
}

size_t SkipSpace(const std::string& text, size_t pos) {
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  return pos;
}

// "Delete * From" at the start of the statement becomes "DELETE FROM".
std::string RewriteDeleteStar(const std::string& sql) {
  const size_t start = SkipSpace(sql, 0);
  if (!StartsWithWordNoCase(sql, start, "delete")) return sql;
  const size_t star = SkipSpace(sql, start + 6);
  if (star >= sql.size() || sql[star] != '*') return sql;
  const size_t from = SkipSpace(sql, star + 1);
  if (!StartsWithWordNoCase(sql, from, "from")) return sql;
  return sql.substr(0, start) + "DELETE FROM" + sql.substr(from + 4);
}

// [name] outside string literals becomes name, or "name" when it is not a plain identifier.
std::string RewriteBrackets(const std::string& sql) {
  if (sql.find('[') == std::string::npos) return sql;
  std::string out;
  out.reserve(sql.size());
  char quote = 0;
  for (size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    if (quote != 0) {
      out += c;
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
      out += c;
      continue;
    }
    const size_t close = c == '[' ? sql.find(']', i + 1) : std::string::npos;
    if (close == std::string::npos) {
      out += c;
      continue;
    }
    const std::string name = sql.substr(i + 1, close - i - 1);
    if (IsPlainIdentifier(name)) {
      out += name;
    } else {
      out += '"';
      for (char n : name) out += n == '"' ? std::string("\"\"") : std::string(1, n);
      out += '"';
    }
    i = close;
  }
  return out;
}

}  // namespace

Engine EngineFromName(const std::string& dbmsName) {
  std::string lower;
  for (char c : dbmsName) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.find("sqlite") != std::string::npos) return Engine::kSqlite;
  if (lower.find("postgres") != std::string::npos) return Engine::kPostgres;
  return Engine::kOther;
}

std::string TranslateAccessSql(Engine engine, const std::string& sql) {
  std::string out = RewriteDeleteStar(sql);
  if (engine == Engine::kPostgres) out = RewriteBrackets(out);
  return out;
}

const char* RowKeyExpression(Engine engine) {
  switch (engine) {
    case Engine::kSqlite:
      return "rowid";
    case Engine::kPostgres:
      return "ctid";
    default:
      return "";
  }
}

std::string RowKeyCondition(Engine engine, const std::string& key) {
  if (engine == Engine::kSqlite) return std::string("rowid = ") + key;
  std::string quoted;
  for (char c : key) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return std::string(RowKeyExpression(engine)) + " = '" + quoted + "'";
}

std::string SingleTableOf(const std::string& sql) {
  const size_t start = SkipSpace(sql, 0);
  if (!StartsWithWordNoCase(sql, start, "select")) return "";
  // The first FROM outside literals and parentheses.
  int depth = 0;
  char quote = 0;
  for (size_t i = start + 6; i < sql.size(); ++i) {
    const char c = sql[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (depth == 0 && std::isspace(static_cast<unsigned char>(sql[i - 1])) &&
               StartsWithWordNoCase(sql, i, "from")) {
      size_t pos = SkipSpace(sql, i + 4);
      const size_t nameStart = pos;
      if (pos < sql.size() && sql[pos] == '[') {
        pos = sql.find(']', pos);
        if (pos == std::string::npos) return "";
        ++pos;
      } else {
        while (pos < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[pos])) ||
                                    sql[pos] == '_' || sql[pos] == '.')) {
          ++pos;
        }
      }
      const std::string table = sql.substr(nameStart, pos - nameStart);
      // Anything but the end, WHERE or ORDER after the table means a join or a list of tables.
      const size_t rest = SkipSpace(sql, pos);
      if (table.empty()) return "";
      if (rest == sql.size() || StartsWithWordNoCase(sql, rest, "where") ||
          StartsWithWordNoCase(sql, rest, "order")) {
        return table;
      }
      return "";
    }
  }
  return "";
}

}  // namespace lumo_odbc
