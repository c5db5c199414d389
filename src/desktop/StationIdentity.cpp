#include "StationIdentity.h"

std::string StationCaption(const std::string& treiberTyp) {
    return std::string(kProductName) + " Version " + kProgramVersion + " for " + treiberTyp;
}

std::string VersionMismatchQuestion() {
    return std::string("Software version in INI file\ndoes not match program version\nVersion ") + kProgramVersion +
           "\n Programm fortsetzen ?";
}
