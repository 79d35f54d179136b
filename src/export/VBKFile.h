#pragma once
// TVBKFile: writes the wave list as one voice-bank file.

#include "common/Exception.h"

#include <string>

class TKSD;

VANTREL_DECLARE_EXCEPTION(EVBKFileException);

class TVBKFile {
public:
    void Export(const std::string& fileName, const TKSD& list);
};
