#pragma once
// The time under a trim handle: whole minutes right-aligned in two characters, a colon and two
// digits of seconds (" 1:15" for 75.9 s). A negative or unknown time reads "00:00".

#include <string>

std::string trimTimeLabel(double seconds);
