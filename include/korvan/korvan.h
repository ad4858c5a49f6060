/* korvan: analysis of flexible retaining walls.
 *
 * The C entry point called by a graphical front end. The front end writes
 * NAMES.dat (ten lines: version label, two header texts, a header number and
 * the six file names of the run) and the input data file into the current
 * directory, then calls IKORVAN with the interface code in both arguments.
 * All results go to the files named in NAMES.dat.
 *
 * NAMES.dat and the relative names in it are taken from the current folder
 * when the call starts; the names are made absolute then, so the run's files
 * stay together even if the folder changes during the call. The current
 * folder is one per process, shared by all its threads: a host that changes
 * folder in one thread and calls IKORVAN in another may run in a folder it
 * did not mean. Calls are serialised. A host that runs analyses in parallel
 * uses one korvan::Engine per thread with absolute paths
 * (include/korvan/engine.h).
 *
 * A run whose NAMES.dat names one file twice (an output or scratch file that
 * is the input, or two outputs that are one file) is refused before any file
 * is opened. The report, plot-data and iteration files are written beside
 * their names and moved into place when the run ends: a run that cannot open
 * its files, finds no input or is killed leaves the earlier files as they
 * were (the reason goes to the standard error stream).
 */
#ifndef KORVAN_KORVAN_H
#define KORVAN_KORVAN_H

#include <stdint.h>

#if defined(_WIN32)
#define KORVAN_CALL __stdcall
#if defined(KORVAN_BUILDING_LIBRARY)
#define KORVAN_API __declspec(dllexport)
#else
#define KORVAN_API __declspec(dllimport)
#endif
#else
#define KORVAN_CALL
#define KORVAN_API __attribute__((visibility("default")))
#endif

/* The handshake value the front end passes in both arguments. */
#define KORVAN_INTERFACE_CODE 7

#ifdef __cplusplus
extern "C" {
#endif

/* Runs every problem of the input data file named in NAMES.dat.
 * Returns 1 at once, touching no file, when either argument differs from
 * KORVAN_INTERFACE_CODE; otherwise 0 once the run has ended. The outcome of
 * the analysis (including input errors) is reported in the report file, not
 * in the return value. */
KORVAN_API int32_t KORVAN_CALL IKORVAN(int32_t code1, int32_t code2);

#ifdef __cplusplus
}
#endif

#endif /* KORVAN_KORVAN_H */
