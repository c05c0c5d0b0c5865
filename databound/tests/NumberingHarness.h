#pragma once
// Many clients allocating numbers of one field at once, for the concurrency
// tests and the benchmark: processes of the client program on one SQLite
// file, or threads with a connection each on a server. Each allocator can be
// the numbering service, a bare "Update ... Returning" counter, or a
// deliberately unlocked read-then-update that shows the harness catches
// duplicates. Errors of any client are raised as std::runtime_error.
#include <QString>
#include <vector>

namespace platform::data {
class TADOConnection;
}

namespace databound::testing {

enum TAllocator { alGerarNumeracao, alBareCounter, alUnlocked };

inline constexpr const char* kNumberedTable = "Pedido";
inline constexpr const char* kNumberedField = "Numero";

// The framework schema and the bare counter's table, at 0.
void PrepareNumbering(platform::data::TADOConnection& Connection);
// One allocation by Allocator; answers the number.
qlonglong AllocateOnce(platform::data::TADOConnection& Connection, TAllocator Allocator);

struct TAllocations {
    std::vector<qlonglong> Numbers;
    std::vector<qint64> LatenciesNs;
    double Seconds = 0;  // from the first client's start to the last one's end
};

// Clients processes of Program ("client FILE ALLOCATOR COUNT") on the SQLite file.
TAllocations RunProcesses(const QString& Program, const QString& File, int Clients, int PerClient,
                          TAllocator Allocator);
// Clients threads, each with its own connection to Connection's database.
TAllocations RunThreads(const platform::data::TADOConnection& Connection, int Clients, int PerClient,
                        TAllocator Allocator);

// Numbers handed out more than once.
int DuplicateCount(std::vector<qlonglong> Numbers);
// Whether Numbers are exactly 1..Numbers.size().
bool IsOneToN(std::vector<qlonglong> Numbers);
qint64 Percentile(std::vector<qint64> Values, double Fraction);

// The client program's work: Count allocations, one "number latency-ns" line
// each, between "start ns" and "end ns" lines; answers the exit code.
int RunClient(const QString& File, TAllocator Allocator, int Count);

}  // namespace databound::testing
