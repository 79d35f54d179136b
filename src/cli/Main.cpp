// vantrel-cli: builds and checks voice banks from build scripts. Exit status
// 0 on success, 1 on any error; every error goes to standard error as the
// window would show it.

#include "cli/Commands.h"
#include "common/ErrorText.h"
#include "common/ProgramInfo.h"
#include "common/Platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  vantrel-cli export LIST.ksd OUT.vbk     export a list file as a voice bank\n"
    "  vantrel-cli check FILE.vbk              verify a voice bank and list its waves\n"
    "  vantrel-cli info FILE.wav...            show what the WAV reader sees in each file\n"
    "  vantrel-cli new [--force] LIST.ksd WAV[@START:END]...\n"
    "                                          write a list file of WAV files with loops\n"
    "                                          (END exclusive; an END of 0 leaves the loop end unset;\n"
    "                                          --force: replace an existing list file)\n"
    "                                          (@auto: the automatic loop; @START:auto: the best end;\n"
    "                                          a loop may end in ~N, a crossfade of N samples, or ~Nms)\n"
    "  vantrel-cli loop WAV... [--near START:END [--radius MS]] [--min-length MS] [--count N]\n"
    "                   [--crossfade MS]       print the best loops with their seam costs\n"
    "                                          (--crossfade: the cost after a crossfade of MS)\n"
    "  vantrel-cli --version                   show the version\n"
    "  vantrel-cli --help | -h                 show this text\n";

int Run(const std::vector<std::string>& args)
{
    if (args.empty())
        throw ECliError("no command given (see vantrel-cli --help)");
    const std::string& command = args.front();
    const TArguments rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "--version") {
        std::cout << VersionLine("vantrel-cli");
        return 0;
    }
    if (command == "export")
        ExportCommand(rest, std::cout, std::cerr);
    else if (command == "check")
        CheckCommand(rest, std::cout);
    else if (command == "info")
        return InfoCommand(rest, std::cout, std::cerr) ? 0 : 1;
    else if (command == "loop")
        return LoopCommand(rest, std::cout, std::cerr) ? 0 : 1;
    else if (command == "new")
        NewCommand(rest, std::cout);
    else if (command.starts_with("-"))
        throw UnknownOption(command);
    else
        throw ECliError("unknown command \"" + command + "\" (see vantrel-cli --help)");
    return 0;
}

// A report that did not reach standard output (a full disk, a closed file)
// fails the command like any other error. The system's reason is known when
// the last write failed; an earlier failure leaves only the stream's flag.
void RequireOutputWritten()
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout) || !std::cout)
        throw ECliError(std::string("standard output: ") + (errno != 0 ? std::strerror(errno) : "write error"));
}

} // namespace

int main(int argc, char** argv)
{
    Platform::UseUtf8Console();
    try {
        const int status = Run(Platform::Utf8Arguments(argc, argv));
        RequireOutputWritten();
        return status;
    } catch (const Exception& e) {
        std::cout.flush();
        std::cerr << ErrorText(e) << '\n';
    } catch (const std::bad_alloc&) { // the readers and the exporter name their file themselves
        std::cout.flush();
        std::cerr << ErrorText(kOutOfMemory) << '\n';
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << ErrorText(e.what()) << '\n';
    }
    return 1;
}
