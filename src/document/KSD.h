#pragma once
// TKSD: the document. An ordered list of waves, each read from one WAV file
// and carrying its own loop points. The order is the order of the exported
// voice bank and of the saved list file. The list owns its waves; pointers
// handed out by GetWave stay valid while the wave is in the list.

#include "common/Exception.h"
#include "document/WaveInfo.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

VANTREL_DECLARE_EXCEPTION(EKSDException);

// A wave of a list file found elsewhere than its stored path; the list now
// holds FoundPath, and saving it writes that path: the list has changed.
struct TRelocatedWave {
    std::string StoredPath;
    std::string FoundPath;
};

// What becomes of a wave still missing after the automatic looks of
// TWaveLocator: read from Path instead (whose folder is then also searched
// for the waves after it), kept in the list as missing (TWaveInfo::Missing),
// or the load stops with the error of the missing file.
struct TMissingWaveAnswer {
    enum TChoice { Abort, Skip, Use };
    TChoice Choice = Abort;
    std::string Path; // for Use
};
// Asked with the stored path of each wave still missing.
using TMissingWaveResolver = std::function<TMissingWaveAnswer(const std::string& StoredPath)>;

// Asked for each wave whose file is there but cannot be used (damaged, of a
// shape no reader takes, not a regular file), with its stored path and the
// reader's error: true keeps it in the list as missing (TWaveInfo::Missing),
// false stops the load with that error.
using TUnreadableWaveResolver = std::function<bool(const std::string& StoredPath, const Exception& Error)>;

// A relative stored path read under the list file's folder (ReadPath)
// where the current folder holds another file of that name
// (CurrentFolderPath), which older versions read.
struct TCurrentFolderWave {
    std::string StoredPath;
    std::string ReadPath;
    std::string CurrentFolderPath;
};

struct TLoadReport {
    std::vector<TRelocatedWave> Relocated; // in list order
    std::vector<std::string> Skipped;      // stored paths of the waves kept as missing, unreadable ones too
    std::vector<TCurrentFolderWave> NotFromCurrentFolder; // in list order
    // The positions (1 for the first "WaveFile") of the entries that name no
    // file and were passed over: every later wave moved up one place.
    std::vector<int32_t> Unnamed;
    // Saving the list would write something else than the file holds.
    bool Changed() const { return !Relocated.empty(); }
};
// A text that should hold an integer does not: "'%s' は整数ではありません".
VANTREL_DECLARE_EXCEPTION(ENumberFormatException);

// Reads a number of the list file. Blanks and control characters around it
// are ignored. Hexadecimal with the prefix "0x", "0X", "$", "x" or "X" takes
// 1 to 8 digits of either case as a 32-bit pattern (0xFFFFFFFF is -1);
// otherwise a decimal with an optional sign must fit in 32 bits. Throws
// ENumberFormatException for anything else.
int32_t ParseNumber(const std::string& Text);

// True when FileName is a list file: a readable XML document whose root is
// "KSDFile" (whatever its entries hold).
bool IsListFile(const std::string& FileName);

// The texts of a load report's notes and warnings, one per entry.
std::string UnnamedEntryWarning(int32_t Position);
std::string CurrentFolderNote(const TCurrentFolderWave& Wave);
inline constexpr char kUnnamedEntryFormat[] =
    "%s 番目の WaveFile にはファイル名がないため読み飛ばしました (以降の波形は一つずつ前に詰まります)";
inline constexpr char kCurrentFolderNoteFormat[] =
    "%s はリストファイルのフォルダの %s を読みました (カレントフォルダの %s は別のファイルです)";

// The list file's messages that the window translates (see LoadFromFile
// and SaveToFile).
inline constexpr char kKSDUnreadableFormat[] = "KSDファイル(%s)を読めません";
inline constexpr char kKSDUnwritableFormat[] = "KSDファイル(%s)を書けません: %s";
inline constexpr char kUnwritableNameFormat[] = "ファイル名「%s」は KSDファイルに書けない文字を含みます";
inline constexpr char kMalformedKSD[] = "ファイル形式が異常です";
inline constexpr char kUnsupportedKSDVersion[] = "未対応のバージョンです";

// What a list file held beyond what this version knows: its MinorVersion,
// and the root's elements other than "Application" and "WaveFile", each
// with the number of waves before it. A save writes them back in place.
struct TListFileExtras {
    std::string MinorVersion = "0";
    std::vector<std::pair<int32_t, std::string>> Elements; // XmlDom::XmlOf
};

class TKSD {
public:
    int32_t Count() const { return static_cast<int32_t>(FWaves.size()); }
    // The wave at Index, or nullptr when Index is out of range; a read-only
    // list gives read-only waves.
    const TWaveInfo* GetWave(int32_t Index) const;
    TWaveInfo* GetWave(int32_t Index);

    // Appends a wave read from FileName, with the loop its file stores when
    // that loop is usable (TWaveInfo::UseStoredLoop). Throws EKSDException
    // "ファイル「%s」を開けません" when no regular file is there, and lets the
    // reader's EWaveInfoException through; on any error the list is unchanged.
    void AddWave(const std::string& FileName);
    // Reads the wave AddWave would append, without touching the list; the
    // same checks and errors.
    static std::unique_ptr<TWaveInfo> ReadWave(const std::string& FileName);
    // Reads the file of a wave kept as missing, found at FileName later: it
    // takes the loop points, crossfade and entry the list file gave Missing,
    // with the checks and errors of LoadFromFile.
    static std::unique_ptr<TWaveInfo> ReadLocatedWave(const TWaveInfo& Missing, const std::string& FileName);
    // Takes the wave at Index out of the list and hands it over (an undo
    // step keeps it); InsertWave puts such a wave back at Index (0 ..
    // Count). Both throw EKSDException for an index out of range.
    std::unique_ptr<TWaveInfo> TakeWave(int32_t Index);
    void InsertWave(int32_t Index, std::unique_ptr<TWaveInfo> Wave);
    // Each throws EKSDException "<Op> : Index(=%d) が範囲外です" for an index
    // out of its range, leaving the list unchanged.
    void DeleteWave(int32_t Index);
    void MoveNext(int32_t Index); // swaps Index and Index + 1
    void MovePrev(int32_t Index); // swaps Index - 1 and Index
    void Clear();

    // The list file (XML, Shift_JIS as the Windows code page CP932).
    // LoadFromFile appends one wave for each "WaveFile" entry that names a
    // file, with its loop; it does not empty the list first. Entries that
    // name no file are passed over and reported (TLoadReport::Unnamed). A
    // relative path is read under the list file's folder, never the current
    // one (TWaveLocator::ListedPath); the wave then holds that path. On an error it
    // stops there: the waves of the entries before stay, the failing entry's
    // wave does not. Loops are checked by ListedLoopFault (LoopRules.h): a
    // start without an end yet (end 0) is kept; an optional "CrossFade"
    // after "LoopEnd" must fit its loop (CrossFadeFault). Throws EKSDException
    // (unreadable or malformed file, or one over 64 MiB, with the reason as
    // its detail; wrong root, unsupported version, with FileName as the
    // detail; loop outside the wave), ENumberFormatException (FileName as
    // the detail), and the errors of AddWave.
    // A wave whose stored path does not exist is looked for by TWaveLocator,
    // then, if still missing, Resolve is asked; without one, the load stops
    // with the error of the stored path. A wave that is there but cannot be
    // read is kept as missing when SkipUnreadable says so; without one the
    // load stops with the reader's error. The report names what moved or was
    // kept as missing. Reading says whether the waves keep their samples
    // (TWaveReading): the command-line export reads them one at a time.
    TLoadReport LoadFromFile(const std::string& FileName, const TMissingWaveResolver& Resolve = {},
                             const TUnreadableWaveResolver& SkipUnreadable = {},
                             TWaveReading Reading = TWaveReading::Samples);
    // Writes the whole list; the old file is replaced only once the new one
    // is complete. What the list file it came from held that this version
    // does not know (other elements of the root and of each entry, the
    // MinorVersion) is written back where it was (TListFileExtras,
    // TWaveInfo::ListEntryLayout). Throws EKSDException and leaves the old file as it was,
    // also when FileName is no regular file or is one of the waves' files
    // (the rule of CheckOutputFile).
    void SaveToFile(const std::string& FileName) const;
    // The waves' file paths, in list order.
    std::vector<std::string> WaveFiles() const;

private:
    // ReadWave without the stored loop: a list file's own loop points win.
    static std::unique_ptr<TWaveInfo> ReadFile(const std::string& FileName,
                                               TWaveReading Reading = TWaveReading::Samples);
    // Wave with a list entry's loop, fade and layout, checked as a load checks them.
    static std::unique_ptr<TWaveInfo> WithListedLoop(std::unique_ptr<TWaveInfo> Wave, int32_t LoopStart, int32_t LoopEnd,
                                                     int32_t CrossFade, const std::vector<std::string>& Layout);

    std::vector<std::unique_ptr<TWaveInfo>> FWaves;
    TListFileExtras FExtras;
};
