#include "document/OutputFile.h"

#include "common/Format.h"
#include "common/Path.h"

#include <filesystem>

void CheckOutputFile(const std::string& Output, const std::vector<std::string>& Inputs)
{
    namespace fs = std::filesystem;
    const fs::path output = PathFromUtf8(Output);
    std::error_code error;
    const fs::file_status status = fs::status(output, error);
    if (!fs::exists(status))
        return;
    if (!fs::is_regular_file(status))
        throw EOutputFileError(Format(kOutputNotRegularFormat, Output.c_str()));
    for (const std::string& input : Inputs) {
        // The same file by device and file number, which Windows' stat does
        // not give; an input that cannot be found compares unequal.
        if (fs::equivalent(PathFromUtf8(input), output, error))
            throw EOutputFileError(
                Format(kOutputIsInputFormat, Output.c_str(), input.c_str()));
    }
}
