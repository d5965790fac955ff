// ConvertLine on a table and lines taken from the input, against the plain
// reference rewriting: every line and every LastPos must agree.
#include "fuzz/fuzz_main.h"
#include "tests/support/differential_checks.h"

VELMORA_FUZZ_TARGET(differential::CheckLineRewriting)
