#pragma once
// The seam quality of a wave's played loop, and the question before a bank
// is exported with seams rated poor: a click in every held note is easy to
// miss while editing and costly once the bank is handed on.

#include "loop/SeamCost.h"

#include <QString>

#include <optional>

class TKSD;
class TPrompter;
class TWaveInfo;
class QWidget;

// The quality of the seam Wave's loop plays with its crossfade (as the seam
// view measures it); none for a missing wave or a loop that does not play.
std::optional<TSeamQuality> PlayedSeamQuality(const TWaveInfo& Wave);

// Names the waves of List whose seam is poor and asks whether to export
// anyway; true to export. The answer "always for this list" is remembered
// for the list file ListPath (not for an unsaved list), which is then never
// asked about again.
bool ConfirmPoorSeams(TPrompter& Prompter, QWidget* Parent, const TKSD& List, const QString& ListPath);
