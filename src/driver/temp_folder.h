// The temporary folder of one driver run: it holds the output until the output is complete.
#pragma once

#include <string>

namespace sonacli {

// Creates a new folder "sonarel" + eight random digits in the user's temporary folder and returns
// its name ending with "/". The name is claimed atomically (mkdir), so two runs never share a folder
// and a folder left by an earlier run is never reused. Empty when no folder could be created.
std::u16string MakeTempFolder();
// Removes the folder with everything in it; true when it is gone. An empty name does nothing.
bool RemoveFolder(const std::u16string& folder);

}  // namespace sonacli
