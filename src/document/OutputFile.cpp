#include "document/OutputFile.h"

#include "common/Format.h"
#include "common/Path.h"

#include <sys/stat.h>

#include <optional>

namespace {

std::optional<struct stat> StatusOf(const std::string& Utf8Path)
{
    struct stat status {};
    if (::stat(PathFromUtf8(Utf8Path).c_str(), &status) != 0)
        return std::nullopt;
    return status;
}

} // namespace

void CheckOutputFile(const std::string& Output, const std::vector<std::string>& Inputs)
{
    const std::optional<struct stat> output = StatusOf(Output);
    if (!output)
        return;
    if (!S_ISREG(output->st_mode))
        throw EOutputFileError(Format("出力先「%s」は通常のファイルではありません", Output.c_str()));
    for (const std::string& input : Inputs) {
        const std::optional<struct stat> status = StatusOf(input);
        if (status && status->st_dev == output->st_dev && status->st_ino == output->st_ino)
            throw EOutputFileError(
                Format("出力先「%s」は入力のファイル「%s」と同じファイルです", Output.c_str(), input.c_str()));
    }
}
