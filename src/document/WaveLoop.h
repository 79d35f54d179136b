#pragma once
// A wave's loop points and the one rule for what they mean. The loop plays
// Start .. End-1 and then Start again: the end is exclusive. A point of 0 is
// "not set". Every part of the program that asks whether a wave has a loop
// (the player, the export and its report, the window's loop commands, seam
// view and menus, the loop finder, the import of a file's stored loop) asks
// it here.
//
//   kind                    IsSet  Plays  InBank  DroppedByBank  PlayFault
//   unset      (0, 0)       no     no     no      no             no
//   half-set   (S, 0)       yes    no     no      no             yes
//   from 0     (0, E)       yes    yes    no      yes            no
//   (S, E), 0 < S < E       yes    yes    yes     no             no
//   empty      (S, S)       yes    no     yes     no             yes
//
// The bank has no loop from sample 0: such a loop plays in the window but is
// exported as "no loop". Nothing may drop it without a word, so whoever
// exports or imports one says so (DroppedByBank).

#include <cstdint>

struct TWaveLoop {
    int32_t Start = 0;
    int32_t End = 0;

    // Either point set: there is a loop to clear or to show.
    bool IsSet() const { return Start != 0 || End != 0; }
    // A start without an end: it neither plays nor exports.
    bool IsHalfSet() const { return Start != 0 && End == 0; }
    // The player repeats Start .. End-1.
    bool Plays() const { return End > Start; }
    // The player refuses it: a start without an end, or at or after its end.
    bool PlayFault() const { return Start > 0 && End <= Start; }
    // The bank's loop flag: both points set (their order is the editors'
    // rule; a list file may hold Start == End).
    bool InBank() const { return Start != 0 && End != 0; }
    // Plays here, but the bank holds "no loop" for it.
    bool DroppedByBank() const { return Start == 0 && End > 0; }
    int32_t Length() const { return End - Start; }

    friend bool operator==(const TWaveLoop&, const TWaveLoop&) = default;
};

// What is wrong with a loop, in the words the window, the command-line tool
// and the loop finder show (LoopRules.h applies the order and range rules).
inline constexpr const char* kLoopStartAfterEnd = "ループ始点がループ終点より後にあります";
inline constexpr const char* kLoopEndBeforeStart = "ループ終点がループ始点より前にあります";
inline constexpr const char* kLoopStartInvalid = "ループ始点が不正です";
inline constexpr const char* kLoopEndInvalid = "ループ終点が不正です";
// Why a loop starting at sample 0 is not kept: the export warning, the
// window, the loop finder and the stored-loop import say it.
inline constexpr const char* kLoopFromZeroNotInBank = "ループ始点が0のループはVBKファイルに書き出されません";
