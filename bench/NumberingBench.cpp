// Sixteen clients allocating 500 numbers each of one field: the numbering
// service against a bare "Update ... Returning" counter in the same run, on
// SQLite (processes sharing one file) and, when PG_TEST_DSN names a server,
// on PostgreSQL (a connection per client). Reports allocations per second and
// the 99th percentile latency of one allocation; the ratios compare the
// service's time with the bare counter's.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QDir>

#include "NumberingHarness.h"
#include "RatioReporter.h"
#include "TestDatabase.h"

using namespace databound::testing;
using namespace platform::data;

namespace {

constexpr int kClients = 16;
constexpr int kPerClient = 500;

TAllocations RunOnSqlite(TAllocator Allocator) {
    const QString File = QDir::tempPath() + "/vex_numbering_bench.db";
    for (const char* Suffix : {"", "-wal", "-shm"}) QFile::remove(File + Suffix);
    {
        TADOConnection Connection;
        Connection.SetConnectionString("Provider=SQLite;Data Source=" + File);
        Connection.Open();
        PrepareNumbering(Connection);
    }
    TAllocations Result = RunProcesses(NUMBERING_CLIENT, File, kClients, kPerClient, Allocator);
    for (const char* Suffix : {"", "-wal", "-shm"}) QFile::remove(File + Suffix);
    return Result;
}

TAllocations RunOnPostgres(TAllocator Allocator) {
    auto Connection = platform::data::testing::OpenTestConnection(egPostgreSQL);
    PrepareNumbering(*Connection);
    TAllocations Result = RunThreads(*Connection, kClients, kPerClient, Allocator);
    platform::data::testing::DropTestConnection(Connection);
    return Result;
}

// One whole run per iteration; its wall time is the benchmark's time.
void Allocations(benchmark::State& State, TEngine Engine, TAllocator Allocator) {
    if (Engine == egPostgreSQL && qEnvironmentVariableIsEmpty("PG_TEST_DSN")) {
        State.SkipWithError("PG_TEST_DSN is not set");
        return;
    }
    std::vector<qint64> Latencies;
    double Seconds = 0;
    int Allocated = 0;
    for (auto _ : State) {
        const TAllocations Run = Engine == egSQLite ? RunOnSqlite(Allocator) : RunOnPostgres(Allocator);
        if (DuplicateCount(Run.Numbers) != 0) State.SkipWithError("duplicate numbers");
        State.SetIterationTime(Run.Seconds);
        Seconds += Run.Seconds;
        Allocated += static_cast<int>(Run.Numbers.size());
        Latencies.insert(Latencies.end(), Run.LatenciesNs.begin(), Run.LatenciesNs.end());
    }
    State.counters["allocs_per_s"] = Allocated / Seconds;
    State.counters["p99_ms"] = Percentile(Latencies, 0.99) / 1e6;
}

BENCHMARK_CAPTURE(Allocations, SqliteBareCounter, egSQLite, alBareCounter)->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(Allocations, SqliteGerarNumeracao, egSQLite, alGerarNumeracao)->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(Allocations, PostgresBareCounter, egPostgreSQL, alBareCounter)->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(Allocations, PostgresGerarNumeracao, egPostgreSQL, alGerarNumeracao)
    ->UseManualTime()
    ->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    return RunWithRatios(argc, argv,
                         {{"Allocations/SqliteGerarNumeracao/iterations:1/manual_time",
                           "Allocations/SqliteBareCounter/iterations:1/manual_time"},
                          {"Allocations/PostgresGerarNumeracao/iterations:1/manual_time",
                           "Allocations/PostgresBareCounter/iterations:1/manual_time"}});
}
