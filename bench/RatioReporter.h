#pragma once
// The console table, followed by ratios between benchmarks measured in the
// same run: the time of each measured benchmark over its baseline's (1.00: as
// fast as the baseline; 3.00: three times its cost).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class TRatioReporter : public benchmark::ConsoleReporter {
public:
    // Pairs of run names, measured first, as the table shows them ("Name/Arg/real_time").
    explicit TRatioReporter(std::vector<std::pair<std::string, std::string>> Ratios) : FRatios(std::move(Ratios)) {}

    void ReportRuns(const std::vector<Run>& Runs) override {
        // With repetitions the mean, reported after the single runs, wins.
        for (const Run& R : Runs)
            if (R.run_type == Run::RT_Iteration || R.aggregate_name == "mean")
                FTimes[R.run_name.str()] = R.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(Runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [Measured, Baseline] : FRatios) {
            if (!FTimes.count(Measured) || !FTimes.count(Baseline)) continue;
            const double Cost = FTimes[Measured] / FTimes[Baseline];
            std::printf("%s against %s: cost %.2f, speed %.2f\n", Measured.c_str(), Baseline.c_str(), Cost, 1 / Cost);
        }
    }

private:
    std::vector<std::pair<std::string, std::string>> FRatios;
    std::map<std::string, double> FTimes;
};

// Registers benchmarks listed as pairs (baseline first, then the measured one) under "Label/Suffix", in
// milliseconds, and adds each pair to Ratios.
template <class TArgument>
void RegisterBaselinePairs(const std::vector<std::pair<const char*, void (*)(benchmark::State&, TArgument)>>& List,
                           TArgument Argument, const std::string& Suffix,
                           std::vector<std::pair<std::string, std::string>>& Ratios) {
    std::string Baseline;
    for (const auto& [Label, Function] : List) {
        const std::string RunName = std::string(Label) + '/' + Suffix;
        benchmark::RegisterBenchmark(RunName.c_str(), Function, Argument)->Unit(benchmark::kMillisecond);
        if (Baseline.empty()) Baseline = RunName;
        else Ratios.emplace_back(RunName, std::exchange(Baseline, std::string()));
    }
}

// The main of a benchmark program that reports Ratios after its table.
inline int RunWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> Ratios) {
    benchmark::Initialize(&argc, argv);
    TRatioReporter Reporter(std::move(Ratios));
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    benchmark::Shutdown();
    return 0;
}
