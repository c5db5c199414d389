#pragma once
// File dialog filters: the station writes "Description|*.ext" (pairs may repeat); Qt wants
// "Description (*.ext)" entries joined by ";;".

#include <string>

std::string FileDialogFilter(const std::string& filter);
