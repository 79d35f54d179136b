#pragma once
// The question the window asks for each wave of a list file that is still
// missing after the automatic looks (KSD.h): the dialog names the file and
// offers 探す… (a file dialog; the list file reader then also looks for the
// later waves in the folder of the file chosen), スキップ (the wave stays in
// the list as missing) and 中止 (the list is not opened). A wave whose file
// is there but cannot be read (damaged, of a shape no reader takes) is asked
// about too, naming the file and the reason, with スキップ and 中止.

#include "document/KSD.h"

class QWidget;
class TPrompter;
struct TFileDialog;

// Asks through Prompter, over Parent; Dialog is the file dialog of 探す…
// (it remembers the last choice). All three must outlive the resolver.
TMissingWaveResolver MissingWavePrompt(TPrompter& Prompter, QWidget* Parent, TFileDialog& Dialog);
// Asks through Prompter, over Parent, which must outlive the resolver.
TUnreadableWaveResolver UnreadableWavePrompt(TPrompter& Prompter, QWidget* Parent);
