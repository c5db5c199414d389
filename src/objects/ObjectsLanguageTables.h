#pragma once
// The English texts of the object tool windows, registered under their window names.

// Registers the tables of TformObjects, TformEdsCompare and TformCanParMem.
void RegisterObjectsLanguageTables();
