// Connection strings: quoting of the ADO text and the ODBC text that reaches SQL Server.
#include <gtest/gtest.h>

#include "platform/data/ADODB.h"
#include "platform/data/ConnectionString.h"

using namespace platform::data;

TEST(ConnectionStringTest, ProviderStringsBecomeOdbcTextWithTheNamedDriverAndQuotedCredentials) {
    struct TCase {
        const char* Ado;
        const char* Odbc;
    };
    const TCase Cases[] = {
        {"Provider=SQLOLEDB.1;Password=segredo;Persist Security Info=True;User ID=sa;Initial Catalog=Navitrex;"
         "Data Source=srv\\SQL2019;Driver={ODBC Driver 18 for SQL Server}",
         "Driver={ODBC Driver 18 for SQL Server};Server=srv\\SQL2019;Database=Navitrex;UID=sa;PWD=segredo;"},
        {"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Nav;Data Source=.;Driver=FreeTDS",
         "Driver={FreeTDS};Server=.;Database=Nav;Trusted_Connection=yes;"},
        {"Provider=SQLOLEDB.1;User ID=\"o'brien\";Password=\"a;b}c\"\"d\";Data Source=db,1433;Initial Catalog=x;"
         "Driver={ODBC Driver 17 for SQL Server};TrustServerCertificate=yes",
         "Driver={ODBC Driver 17 for SQL Server};Server=db,1433;Database=x;TrustServerCertificate=yes;"
         "UID=o'brien;PWD={a;b}}c\"d};"},
        {"Provider=SQLOLEDB.1;Password=' x ';User ID=u;Data Source=s;Initial Catalog={a=b};Driver={Odd}}Name}",
         "Driver={Odd}}Name};Server=s;Database={a=b};UID=u;PWD={ x };"},
        {"Provider=SQLOLEDB.1;Data Source=s;Initial Catalog=d", ""},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Ado);
        EXPECT_EQ(OdbcFromProviderString(ParseConnectionString(Case.Ado)), Case.Odbc);
    }
    EXPECT_EQ(OdbcWithCredentials("DSN=nav", "u", "p;q"), "DSN=nav;UID=u;PWD={p;q};");
    EXPECT_EQ(OdbcWithCredentials("DSN=nav;UID=a;PWD=b", "u", "p"), "DSN=nav;UID=a;PWD=b");
}

TEST(ConnectionStringTest, ProviderStringWithoutADriverIsRefusedWhenConnecting) {
    TADOConnection C;
    C.SetConnectionString("Provider=SQLOLEDB.1;Data Source=s;Initial Catalog=d;User ID=u;Password=p");
    EXPECT_EQ(C.Engine(), egTSQL);
    try {
        C.Open();
        FAIL() << "connected without a driver";
    } catch (const EDatabaseError& E) {
        EXPECT_TRUE(E.Text().contains("Driver={...}")) << E.Text().toStdString();
    }
    EXPECT_FALSE(C.Connected());
}
