#include "export/VBKFile.h"

// Placeholder until the exporter lands.
void TVBKFile::Export(const std::string&, const TKSD&)
{
    throw EVBKFileException("not built yet");
}
