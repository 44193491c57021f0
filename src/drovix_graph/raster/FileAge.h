// File ages: modification times packed in the FAT date-time layout (local
// time), -1 for a missing file or a folder. They fingerprint a page's inputs
// and outputs in the build record.
#pragma once

#include <cstdint>
#include <string>

namespace drovix {

int32_t FileAge(const std::string& path);
// Sum over Name, Name_, Name__, ... of age(n.png) + age(n.tga), up to and
// including the first pair that is missing; decimal text.
std::string InputFilesAge(const std::string& name);
// age(Name.png) + age(Name.bmp), decimal text.
std::string OutputFilesAge(const std::string& name);

}  // namespace drovix
