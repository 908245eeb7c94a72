#pragma once
// Conversion of a whole stream into a file: the loop that writes what an AcmStream produces, the
// WAVE "data" chunk written through it, and a WAVE file that replaces its target only when every
// byte of the conversion was written.
#include "core/gfile.h"

class AcmStream;
class JobProgress;

// Runs the stream to its end, appending what it produces to the file at its position and reporting
// the source bytes used so far. Stops with false at a failed step, a failed write or a cancelled
// progress. The stream is closed either way.
bool acmConvertLoop(AcmStream& stream, GFile& target, JobProgress* progress);
// A "data" chunk of the stream's output at the file's position; the file is left at its end.
bool writeAcmDataBlock(AcmStream& stream, GFile& target, JobProgress* progress);
// A WAVE file of the stream's destination format and output, under a temporary name that replaces
// target only on success; on failure target stays as it was.
bool acmConvertToWaveFile(const char* target, AcmStream& stream, JobProgress* progress, ErrorHandler* handler);
