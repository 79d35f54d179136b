#include "document/KSD.h"

#include "common/Format.h"
#include "common/Path.h"
#include "export/VBKFile.h"

#include <filesystem>
#include <utility>

namespace {

bool IsRegularFile(const std::string& FileName)
{
    std::error_code error;
    return std::filesystem::is_regular_file(PathFromUtf8(FileName), error);
}

} // namespace

TWaveInfo* TKSD::GetWave(int32_t Index) const
{
    if (Index < 0 || Index >= Count())
        return nullptr;
    return FWaves[static_cast<std::size_t>(Index)].get();
}

void TKSD::AddWave(const std::string& FileName)
{
    // Only regular files: a directory is no wave, and a pipe or device could
    // block the reader forever.
    if (!IsRegularFile(FileName))
        throw EKSDException(Format("ファイル「%s」を開けません", FileName.c_str()));
    auto wave = std::make_unique<TWaveInfo>();
    wave->LoadFromFile(FileName);
    FWaves.push_back(std::move(wave));
}

void TKSD::DeleteWave(int32_t Index)
{
    if (Index < 0 || Index >= Count())
        throw EKSDException(Format("DeleteWave : Index(=%d) が範囲外です", Index));
    FWaves.erase(FWaves.begin() + Index);
}

void TKSD::MoveNext(int32_t Index)
{
    if (Index < 0 || Index >= Count() - 1)
        throw EKSDException(Format("MoveNext : Index(=%d) が範囲外です", Index));
    std::swap(FWaves[static_cast<std::size_t>(Index)], FWaves[static_cast<std::size_t>(Index) + 1]);
}

void TKSD::MovePrev(int32_t Index)
{
    if (Index < 1 || Index >= Count())
        throw EKSDException(Format("MovePrev : Index(=%d) が範囲外です", Index));
    std::swap(FWaves[static_cast<std::size_t>(Index) - 1], FWaves[static_cast<std::size_t>(Index)]);
}

void TKSD::Clear() { FWaves.clear(); }

void TKSD::Export(const std::string& FileName) const
{
    TVBKFile exporter;
    exporter.Export(FileName, *this);
}
