// The view's byte rules for a source file, its invariants and its conversion,
// against the reference.
#include "fuzz/fuzz_main.h"
#include "tests/support/differential_checks.h"

VELMORA_FUZZ_TARGET(differential::CheckSourceText)
