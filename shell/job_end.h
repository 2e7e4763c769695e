// What every job does as it opens its files and when it ends, and how the end of a codec run
// is reported.
#pragma once

#include <windows.h>

#include "blowfish_view.h"
#include "file.h"
#include "file_streams.h"
#include "locked_format.h"

// The status texts a kind of job may end with: only a job that wrote all its output is done.
struct JobEndTexts {
    const char* done;
    const char* failed;
    const char* stopped;
};

// The worker-thread entry common to the three jobs: checks the parameter, runs the job,
// wipes the job's key context, hands the closing status text to the view and posts
// WM_JOB_DONE to it, whatever became of the job.
UINT RunJobThread(LPVOID pParam, int (CBlowfishView::*run)(), const JobEndTexts& texts);

// Opens one of a job's files; when that fails, says `pszFailureText` and leaves the file
// closed. Returns whether the file is open.
bool OpenJobFile(CFile& file, const std::wstring& strPath, UINT nOpenFlags, const char* pszFailureText);

// The texts of an encryption or a decryption: what it says when it cannot open a file, and
// when reading or writing fails in the middle.
struct CodecJobTexts {
    const char* openSourceFailed;
    const char* openDestFailed;
    const char* readFailed;
    const char* writeFailed;
};

using CodecJobFile = int (*)(CFile& source, CFile& dest, const BYTE* key, int keyLength, CBlowfishView& view);

// The open and close skeleton of an encryption or a decryption: opens the view's source for
// reading (others may read it, nobody may change it), seeks to `sourceOffset`, refuses a
// destination the result cannot replace, creates the pending new file beside it and hands
// both to `codecFile`; only a complete result then replaces the destination. A run that did
// not complete, even one that throws or whose process dies, leaves no new file and the
// destination as it was. Returns 1 when `codecFile` ran, 0 when a file could not be opened;
// marks the view's job complete when `codecFile` wrote all its output.
int RunCodecJob(CBlowfishView& view, uint64_t sourceOffset, CodecJobFile codecFile, const CodecJobTexts& texts);

// Finishes the writer, closes the source and commits the new file after a codec run: it is
// flushed, then takes the destination's place. A run that did not complete loses the file
// it wrote (never its source) and, unless the user asked it to stop, says what failed.
// Returns 1 when the destination is complete, 0 otherwise.
int FinishCodecRun(lockedfile::CodecStatus status, files::FileSink& writer, CFile& source, CFile& dest,
                   const CodecJobTexts& texts);
