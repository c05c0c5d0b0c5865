// The cost of one "winenv reg add" (a process that loads the hive, changes one
// value and saves the hive) into a key of 20,000 values against a key of 100,
// in one run. Look-ups are constant time and loading and saving are linear,
// so the larger hive costs a small multiple, not a square.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/RatioReporter.h"
#include "platform/os/Registry.h"
#include "platform/os/Text.h"
#include "platform/os/WinEnv.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace platform::os;

namespace {

// A prefix whose key HKCU\Software\Bench holds Values values.
fs::path SeededPrefix(int Values) {
    const fs::path Folder = fs::temp_directory_path() / Format("reg-bench-%d-%d", static_cast<int>(::getpid()), Values);
    fs::remove_all(Folder);
    ::setenv("WINENV_PREFIX", Folder.c_str(), 1);
    EnsurePrefix();
    std::string Text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Bench]\n";
    for (int I = 0; I < Values; ++I) Text += Format("\"Valor %05d\"=\"Conhecimento de embarque %d\"\n", I, I);
    ImportRegistryText(Text, "seed.reg");
    return Folder;
}

int RunWinenv(const char* const* Args) {
    pid_t Child = 0;
    if (::posix_spawn(&Child, WINENV_TOOL, nullptr, nullptr, const_cast<char* const*>(Args), environ) != 0) return -1;
    int Status = 0;
    ::waitpid(Child, &Status, 0);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

void RegAdd(benchmark::State& State) {
    const fs::path Folder = SeededPrefix(static_cast<int>(State.range(0)));
    const char* const Args[] = {WINENV_TOOL, "reg", "add", "HKCU\\Software\\Bench", "/v", "Novo", "/d", "x", nullptr};
    for (auto _ : State)
        if (RunWinenv(Args) != 0) State.SkipWithError("winenv reg add failed");
    fs::remove_all(Folder);
}

BENCHMARK(RegAdd)->Arg(100)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv, {{"RegAdd/20000/real_time", "RegAdd/100/real_time"}});
}
