// Command time-outs through the ODBC path that SQL Server takes. No SQL Server
// runs here: PostgreSQL's ODBC driver against the test server stands in for it,
// reached exactly as SQL Server is (the text goes out as written).
#include <gtest/gtest.h>

#include <functional>

#include "platform/data/ADODataSet.h"
#include "platform/data/ConnectionString.h"
#include "platform/data/tests/QStringPrinter.h"

using namespace platform::data;

namespace {

// The test server as an ODBC data source; empty when no server is set.
QString OdbcTextOfTestServer() {
    const QString Dsn = qEnvironmentVariable("PG_TEST_DSN");
    if (Dsn.isEmpty()) return QString();
    const QMap<QString, QString> Keys = ParseConnectionString(ProviderStringFromLibpqDsn(Dsn));
    return QString("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=%3;Uid=%4;Pwd=%5;")
        .arg(Keys.value("host"), Keys.value("port"), Keys.value("database"), Keys.value("user id"),
             Keys.value("password"));
}

// Runs a statement expected to be stopped; answers the first line of its error.
QString StoppedWith(const std::function<void()>& Statement) {
    try {
        Statement();
    } catch (const EDatabaseError& E) {
        return E.Text().section('\n', 0, 0);
    }
    return "not stopped";
}

}  // namespace

TEST(OdbcTimeoutTest, EveryKindOfStatementStopsAtItsCommandTimeout) {
    const QString Odbc = OdbcTextOfTestServer();
    if (Odbc.isEmpty()) GTEST_SKIP() << "PG_TEST_DSN is not set: no server behind the ODBC driver";
    TADOConnection Conn;
    Conn.SetConnectionString(Odbc);
    ASSERT_EQ(Conn.Engine(), egTSQL);
    Conn.Open();
    TParameters Seconds;
    Seconds.CreateParameter("Seconds", ftFloat, 0);
    const char* const Sleep = "Select pg_sleep(:Seconds)";
    // Kept with a generous limit, so its handle holds that limit when it runs long below.
    Conn.Execute(Sleep, &Seconds, 30, true);
    Seconds[0].SetValue(5);
    struct TCase {
        const char* Kind;
        std::function<void()> Run;
    };
    const TCase Cases[] = {
        {"query opened directly", [&] {
             TADOQuery Q;
             Q.SetConnection(&Conn);
             Q.SetCommandTimeout(1);
             Q.SetSQL("Select pg_sleep(5)");
             Q.Open();
         }},
        {"statement with a parameter", [&] { Conn.Execute(Sleep, &Seconds, 1); }},
        {"kept statement run again with a shorter limit", [&] { Conn.Execute(Sleep, &Seconds, 1, true); }},
        {"the connection's own limit", [&] {
             Conn.SetCommandTimeout(1);
             Conn.Execute("Select pg_sleep(5)");
         }},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Kind);
        EXPECT_EQ(StoppedWith(Case.Run), QString("Query timeout expired"));
        EXPECT_EQ(Conn.SelectRow("Select 7").value(0).toInt(), 7);  // the connection still works
    }
    // No limit lets a statement outlast the one-second limit that came before.
    Seconds[0].SetValue(1.5);
    EXPECT_NO_THROW(Conn.Execute(Sleep, &Seconds, 0));
}
