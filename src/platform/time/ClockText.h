#pragma once
// Times as people read them on a clock: "mm:ss", whole seconds truncated, minutes past 99 as
// they are ("125:04"). Any thread.

#include <string>

// "mm:ss" for `seconds`; negative or not-a-number times read "00:00".
std::string minutesAndSeconds(double seconds);
