#pragma once

#include <string_view>

// Creates an object of the class `progID` in the server and times `count` late-bound calls
// of one kind: "version" (Version) or "json" (JSONGetNodeValue on a small tree). Prints
// "create <ms> ms, median <ms> ms, slowest <ms> ms, all <ms> ms". Exit code 0, or 1 when a
// call failed.
int TimeCalls(const wchar_t* progID, std::wstring_view kind, int count);

// DSToJSON of the packet in the UTF-8 file `packetPath`, one record added, from a new object
// of `progID`; creates the file `readyPath` just before the call, so that another client can
// be timed during it. Prints "DSToJSON of <n> characters: <ms> ms, answer of <n> characters".
int TimeLargePacket(const wchar_t* progID, const wchar_t* packetPath, const wchar_t* readyPath);
