// Program units: the modules whose initialisation runs at start-up, in a
// fixed order, and whose finalisation runs at shutdown in the reverse order.
//
// The platform's own units come first; the program's units follow in the
// order they register. A unit counts as initialised from the moment its
// initialisation begins, so a unit whose initialisation fails is still
// finalised.
#pragma once

#include <cstddef>
#include <string>

using TUnitProc = void (*)();

// Registers a program unit. Meant for a namespace-scope object in the unit's
// source file:
//   static TUnitRegistration MainUnit("Main", &InitializeMain, &FinalizeMain);
// Either procedure may be null.
class TUnitRegistration {
public:
    TUnitRegistration(const char* name, TUnitProc initialize, TUnitProc finalize);
};

// Registers a unit of the platform itself; these run before every program
// unit, in the order registered. Called by the platform during start-up.
void RegisterPlatformUnit(const char* name, TUnitProc initialize, TUnitProc finalize);

// Initialises every unit not initialised yet, in order. An error raised by a
// unit's initialisation leaves this function; the units begun so far stay
// counted as initialised. FailedUnitProc() then names the failing
// initialisation.
void InitializeUnits();

// Finalises the initialised units in reverse order, each once. An error
// raised by a finalisation is dropped, so that the others still run.
void FinalizeUnits();

// The names of the units initialised and not yet finalised, in order.
std::string InitializedUnitNames();
std::size_t InitializedUnitCount();

// The initialisation that raised the latest start-up error, or null.
TUnitProc FailedUnitProc();
