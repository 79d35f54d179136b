#pragma once
// A loop's seam quality in the window's language (the command-line tool
// keeps the core's words, SeamQualityName): the status bar's seam cost and
// the list's seam column.

#include "loop/SeamCost.h"

#include <QString>

QString SeamQualityWord(TSeamQuality Quality);
