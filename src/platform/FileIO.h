// File access for the settings store. Files are open only inside these calls.
#pragma once

#include <string>

namespace platform {

// True when `path` is not empty and names a file that opens for reading.
bool FileOpensForReading(const std::string& path);

// Reads the whole file. Returns false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& contents);

// Replaces the file `path` with `contents` so that readers see either the old
// file or the whole new one: the bytes go to a temporary file in the same
// folder, are flushed, and the temporary file is renamed over the target.
// A new file is readable by its owner only; a replaced one keeps its mode.
// Throws EInOutError; on failure the old file is unchanged and no temporary
// file is left behind.
void WriteFileReplacing(const std::string& path, const std::string& contents);

}  // namespace platform
