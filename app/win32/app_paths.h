// Where the program's files are: the two help documents beside the program file, and the data
// folder "Qel" in the user's documents folder with the settings file and the last field card in it.
#pragma once

#include <string>

struct AppPaths {
    std::u16string quick_start;
    std::u16string reference_manual;
    std::u16string data_folder;
    std::u16string settings_path;
    std::u16string field_card_path;
};

/// Computes the paths and creates the data folder when it is missing. Failures are not
/// reported: the paths are formed from whatever was obtained.
AppPaths locate_files();
