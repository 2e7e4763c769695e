// What the processor offers the cipher, as it reports it and as the operating system has
// enabled it: a vector extension counts only when the system saves its registers.
#pragma once

// Each asked once; the answers do not change while the process runs.
bool ProcessorRunsAvx2();
// The bit-field extraction of BMI1 (bextr).
bool ProcessorRunsBmi1();
// AVX-512 with byte and word elements and the byte permutes (F, BW and VBMI).
bool ProcessorRunsAvx512Vbmi();
