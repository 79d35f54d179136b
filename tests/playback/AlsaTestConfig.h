#pragma once
// Points ALSA, and so PortAudio's default output, at an output the test
// chooses, for this test process only.

#include "support/TestFiles.h"

#include <cstdlib>
#include <fstream>
#include <string>

// Gives ALSA a configuration of its own: a root file that loads nothing but
// the .asoundrc of Home, made the user's home folder, with Config in it. The
// machine's own cards and plugins stay out of the test, so PortAudio has
// nothing else to probe. ALSA reads its configuration at the first open in
// the process.
inline void UseAlsaConfig(const TTempDir& Home, const std::string& Config)
{
    std::ofstream(Home.File("alsa.conf")) << "@hooks [ { func load files [ \"~/.asoundrc\" ] errors false } ]\n";
    std::ofstream(Home.File(".asoundrc")) << Config;
    setenv("ALSA_CONFIG_PATH", Home.File("alsa.conf").c_str(), 1);
    setenv("HOME", Home.Path().c_str(), 1);
}
