#pragma once
// A loop's seam quality in the window's language (the command-line tool
// keeps the core's words, SeamQualityName). The texts are those of the seam
// cost in the status bar (translation context TLoopEditController).

#include "loop/SeamCost.h"

#include <QString>

QString SeamQualityWord(TSeamQuality Quality);
