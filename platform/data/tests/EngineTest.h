#pragma once
// The fixture of the engine suites: each case runs once per engine, on SQLite
// always, on PostgreSQL when PG_TEST_DSN is set and on SQL Server when
// MSSQL_TEST_DSN is set, over a table Cliente of three rows. A suite over the
// fixture (or one derived from it) runs on every engine through
// VEX_INSTANTIATE_ENGINE_SUITE in the test binary that defines its cases.
#include <gtest/gtest.h>

#include "TestDatabase.h"
#include "platform/data/Provider.h"

namespace platform::data::testing {

class EngineTest : public ::testing::TestWithParam<TEngine> {
protected:
    void SetUp() override;
    void TearDown() override { DropTestConnection(Conn); }

    // The first value of the first row; Unassigned when there is none.
    QVariant Scalar(const QString& Sql, const TParameters* Params = nullptr);
    // A statement that runs far longer than a time-out of one second.
    QString LongStatement() const;
    // "IdCliente|Nome|Cidade|Saldo" per row, by key.
    QStringList Table();
    // The rows of a query, each its values as text joined by "|".
    QStringList SelectRows(const QString& Sql);
    // A query, provider and client dataset as the table classes set them up:
    // fields declared with their provider flags, the key in the where clause only.
    void Link(TADOQuery& Query, TDataSetProvider& Provider, TClientDataSet& Client);

    std::unique_ptr<TADOConnection> Conn;
};

}  // namespace platform::data::testing

#define VEX_INSTANTIATE_ENGINE_SUITE(Suite)                                                         \
    INSTANTIATE_TEST_SUITE_P(                                                                       \
        Engines, Suite,                                                                             \
        ::testing::Values(::platform::data::egSQLite, ::platform::data::egPostgreSQL, ::platform::data::egTSQL), \
        [](const auto& Info) { return std::string(::platform::data::testing::EngineName(Info.param)); })
