// Counts calls of the global operator new in the test program, so a test can check that a
// hot path (paint text, recompute) allocates nothing: compare allocation_count() around it.
#pragma once

long allocation_count();
