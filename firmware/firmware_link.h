#pragma once
// The two firmware exchanges below the loader: the choice of the program file and the text
// exchange of one piece of it with the board's boot loader.

#include <string>

#include "operator/operator_interface.h"
#include "unit/unit_client.h"

namespace endcap {

// The folder the program files are offered from.
inline constexpr const char* kFirmwareFolder = "C:\\Microchip\\projects\\6120-047\\";

// The program file the operator picks, starting in folder; empty when none was picked.
std::string ChooseFirmwareFile(OperatorInterface& op, const std::string& folder);
// Sends one piece of a program file as text to the boot loader and waits for its answer;
// true when the answer's line feed came within the time-out.
bool SendHexLine(UnitClient& client, const char* piece, int timeoutSeconds);

}  // namespace endcap
