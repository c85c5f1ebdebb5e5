// Text between the game's UTF-8 and the UTF-16 of the Windows system calls.
#pragma once

#include <string>

std::wstring wide_text(const std::string &utf8);
std::string utf8_text(const std::wstring &wide);
