#pragma once
// Registers every command family the program is built with.

void RegisterAllCommands();
