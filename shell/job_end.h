// What every job does as it opens its files and when it ends, and how the end of a codec run
// is reported.
#pragma once

#include <windows.h>

#include "blowfish_view.h"
#include "file.h"
#include "locked_format.h"

// The worker-thread entry common to the three jobs: checks the parameter, runs the job,
// sets the status text and posts WM_JOB_DONE to the view, whatever became of the job.
UINT RunJobThread(LPVOID pParam, int (CBlowfishView::*run)(), const char* pszDoneText);

// Opens one of a job's files; when that fails, says `pszFailureText` and leaves the file
// closed. Returns whether the file is open.
bool OpenJobFile(CFile& file, const char* pszPath, UINT nOpenFlags, const char* pszFailureText);

// The key length the jobs use: the bytes before the first 0 byte; 0 for no key.
int KeyLengthOf(const BYTE* key);

struct CodecFailureTexts {
    const char* readFailed;
    const char* writeFailed;
};

// Closes both files after a codec run. A run that did not complete loses its destination
// (never its source) and, unless the user asked it to stop, says what failed.
// Returns 1 when the destination is complete, 0 otherwise.
int FinishCodecRun(lockedfile::CodecStatus status, CFile& source, CFile& dest, const CodecFailureTexts& texts);
