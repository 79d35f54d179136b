// The core's texts in English (common/Texts.h), which the window and the
// tool share, and the language a locale gives.

#include "common/ErrorText.h"
#include "common/OpenFailure.h"
#include "common/Texts.h"
#include "document/CrossFade.h"
#include "document/KSD.h"
#include "document/OutputFile.h"
#include "document/StoredLoop.h"
#include "document/WaveInfo.h"
#include "document/WaveLoop.h"
#include "export/VBKFile.h"
#include "loop/LoopFinder.h"
#include "playback/WaveOut.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every text of the core that a user may see has its English form: a text
// added to the core without one would reach English users in Japanese.
TEST(CoreTexts, EveryCoreTextHasItsEnglishForm)
{
    for (const char* text : {kLoopStartAfterEnd, kLoopEndBeforeStart, kLoopStartInvalid, kLoopEndInvalid,
                             kLoopFromZeroNotInBank, kNoLoopFound, kLoopTooShort, kCrossFadeTooLong,
                             static_cast<const char*>(kWaveDeviceUnusable), static_cast<const char*>(kMalformedKSD),
                             static_cast<const char*>(kUnsupportedKSDVersion), static_cast<const char*>(kNoWavesToExport),
                             static_cast<const char*>(kBankTooLarge), static_cast<const char*>(kCannotOpenFormat),
                             static_cast<const char*>(kUnsupportedWaveFormat), static_cast<const char*>(kWaveTooLongFormat),
                             static_cast<const char*>(kNoMemoryForWaveFormat), static_cast<const char*>(kWaveChangedFormat),
                             static_cast<const char*>(kKSDUnreadableFormat),
                             static_cast<const char*>(kKSDUnwritableFormat), static_cast<const char*>(kUnwritableNameFormat),
                             static_cast<const char*>(kOutputNotRegularFormat), static_cast<const char*>(kOutputIsInputFormat),
                             static_cast<const char*>(kWaveMissingFormat), static_cast<const char*>(kLoopEndNotSetFormat),
                             static_cast<const char*>(kUnnamedEntryFormat),
                             static_cast<const char*>(kCurrentFolderNoteFormat),
                             static_cast<const char*>(kOutOfMemory), kCrossFadeTooShort, kLoopMarkersMissing,
                             kStoredLoopOutsideWave, static_cast<const char*>(kNoMemoryForBankFormat)}) {
        const std::string english = CoreTextIn(TLanguage::English, text);
        EXPECT_NE(english, text);
        EXPECT_EQ(english.find_first_of("\xE3\xE4\xE5\xE6\xE7\xE8\xE9"), std::string::npos) << english; // no kana or kanji
        EXPECT_EQ(CoreTextIn(TLanguage::Japanese, text), text);
    }
}

// How formats are filled around their arguments is held by the window's
// LanguageTest, through CoreText, which is this table.

TEST(CoreTexts, JapaneseOnlyForTheJapaneseLanguage)
{
    for (const char* name : {"ja", "ja_JP", "ja_JP.UTF-8", "ja_JP.eucJP", "ja@x"})
        EXPECT_EQ(LanguageOfLocaleName(name), TLanguage::Japanese) << name;
    for (const char* name : {"", "C", "C.UTF-8", "POSIX", "en_US.UTF-8", "jam", "de_DE"})
        EXPECT_EQ(LanguageOfLocaleName(name), TLanguage::English) << name;
}

} // namespace
