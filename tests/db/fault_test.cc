// Faults the database layer must survive: the server going away in the middle of a session, and
// opens that fail.
#include <gmock/gmock.h>

#include "db/db_fixture.h"

namespace {

using lumo_test::DbErrorOf;

TEST(ServerFault, EveryCallRaisesWhileTheServerIsDownAndCommittedRowsSurvive) {
  lumo_test::PgServer server;
  lumo_test::TestDatabase db(server);
  db.Execute({"CREATE TABLE Parts (ID INTEGER, Name VARCHAR(20))"});
  auto conn = db.Connect();
  for (int id = 1; id <= 3; ++id) {
    CSqlInsert insert;
    insert.AddFieldValue("ID", id);
    insert.AddFieldValue("Name", CString("kept"));
    insert.ExecuteSQL(conn.get(), "Parts");
  }
  conn->BeginTrans();
  conn->ExecuteSQL("INSERT INTO Parts VALUES (99, 'uncommitted')");
  CLumoRecordset open(conn.get());
  open.Open(CRecordset::forwardOnly, "select * from Parts", CRecordset::readOnly);

  server.Stop();
  EXPECT_NE(DbErrorOf([&] { conn->ExecuteSQL("INSERT INTO Parts VALUES (4, 'lost')"); }), "");
  EXPECT_NE(DbErrorOf([&] { conn->ExecuteSQL("SELECT 1"); }), "");
  EXPECT_NE(DbErrorOf([&] { CLumoRecordset::GetMaxId(conn.get(), "Parts", "ID", 0); }), "");
  EXPECT_NE(DbErrorOf([&] { CDbOperateTool::GetRecordCount(conn.get(), "Parts", "ID", 1L); }), "");
  EXPECT_FALSE(CDbOperateTool::CheckTableExistFromDatabase(conn.get(), "Parts"));
  EXPECT_NE(DbErrorOf([&] { conn->CommitTrans(); }), "");
  EXPECT_NE(DbErrorOf([&] { CDatabase().OpenEx(db.connectText().c_str()); }), "");
  open.Close();
  conn->Close();

  server.Start();
  auto fresh = db.Connect();
  CLumoRecordset rs(fresh.get());
  rs.Open(CRecordset::forwardOnly, "select ID from Parts order by ID", CRecordset::readOnly);
  std::vector<long> ids;
  for (; !rs.IsEOF(); rs.MoveNext()) {
    long id = 0;
    rs.fGetFieldValue("ID", id);
    ids.push_back(id);
  }
  EXPECT_EQ(ids, std::vector<long>({1, 2, 3}));
}

// A failing open leaves no statement behind, and the connection it used stays good.
class FailingOpenTest : public lumo_test::DbFamilyTest {};

TEST_P(FailingOpenTest, FailingOpensLeaveNoStatement) {
  const long statements = LumoOdbcStatementCount();
  EXPECT_NE(DbErrorOf([&] {
              CLumoRecordset rs(conn_.get());
              rs.Open(CRecordset::forwardOnly, "select * from NoSuchTable", CRecordset::readOnly);
            }),
            "");
  EXPECT_EQ(LumoOdbcStatementCount(), statements);
  conn_->ExecuteSQL("CREATE TABLE Fine (a INTEGER)");
  lumo_test::ScratchDir dir;
  const std::string text = lumo_test::SqliteConnectText(dir.File("no/such/dir/x.db"));
  CDatabase failed;
  EXPECT_NE(DbErrorOf([&] { failed.OpenEx(text.c_str()); }), "");
  EXPECT_FALSE(failed.IsOpen());
  EXPECT_NE(DbErrorOf([&] { failed.OpenEx("Driver=NoSuchDriver;"); }), "");
  // A data source name comes before the connect text, so an unknown one fails the open.
  const std::string connect = "ODBC;" + db_.connectText();
  EXPECT_NE(DbErrorOf([&] { failed.Open("NoSuchSource", FALSE, FALSE, connect.c_str()); }), "");
  CDatabase byText;
  EXPECT_TRUE(byText.Open("", FALSE, FALSE, connect.c_str()));
  EXPECT_EQ(LumoOdbcStatementCount(), statements);
}

LUMO_INSTANTIATE_FOR_EVERY_ENGINE(FailingOpenTest);

}  // namespace
