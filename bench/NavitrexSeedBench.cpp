// Seeding 5,000 customers of the bills-of-lading application on SQLite in
// memory: the seeding helper (one transaction, one prepared insert) against a
// bare QSqlQuery prepared once and executed per row in one transaction (the
// floor), and against the same rows sent as unprepared statements of the
// connection (what the helper saves), all in the same run.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlQuery>
#include <memory>

#include "RatioReporter.h"
#include "dataaccess/VexSchema.h"
#include "platform/data/ADODB.h"
#include "samples/navitrex/NavitrexSchema.h"
#include "samples/navitrex/NavitrexSeed.h"

using namespace platform::data;

namespace {

constexpr int kClientes = 5000;

std::unique_ptr<TADOConnection> FreshDatabase() {
    auto Connection = dataaccess::OpenEmbeddedDatabase(":memory:");
    navitrex::CreateNavitrexSchema(*Connection);
    return Connection;
}

void BM_BarePreparedQuery(benchmark::State& State) {
    for (auto _ : State) {
        State.PauseTiming();
        const auto Connection = FreshDatabase();
        State.ResumeTiming();
        QSqlDatabase Database = Connection->Database();
        Database.transaction();
        QSqlQuery Query(Database);
        Query.prepare(
            "Insert Into Cliente (IdCliente, Nome, Cidade, Embarcador, Consignatario) Values (?, ?, ?, ?, ?)");
        for (int I = 0; I < kClientes; ++I) {
            Query.bindValue(0, I + 1);
            Query.bindValue(1, QString("Cliente %1").arg(I + 1, 6, 10, QChar('0')));
            Query.bindValue(2, "Santos");
            Query.bindValue(3, I % 2 == 0);
            Query.bindValue(4, I % 2 == 1);
            if (!Query.exec()) State.SkipWithError("insert failed");
        }
        Database.commit();
    }
}
BENCHMARK(BM_BarePreparedQuery)->Unit(benchmark::kMillisecond);

void BM_SeedHelper(benchmark::State& State) {
    for (auto _ : State) {
        State.PauseTiming();
        const auto Connection = FreshDatabase();
        State.ResumeTiming();
        navitrex::Seed(*Connection, {kClientes, 0, 0, QDate(), 1});
    }
}
BENCHMARK(BM_SeedHelper)->Unit(benchmark::kMillisecond);

void BM_UnpreparedStatements(benchmark::State& State) {
    for (auto _ : State) {
        State.PauseTiming();
        const auto Connection = FreshDatabase();
        State.ResumeTiming();
        Connection->BeginTrans();
        for (int I = 0; I < kClientes; ++I) {
            TParameters Params;
            Params.CreateParameter("Id", ftInteger, I + 1);
            Params.CreateParameter("Nome", ftString, QString("Cliente %1").arg(I + 1, 6, 10, QChar('0')));
            Params.CreateParameter("Cidade", ftString, "Santos");
            Params.CreateParameter("Embarcador", ftBoolean, I % 2 == 0);
            Params.CreateParameter("Consignatario", ftBoolean, I % 2 == 1);
            Connection->Execute("Insert Into Cliente (IdCliente, Nome, Cidade, Embarcador, Consignatario) "
                                "Values (:Id, :Nome, :Cidade, :Embarcador, :Consignatario)",
                                &Params);
        }
        Connection->CommitTrans();
    }
}
BENCHMARK(BM_UnpreparedStatements)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    return RunWithRatios(argc, argv, {{"BM_SeedHelper", "BM_BarePreparedQuery"},
                                        {"BM_UnpreparedStatements", "BM_SeedHelper"}});
}
