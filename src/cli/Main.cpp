// vantrel-cli: builds and checks voice banks from build scripts. Exit status
// 0 when done, 1 for a fault in the input (a file that cannot be read, a
// loop refused, a damaged bank), 2 for a wrong call (ECliError). Every error
// goes to standard error in the run's language (Language.h); with --json the
// command's document on standard output holds it too.

#include "cli/Commands.h"
#include "cli/Language.h"
#include "cli/Report.h"
#include "common/ErrorText.h"
#include "common/Format.h"
#include "common/ProgramInfo.h"
#include "common/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

// Standard output could not take the report: a fault of the run, not of the call.
VANTREL_DECLARE_EXCEPTION(EStandardOutputError);

constexpr const char* kUsage =
    "Usage:\n"
    "  vantrel-cli export LIST.ksd OUT.vbk     export a list file as a voice bank\n"
    "  vantrel-cli check FILE.vbk [--json]     verify a voice bank and list its waves\n"
    "  vantrel-cli info FILE.wav... [--json]   show what the WAV reader sees in each file\n"
    "  vantrel-cli new [--force] [--json] LIST.ksd WAV[@START:END]...\n"
    "                                          write a list file of WAV files with loops\n"
    "                                          (START, END in samples, END exclusive; an END of 0\n"
    "                                          leaves the loop end unset; --force: replace an\n"
    "                                          existing list file)\n"
    "                                          (@auto: the automatic loop; @START:auto: the best end;\n"
    "                                          a loop may end in ~N, a crossfade of N samples, or ~Nms;\n"
    "                                          ~auto: the shortest fade that makes the seam good)\n"
    "  vantrel-cli loop WAV... [--near START:END [--radius MS]] [--min-length MS] [--count N]\n"
    "                   [--crossfade MS|auto] [--json]\n"
    "                                          print the best loops with their seam costs\n"
    "                                          (--crossfade: the cost after a crossfade of MS\n"
    "                                          milliseconds, given as 20 or 20ms, or after each\n"
    "                                          loop's automatic fade, printed as ~N samples)\n"
    "  vantrel-cli unpack [--force] [--names FILE] BANK.vbk DIR\n"
    "                                          write a voice bank's waves as WAV files with their\n"
    "                                          loops, and DIR/BANK.ksd listing them (--names: one\n"
    "                                          file name a line; --force: replace existing files)\n"
    "  vantrel-cli --version                   show the version\n"
    "  vantrel-cli --help | -h                 show this text\n"
    "Every command takes --lang ja|en (else the language of LC_ALL, LC_MESSAGES or LANG).\n"
    "Exit status: 0 done, 1 a fault in the input, 2 a wrong call.\n";

constexpr const char* kUsageJapanese =
    "使い方:\n"
    "  vantrel-cli export LIST.ksd OUT.vbk     リストファイルをVBKファイルに書き出す\n"
    "  vantrel-cli check FILE.vbk [--json]     VBKファイルを検査し、waveを一覧する\n"
    "  vantrel-cli info FILE.wav... [--json]   各ファイルをWAV読み込みがどう見るかを示す\n"
    "  vantrel-cli new [--force] [--json] LIST.ksd WAV[@START:END]...\n"
    "                                          WAVファイルとループのリストファイルを書く\n"
    "                                          (START, END はサンプル単位、END は含まない。END が 0\n"
    "                                          ならループ終点は未設定。--force: 既存のリストファイルを置き換える)\n"
    "                                          (@auto: 自動ループ、@START:auto: 最適な終点、\n"
    "                                          ループの後に ~N で N サンプル、~Nms でミリ秒のクロスフェード、\n"
    "                                          ~auto で継ぎ目を良好にする最短のクロスフェード)\n"
    "  vantrel-cli loop WAV... [--near START:END [--radius MS]] [--min-length MS] [--count N]\n"
    "                   [--crossfade MS|auto] [--json]\n"
    "                                          最適なループを継ぎ目のコストとともに示す\n"
    "                                          (--crossfade: MS ミリ秒のクロスフェード後のコスト。20 か 20ms。\n"
    "                                          auto: 各ループの自動クロスフェード後のコスト、~N サンプルと示す)\n"
    "  vantrel-cli unpack [--force] [--names FILE] BANK.vbk DIR\n"
    "                                          VBKファイルのwaveをループ付きWAVファイルに書き、\n"
    "                                          それらを並べた DIR/BANK.ksd を書く(--names: 1行に1つの\n"
    "                                          ファイル名、--force: 既存のファイルを置き換える)\n"
    "  vantrel-cli --version                   バージョンを示す\n"
    "  vantrel-cli --help | -h                 この説明を示す\n"
    "どのコマンドも --lang ja|en をとる(なければ LC_ALL, LC_MESSAGES, LANG の言語)。\n"
    "終了コード: 0 完了、1 入力の不良、2 呼び出しの誤り。\n";

// The options every command takes, wherever they stand: --lang LANGUAGE
// (set at once, so that any later error speaks it) and --json.
TArguments TakeRunOptions(const std::vector<std::string>& Args, bool& Json)
{
    TArguments rest;
    for (std::size_t i = 0; i < Args.size(); ++i) {
        if (Args[i] == "--json") {
            Json = true;
        } else if (Args[i] == "--lang") {
            const std::string value = i + 1 < Args.size() ? Args[++i] : std::string();
            if (value != "ja" && value != "en")
                throw ECliError(Say("--lang には ja か en を指定します (vantrel-cli --help を参照)",
                                    "--lang takes ja or en (see vantrel-cli --help)"));
            UseToolLanguage(value == "ja" ? TLanguage::Japanese : TLanguage::English);
        } else {
            rest.push_back(Args[i]);
        }
    }
    return rest;
}

// Runs the command Args names; false when it failed for some of its files.
bool Run(const std::string& Command, const TArguments& Args, TReport& Report)
{
    if (Command == "--help" || Command == "-h") {
        std::cout << Say(kUsageJapanese, kUsage);
        return true;
    }
    if (Command == "--version") {
        std::cout << VersionLine("vantrel-cli");
        return true;
    }
    const char* const reporting[] = {"check", "info", "loop", "new"};
    if (Report.Json() && std::ranges::find(reporting, Command) == std::end(reporting))
        throw UnknownOption("--json");
    if (Command == "export")
        ExportCommand(Args, Report);
    else if (Command == "check")
        CheckCommand(Args, Report);
    else if (Command == "info")
        return InfoCommand(Args, Report);
    else if (Command == "loop")
        return LoopCommand(Args, Report);
    else if (Command == "new")
        NewCommand(Args, Report);
    else if (Command == "unpack")
        UnpackCommand(Args, Report);
    else if (Command.starts_with("-"))
        throw UnknownOption(Command);
    else
        throw ECliError(Format(Say("コマンド「%s」はありません (vantrel-cli --help を参照)",
                                   "unknown command \"%s\" (see vantrel-cli --help)"),
                               Command.c_str()));
    return true;
}

// A report that did not reach standard output (a full disk, a closed file)
// fails the command like any other error. The system's reason is known when
// the last write failed; an earlier failure leaves only the stream's flag.
void RequireOutputWritten()
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout) || !std::cout)
        throw EStandardOutputError(std::string(Say("標準出力: ", "standard output: ")) +
                        (errno != 0 ? std::strerror(errno) : Say("書き込みエラー", "write error")));
}

} // namespace

int main(int argc, char** argv)
{
    Platform::UseUtf8Console();
    UseToolLanguage(LanguageOfEnvironment());
    bool json = false;
    std::optional<TReport> report;
    try {
        const TArguments args = TakeRunOptions(Platform::Utf8Arguments(argc, argv), json);
        if (args.empty())
            throw ECliError(Say("コマンドがありません (vantrel-cli --help を参照)", "no command given (see vantrel-cli --help)"));
        report.emplace(std::cout, std::cerr, json, args.front());
        const bool ok = Run(args.front(), TArguments(args.begin() + 1, args.end()), *report);
        report->Finish(ok);
        RequireOutputWritten();
        return ok ? 0 : 1;
    } catch (const ECliError& e) {
        std::cout.flush();
        std::cerr << ShownError(e) << '\n';
        return 2;
    } catch (const Exception& e) {
        if (report)
            report->Finish(false, ShownError(e));
        std::cout.flush();
        std::cerr << ShownError(e) << '\n';
    } catch (const std::bad_alloc&) { // the readers and the exporter name their file themselves
        const std::string shown = ShownError(kOutOfMemory);
        if (report)
            report->Finish(false, shown);
        std::cout.flush();
        std::cerr << shown << '\n';
    } catch (const std::exception& e) {
        if (report)
            report->Finish(false, ShownError(e.what()));
        std::cout.flush();
        std::cerr << ShownError(e.what()) << '\n';
    }
    return 1;
}
