#pragma once
// Console output as usual, and each benchmark's time kept so that a program
// can print its figures as ratios of benchmarks measured in the same run.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const std::string name = run.benchmark_name();
            FTimes[name.substr(0, name.find('/'))] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The time per iteration of the benchmark registered as Name (without
    // its "/..." arguments), or 0 when it did not run.
    double Time(const std::string& Name) const
    {
        const auto found = FTimes.find(Name);
        return found == FTimes.end() ? 0.0 : found->second;
    }

private:
    std::map<std::string, double> FTimes;
};
