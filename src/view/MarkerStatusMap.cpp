// TMarkerStatus and TMarkerStatusMap: the named markers a waveform view draws.

#include "view/MarkerStatusMap.h"

#include "common/AsciiCase.h"

#include <algorithm>

void TMarkerStatus::Assign(const TMarkerStatus& Source)
{
    Color = Source.Color;
    Position = Source.Position;
}

std::vector<TMarkerStatusMap::TEntry>::const_iterator TMarkerStatusMap::Entry(const std::string& Name) const
{
    return std::find_if(FNames.begin(), FNames.end(), [&](const TEntry& e) { return SameNameIgnoringAsciiCase(e.Name, Name); });
}

void TMarkerStatusMap::Put(const std::string& Name, const TMarkerStatus& Status)
{
    // The copy is made before anything is released, so Status may even be
    // the object stored under Name.
    auto copy = std::make_unique<TMarkerStatus>();
    copy->Assign(Status);
    const auto found = Entry(Name);
    if (found == FNames.end())
        FNames.push_back({Name, std::move(copy)});
    else
        FNames[static_cast<std::size_t>(found - FNames.begin())].Status = std::move(copy);
}

TMarkerStatus* TMarkerStatusMap::Find(const std::string& Name) const
{
    const auto found = Entry(Name);
    return found == FNames.end() ? nullptr : found->Status.get();
}

bool TMarkerStatusMap::Remove(const std::string& Name)
{
    const auto found = Entry(Name);
    if (found == FNames.end())
        return false;
    FNames.erase(found);
    return true;
}

void TMarkerStatusMap::Clear() { FNames.clear(); }

int TMarkerStatusMap::Count() const { return static_cast<int>(FNames.size()); }

TMarkerStatus* TMarkerStatusMap::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        return nullptr;
    return FNames[static_cast<std::size_t>(Index)].Status.get();
}

std::string TMarkerStatusMap::NameOf(const TMarkerStatus* Status) const
{
    const auto found =
        std::find_if(FNames.begin(), FNames.end(), [&](const TEntry& e) { return e.Status.get() == Status; });
    return found == FNames.end() || Status == nullptr ? std::string() : found->Name;
}
