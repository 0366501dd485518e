/* The control-number stamp library.
 *
 * sigmar(argument) takes the first word of the argument (everything before the
 * first blank) as the name of a finished upload file, hashes the whole file and
 * writes its control number into the reserved field of the first record: bytes
 * 31 to 50 (0-based), which must hold twenty "0" when the file has 64 bytes or
 * more. The number, up to eight digits, is written right-aligned so that its last
 * digit lands at byte 40. The first word "[VERSION]" asks for the library's
 * version instead and touches no file.
 *
 * The result is 0 on success and a non-zero code otherwise (see below). Every
 * code fits in 16 bits. The library keeps no state between calls. */
#ifndef SIGMAR_SIGMAR_H
#define SIGMAR_SIGMAR_H

#include <stdint.h>

#if defined(__GNUC__)
#define SIGMAR_API __attribute__((visibility("default")))
#else
#define SIGMAR_API
#endif

/* Results of the stamp itself. */
#define SIGMAR_OK 0             /* control number computed and written */
#define SIGMAR_FIELD_NOT_ZERO 1 /* bytes 31 to 50 are not all "0" (already stamped?) */
#define SIGMAR_VERSION 21       /* answer to "[VERSION]": the library's version */
#define SIGMAR_SEEK_FAILED 1000 /* could not seek to the write position */
#define SIGMAR_SHORT_WRITE 1001 /* the digits were not all written */

/* Failures to open or read the file, numbered as the system codes of the
 * platform the library was first written for. */
#define SIGMAR_FILE_NOT_FOUND 2
#define SIGMAR_PATH_NOT_FOUND 3
#define SIGMAR_TOO_MANY_OPEN_FILES 4
#define SIGMAR_ACCESS_DENIED 5 /* also a read-only file, a folder or a device */
#define SIGMAR_NOT_ENOUGH_MEMORY 8
#define SIGMAR_READ_FAULT 30
#define SIGMAR_GENERAL_FAILURE 31   /* any other open failure */
#define SIGMAR_SHARING_VIOLATION 32 /* locked by another writer, or a running program */
#define SIGMAR_INVALID_PARAMETER 87 /* null argument */
#define SIGMAR_NAME_TOO_LONG 206
#define SIGMAR_CANNOT_RESOLVE_NAME 1921 /* too many levels of symbolic links */

#ifdef __cplusplus
extern "C" {
#endif

SIGMAR_API int32_t sigmar(const char* argument);

#ifdef __cplusplus
}
#endif

#endif /* SIGMAR_SIGMAR_H */
