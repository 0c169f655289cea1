#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// Helpers shared by the fuzz targets.
namespace fuzz {

// Writes the input to this process's scratch file (below TMPDIR) and returns
// its path; readers that only take a path read the input from there.
QString writeScratch(const char* tag, const uint8_t* data, size_t size);

// Makes an empty scratch folder the current one, so that relative paths that
// fall through to the disk find nothing.
void enterEmptyFolder();

} // namespace fuzz
