// Faults the database layer must survive: the server going away in the middle of a session, and
// long runs of failing opens.
#include <malloc.h>

#include <fstream>
#include <functional>

#include <gmock/gmock.h>

#include "db/db_fixture.h"
#include "hostkit/db_factory.h"
#include "lumotools/color.h"

namespace {

using lumo_test::DbErrorOf;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kCountsHeapBytes = false;  // the sanitizer's own allocator (and leak check) rules
#else
constexpr bool kCountsHeapBytes = true;
#endif

size_t HeapBytesInUse() { return mallinfo2().uordblks; }

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

  lumo_test::ScratchDir dir;
  const std::string link = dir.File("config.mdb");
  std::ofstream(link) << "ODBC;" << db.connectText() << "\n";
  CDatabase* cached = CDbFactoryT<CDatabase>::instance().GetDB(link.c_str());

  server.Stop();
  EXPECT_NE(DbErrorOf([&] { conn->ExecuteSQL("INSERT INTO Parts VALUES (4, 'lost')"); }), "");
  EXPECT_NE(DbErrorOf([&] { conn->ExecuteSQL("SELECT 1"); }), "");
  EXPECT_NE(DbErrorOf([&] { CLumoRecordset::GetMaxId(conn.get(), "Parts", "ID", 0); }), "");
  EXPECT_NE(DbErrorOf([&] { CDbOperateTool::GetRecordCount(conn.get(), "Parts", "ID", 1L); }), "");
  EXPECT_FALSE(CDbOperateTool::CheckTableExistFromDatabase(conn.get(), "Parts"));
  EXPECT_NE(DbErrorOf([&] { conn->CommitTrans(); }), "");
  EXPECT_NE(DbErrorOf([&] { CDatabase().OpenEx(db.connectText().c_str()); }), "");
  CDbVisualColorMrg colors;
  EXPECT_NE(DbErrorOf([&] { colors.LoadFromDB(link.c_str()); }), "");
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
  rs.Close();
  // The factory reopens its dead connection in place: the pointer held since before works again.
  EXPECT_EQ(CDbFactoryT<CDatabase>::instance().GetDB(link.c_str()), cached);
  cached->ExecuteSQL("SELECT 1");
  CDbFactoryT<CDatabase>::instance().CloseDB(link.c_str());
  CDbFactoryT<CDatabase>::instance().CloseDB(link.c_str());
}

// The server ends the session when the long binary is written: the statement's record stays as
// committed, without a binary, and no other record receives one.
TEST(ServerFault, AConnectionLostBeforeTheLongBinaryLeavesTheRecordAsTheStatementWroteIt) {
  lumo_test::TestDatabase db(lumo_test::DbEngine::kPostgres);
  db.Execute({"CREATE TABLE Parts (ID SERIAL PRIMARY KEY, Name VARCHAR(20), Shape BYTEA)",
              "INSERT INTO Parts(Name) VALUES('older')",
              "CREATE FUNCTION cut() RETURNS trigger AS $$ BEGIN "
              "PERFORM pg_terminate_backend(pg_backend_pid()); PERFORM pg_sleep(10); RETURN NEW; "
              "END $$ LANGUAGE plpgsql",
              "CREATE TRIGGER cut BEFORE UPDATE ON Parts FOR EACH ROW EXECUTE FUNCTION cut()"});
  auto conn = db.Connect();
  std::vector<unsigned char> shape{1, 2, 3};
  CSqlInsert insert;
  insert.AddFieldValue("Name", CString("older"));
  insert.AddFieldValue("Shape", shape);
  EXPECT_NE(DbErrorOf([&] { insert.ExecuteSQL(conn.get(), "Parts"); }), "");
  EXPECT_FALSE(conn->IsConnectionAlive());

  auto fresh = db.Connect();
  CLumoRecordset rs(fresh.get());
  rs.Open(CRecordset::forwardOnly, "select ID, Name, Shape from Parts order by ID",
          CRecordset::readOnly);
  int records = 0;
  for (; !rs.IsEOF(); rs.MoveNext(), ++records) {
    CString name;
    std::vector<unsigned char> bytes;
    rs.fGetFieldValue("Name", name);
    EXPECT_EQ(name, "older");
    EXPECT_EQ(rs.fGetFieldValue("Shape", bytes), 0u);
  }
  EXPECT_EQ(records, 2);
}

// Each failing open or connect below would leak a statement or at least 64 bytes to fail this.
class FailingOpenTest : public lumo_test::DbFamilyTest {
 protected:
  static void ExpectNoGrowthOver(const std::function<void()>& fail) {
    const auto failOnce = [&] {
      try {
        fail();
      } catch (CDBException* e) {
        e->Delete();
        return;
      }
      ADD_FAILURE() << "no database error";
    };
    const long statements = LumoOdbcStatementCount();
    for (int i = 0; i < 100; ++i) failOnce();  // let the drivers reach their steady state
    const size_t heap = HeapBytesInUse();
    for (int i = 0; i < 1000; ++i) failOnce();
    EXPECT_EQ(LumoOdbcStatementCount(), statements);
    if (kCountsHeapBytes) {
      EXPECT_LT(HeapBytesInUse(), heap + 64 * 1000);
    }
  }
};

TEST_P(FailingOpenTest, FailingOpensAndConnectionsLeakNothing) {
  ExpectNoGrowthOver([&] {
    CLumoRecordset rs(conn_.get());
    rs.Open(CRecordset::forwardOnly, "select * from NoSuchTable", CRecordset::readOnly);
  });
  conn_->ExecuteSQL("CREATE TABLE Fine (a INTEGER)");  // the connection is still good
  lumo_test::ScratchDir dir;
  const std::string text = lumo_test::SqliteConnectText(dir.File("no/such/dir/x.db"));
  ExpectNoGrowthOver([&] { CDatabase().OpenEx(text.c_str()); });
}

LUMO_INSTANTIATE_FOR_EVERY_ENGINE(FailingOpenTest);

}  // namespace
