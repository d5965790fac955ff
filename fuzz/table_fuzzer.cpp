// Table loading from two byte strings, against the reference reader.
#include "fuzz/fuzz_main.h"
#include "tests/support/differential_checks.h"

VELMORA_FUZZ_TARGET(differential::CheckTableLoading)
