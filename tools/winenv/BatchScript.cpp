#include "BatchScript.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <thread>
#include <vector>

#include "platform/os/Exceptions.h"
#include "platform/os/Files.h"
#include "platform/os/Process.h"
#include "platform/os/Streams.h"
#include "platform/os/Text.h"
#include "platform/os/WinEnv.h"

using namespace platform::os;

namespace winenv {

namespace {

// A script that keeps jumping back waits a little each time, as a loop
// waiting for another program should, and gives up after about ten minutes.
constexpr int kMaxJumps = 12000;
constexpr auto kJumpPause = std::chrono::milliseconds(50);

std::vector<std::string> ScriptLines(const std::string& WinPath) {
    const std::string Text = AnsiToUtf8(ReadHostFile(HostPath(WinPath)));
    std::vector<std::string> Lines;
    for (const std::string_view Line : SplitText(Text, '\n')) Lines.push_back(Trim(Line));
    return Lines;
}

// The first word of a line and the rest, blanks around both removed.
std::pair<std::string, std::string> SplitWord(const std::string& Line) {
    const size_t Blank = Line.find_first_of(" \t");
    if (Blank == std::string::npos) return {Line, ""};
    return {Line.substr(0, Blank), Trim(Line.substr(Blank))};
}

// A quoted path, or the rest of the line.
std::string PathArgument(const std::string& Text, std::string* Rest = nullptr) {
    if (!Text.empty() && Text[0] == '"') {
        const size_t Close = Text.find('"', 1);
        if (Rest) *Rest = Close == std::string::npos ? "" : Trim(Text.substr(Close + 1));
        return Text.substr(1, Close == std::string::npos ? std::string::npos : Close - 1);
    }
    if (!Rest) return Text;
    auto [Word, After] = SplitWord(Text);
    *Rest = After;
    return Word;
}

class TBatch {
public:
    explicit TBatch(std::vector<std::string> Lines) : FLines(std::move(Lines)) {
        for (size_t I = 0; I < FLines.size(); ++I)
            if (!FLines[I].empty() && FLines[I][0] == ':') FLabels[AnsiLowerCase(Trim(FLines[I].substr(1)))] = I;
    }

    int Run() {
        while (FNext < FLines.size()) {
            std::string Line = FLines[FNext++];
            if (!Line.empty() && Line[0] == '@') Line = Trim(Line.substr(1));
            if (Line.empty() || Line[0] == ':') continue;
            if (!Execute(Line)) return 1;
        }
        return FErrorLevel;
    }

private:
    bool Execute(const std::string& Line) {
        auto [Word, Rest] = SplitWord(Line);
        const std::string Command = AnsiLowerCase(Word);
        if (Command == "rem" || Command == "::") return true;
        if (Command == "echo") {
            if (!SameText(Rest, "off") && !SameText(Rest, "on")) std::printf("%s\n", Rest.c_str());
            return true;
        }
        if (Command == "goto") return Goto(Rest);
        if (Command == "del" || Command == "erase") {
            const std::string Path = PathArgument(Rest);
            FErrorLevel = DeleteFile(Path) ? 0 : 1;
            return true;
        }
        if (Command == "rmdir" || Command == "rd") {
            FErrorLevel = RemoveDir(PathArgument(Rest)) ? 0 : 1;
            return true;
        }
        if (Command == "if") return If(Rest);
        std::fprintf(stderr, "cmd: '%s' is not a command this interpreter knows\n", Word.c_str());
        return false;
    }

    bool Goto(const std::string& Label) {
        const std::string Name = AnsiLowerCase(Trim(Label.rfind(':', 0) == 0 ? Label.substr(1) : Label));
        const auto It = FLabels.find(Name);
        if (It == FLabels.end()) {
            std::fprintf(stderr, "cmd: the label '%s' does not exist\n", Name.c_str());
            return false;
        }
        if (++FJumps > kMaxJumps) {
            std::fprintf(stderr, "cmd: giving up after %d jumps\n", kMaxJumps);
            return false;
        }
        if (It->second < FNext) std::this_thread::sleep_for(kJumpPause);
        FNext = It->second + 1;
        return true;
    }

    bool If(const std::string& Condition) {
        auto [Word, Rest] = SplitWord(Condition);
        bool Negate = false;
        if (SameText(Word, "not")) {
            Negate = true;
            std::tie(Word, Rest) = SplitWord(Rest);
        }
        if (!SameText(Word, "exist")) {
            std::fprintf(stderr, "cmd: only 'if [not] exist' is understood\n");
            return false;
        }
        std::string Then;
        const std::string Path = PathArgument(Rest, &Then);
        const bool Exists = FileExists(Path) || DirectoryExists(Path);
        return Exists != Negate ? Execute(Then) : true;
    }

    std::vector<std::string> FLines;
    std::map<std::string, size_t> FLabels;
    size_t FNext = 0;
    int FJumps = 0;
    int FErrorLevel = 0;
};

}  // namespace

int RunBatchFile(const std::string& WinPath) {
    try {
        return TBatch(ScriptLines(WinPath)).Run();
    } catch (const Exception& E) {
        std::fprintf(stderr, "cmd: %s\n", E.what());
        return 1;
    }
}

}  // namespace winenv
