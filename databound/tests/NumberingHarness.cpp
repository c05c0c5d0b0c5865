#include "NumberingHarness.h"

#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "TestDatabase.h"
#include "dataaccess/VexSchema.h"
#include "databound/Numeracao.h"
#include "platform/data/ADODB.h"

namespace databound::testing {

using namespace platform::data;

namespace {

qint64 NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

struct TClientRun {
    qint64 Start = 0, End = 0;
};

void Merge(TAllocations& Into, const TClientRun& Run, qint64& First, qint64& Last) {
    First = First == 0 ? Run.Start : std::min(First, Run.Start);
    Last = std::max(Last, Run.End);
    Into.Seconds = (Last - First) / 1e9;
}

}  // namespace

void PrepareNumbering(TADOConnection& Connection) {
    dataaccess::CreateSchema(Connection);
    Connection.Execute("Create Table Contador_Teste (Id Integer Not Null Primary Key, Numero BigInt)");
    Connection.Execute("Insert Into Contador_Teste (Id, Numero) Values (1, 0)");
}

qlonglong AllocateOnce(TADOConnection& Connection, TAllocator Allocator) {
    switch (Allocator) {
    case alGerarNumeracao:
        return GerarNumeracao(kNumberedTable, kNumberedField, 1, kZeramentoNunca, 0, "[Numero]", true, &Connection)
            .toLongLong();
    case alBareCounter: {
        const char* const Bump = "Update Contador_Teste Set Numero = Numero + 1 Where Id = 1 Returning Numero";
        QSqlQuery& Query = Connection.RunCached(Bump, nullptr);
        const qlonglong Number = Query.next() ? Query.value(0).toLongLong() : 0;
        Query.finish();
        return Number;
    }
    case alUnlocked: {
        const qlonglong Number = Connection.SelectRow("Select Numero From Contador_Teste Where Id = 1").value(0)
                                     .toLongLong() + 1;
        TParameters Params;
        Params.CreateParameter("Numero", ftLargeint, Number);
        Connection.Execute("Update Contador_Teste Set Numero = :Numero Where Id = 1", &Params, -1, true);
        return Number;
    }
    }
    return 0;
}

TAllocations RunProcesses(const QString& Program, const QString& File, int Clients, int PerClient,
                          TAllocator Allocator) {
    std::vector<std::unique_ptr<QProcess>> Processes;
    for (int I = 0; I < Clients; ++I) {
        auto Process = std::make_unique<QProcess>();
        Process->start(Program, {File, QString::number(Allocator), QString::number(PerClient)});
        Processes.push_back(std::move(Process));
    }
    TAllocations Out;
    qint64 First = 0, Last = 0;
    for (auto& Process : Processes) {
        if (!Process->waitForFinished(-1) || Process->exitCode() != 0)
            throw std::runtime_error("client failed: " + Process->readAllStandardError().toStdString());
        TClientRun Run;
        for (const QByteArray& Line : Process->readAllStandardOutput().split('\n')) {
            const QList<QByteArray> Parts = Line.trimmed().split(' ');
            if (Parts.size() != 2) continue;
            if (Parts[0] == "start") Run.Start = Parts[1].toLongLong();
            else if (Parts[0] == "end") Run.End = Parts[1].toLongLong();
            else {
                Out.Numbers.push_back(Parts[0].toLongLong());
                Out.LatenciesNs.push_back(Parts[1].toLongLong());
            }
        }
        Merge(Out, Run, First, Last);
    }
    return Out;
}

TAllocations RunThreads(const TADOConnection& Connection, int Clients, int PerClient, TAllocator Allocator) {
    TAllocations Out;
    std::mutex Lock;
    std::string Error;
    qint64 First = 0, Last = 0;
    std::vector<std::thread> Threads;
    for (int I = 0; I < Clients; ++I)
        Threads.emplace_back([&] {
            try {
                auto Own = platform::data::testing::OpenSecondConnection(Connection);
                std::vector<qlonglong> Numbers;
                std::vector<qint64> Latencies;
                TClientRun Run;
                Run.Start = NowNs();
                for (int K = 0; K < PerClient; ++K) {
                    const qint64 Before = NowNs();
                    Numbers.push_back(AllocateOnce(*Own, Allocator));
                    Latencies.push_back(NowNs() - Before);
                }
                Run.End = NowNs();
                platform::data::testing::DropTestConnection(Own);
                const std::lock_guard<std::mutex> Guard(Lock);
                Out.Numbers.insert(Out.Numbers.end(), Numbers.begin(), Numbers.end());
                Out.LatenciesNs.insert(Out.LatenciesNs.end(), Latencies.begin(), Latencies.end());
                Merge(Out, Run, First, Last);
            } catch (const std::exception& E) {
                const std::lock_guard<std::mutex> Guard(Lock);
                Error = E.what();
            }
        });
    for (std::thread& T : Threads) T.join();
    if (!Error.empty()) throw std::runtime_error("client failed: " + Error);
    return Out;
}

int DuplicateCount(std::vector<qlonglong> Numbers) {
    std::sort(Numbers.begin(), Numbers.end());
    return static_cast<int>(Numbers.end() - std::unique(Numbers.begin(), Numbers.end()));
}

bool IsOneToN(std::vector<qlonglong> Numbers) {
    std::sort(Numbers.begin(), Numbers.end());
    for (size_t I = 0; I < Numbers.size(); ++I)
        if (Numbers[I] != static_cast<qlonglong>(I + 1)) return false;
    return true;
}

qint64 Percentile(std::vector<qint64> Values, double Fraction) {
    if (Values.empty()) return 0;
    std::sort(Values.begin(), Values.end());
    return Values[std::min(Values.size() - 1, static_cast<size_t>(Fraction * Values.size()))];
}

int RunClient(const QString& File, TAllocator Allocator, int Count) {
    try {
        TADOConnection Connection;
        Connection.SetConnectionString("Provider=SQLite;Data Source=" + File);
        Connection.Open();
        // Sixteen writers on a loaded machine can queue for longer than an interactive client's timeout.
        Connection.Execute("PRAGMA busy_timeout = 120000");
        std::printf("start %lld\n", static_cast<long long>(NowNs()));
        for (int K = 0; K < Count; ++K) {
            const qint64 Before = NowNs();
            const qlonglong Number = AllocateOnce(Connection, Allocator);
            std::printf("%lld %lld\n", static_cast<long long>(Number), static_cast<long long>(NowNs() - Before));
        }
        std::printf("end %lld\n", static_cast<long long>(NowNs()));
        return 0;
    } catch (const std::exception& E) {
        std::fprintf(stderr, "%s\n", E.what());
        return 1;
    }
}

}  // namespace databound::testing
