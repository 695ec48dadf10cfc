#pragma once

// The life of the server process, from start-up to exit.

#include "app/CommandLine.h"

#include <windows.h>

namespace bramolt {

// Runs the server in the mode `options` chose and returns the exit code.
// Registration failures and a class object COM refuses are thrown.
int RunServer(HINSTANCE instance, const TStartOptions& options);

} // namespace bramolt
