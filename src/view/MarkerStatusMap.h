#pragma once
// The markers of a waveform view: named, coloured, full-height lines at one
// sample position each.

#include "view/BgrColor.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One marker: the colour and sample position of a line. It carries no name;
// the map that holds it knows the name.
class TMarkerStatus {
public:
    TBgrColor Color;      // black until set
    int32_t Position = 0; // sample index

    void Assign(const TMarkerStatus& Source);
};

// Markers by name, in insertion order. Names are byte strings compared with
// ASCII letters folded to one case and every other byte as it is; an entry
// keeps the name text it was first added with. The map stores copies of what
// it is given and owns them: a pointer from Find or Items stays valid until
// that name is replaced, removed or the map is cleared.
class TMarkerStatusMap {
public:
    // Appends a new name at the end; an existing name keeps its place and
    // gets a fresh copy of Status (earlier pointers to it become invalid).
    // Status may be the object stored under Name.
    void Put(const std::string& Name, const TMarkerStatus& Status);
    TMarkerStatus* Find(const std::string& Name) const; // null when absent
    bool Remove(const std::string& Name);               // false when absent
    void Clear();
    int Count() const;
    TMarkerStatus* Items(int Index) const; // null outside 0 .. Count()-1
    // The name of the entry holding that very object (not an equal one), or "".
    std::string NameOf(const TMarkerStatus* Status) const;

private:
    struct TEntry {
        std::string Name;
        std::unique_ptr<TMarkerStatus> Status;
    };
    std::vector<TEntry>::const_iterator Entry(const std::string& Name) const;

    std::vector<TEntry> FNames;
};
