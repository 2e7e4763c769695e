// What the processor offers the cipher, as it reports it and as the operating system has
// enabled it: a vector extension counts only when the system saves its registers.
#pragma once

// Asked once; the answer does not change while the process runs.
bool ProcessorRunsAvx2();
