#pragma once
// Fresh random (version 4) UUID strings, upper case: "1B4E28BA-2FA1-41D2-883F-0016D3CCA427".
// Any thread.

#include <string>

std::string makeUuidString();
