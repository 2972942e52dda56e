/* The archive component's exported interface (zel.lib). Plain C, 8-bit texts in the
   system ANSI code page, no other headers needed by callers. */
#ifndef ZEL_API_H
#define ZEL_API_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define ZEL_CALL __stdcall
#else
#define ZEL_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Error numbers of GetLastArchiveError. */
enum {
  ZEL_OK = 0,
  ZEL_ERROR_ARCHIVE_NOT_FOUND = 1001,  /* "The archive file was not found" */
  ZEL_ERROR_ILLEGAL_WILDCARD = 1002,   /* "Illegal path used in a wildcard expression" */
  ZEL_ERROR_CANNOT_OPEN = 1003,        /* unsupported archive or incorrect password */
  ZEL_ERROR_GENERAL = 1004,
  ZEL_ERROR_UNSAFE_NAME = 1010,        /* an entry would land outside the destination */
  ZEL_ERROR_ENCRYPTED = 1011,          /* encrypted entries are not supported */
  ZEL_ERROR_WRITE = 1012,              /* a file or folder of the destination could not be written */
  ZEL_ERROR_DATA = 1013,               /* damaged data: bad checksum or compressed stream */
  ZEL_ERROR_CANCELLED = 1014,          /* a callback asked to stop */
  ZEL_ERROR_NOT_IN_ARCHIVE = 1015,     /* a requested file is not in the archive */
  ZEL_ERROR_UNSUPPORTED_METHOD = 1016, /* compression method other than stored or deflate */
  ZEL_ERROR_INVALID_ARGUMENT = 1017
};

enum { ZEL_ENTRY_FOLDER = 1, ZEL_ENTRY_ENCRYPTED = 2 };

/* One entry of the list of an opened archive; `name` comes first. */
typedef struct ZelEntry {
  const char* name;     /* zero-terminated, backslashes as separators */
  uint64_t size;
  uint64_t packedSize;
  uint64_t lastWrite;   /* FILETIME ticks (100 ns since 1601), 0 when unknown */
  uint32_t attributes;  /* Windows attribute bits */
  uint32_t crc32;
  uint32_t flags;       /* ZEL_ENTRY_* */
  uint32_t reserved;
} ZelEntry;

/* The files to extract: `count` names as listed by OpenListArchive. */
typedef struct TSZW_TARGETFILES {
  const char* const* files;
  int32_t count;
} TSZW_TARGETFILES;

#define ZEL_PASSWORD_BUFFER 256

/* Copies a password (at most ZEL_PASSWORD_BUFFER bytes with the zero) into buffer and
   returns 1, or returns 0 when it has none to offer. */
typedef int32_t(ZEL_CALL* ZelPasswordCallback)(char* buffer);
/* Called as data is written; returns non-zero to go on, 0 to stop. */
typedef int32_t(ZEL_CALL* ZelProgressCallback)(const char* fileName, int64_t done, int64_t total);
/* Asked between files; returns non-zero to go on. */
typedef int32_t(ZEL_CALL* ZelContinueCallback)(int32_t fileIndex, int32_t fileCount);
/* Asked before an existing file is replaced when overwriting was not granted:
   1 replace, 2 keep the existing file, 3 stop, 4 replace this and all later ones. */
typedef int32_t(ZEL_CALL* ZelOverwriteCallback)(const char* existingName, int64_t existingSize,
                                                uint64_t existingTime, uint32_t existingAttributes,
                                                const char* newName, int64_t newSize, uint64_t newTime,
                                                uint32_t newAttributes, int32_t reserved1,
                                                int32_t reserved2);

/* Opens an archive and lists its entries. Returns a handle (0 on failure); the entry
   array stays valid until CloseListArchive. */
void* ZEL_CALL OpenListArchive(const char* archive, int32_t reserved1, ZelPasswordCallback passwordCallback,
                               int32_t reserved2, int32_t reserved3, int32_t reserved4,
                               const char* password, ZelEntry** entries, int32_t* count);
void ZEL_CALL CloseListArchive(void* handle);
/* Extracts the named files (all when targets is 0 or empty) below destination, which is
   created when missing. overwriteExisting non-zero replaces existing files without
   asking. Returns non-zero on success. */
int32_t ZEL_CALL ExtractArchive(const char* archive, int32_t reserved1, const char* destination,
                                const TSZW_TARGETFILES* targets, int32_t overwriteExisting,
                                const char* password, ZelPasswordCallback passwordCallback,
                                ZelProgressCallback progressCallback, ZelContinueCallback continueCallback,
                                ZelOverwriteCallback overwriteCallback);
/* The error number of the calling thread's last failed call. */
int32_t ZEL_CALL GetLastArchiveError(int32_t reserved);
/* A readable description of that failure (empty when none). */
const char* ZEL_CALL GetLastArchiveErrorText(int32_t reserved);

typedef void*(ZEL_CALL* ZelOpenListArchiveFn)(const char*, int32_t, ZelPasswordCallback, int32_t, int32_t,
                                              int32_t, const char*, ZelEntry**, int32_t*);
typedef void(ZEL_CALL* ZelCloseListArchiveFn)(void*);
typedef int32_t(ZEL_CALL* ZelExtractArchiveFn)(const char*, int32_t, const char*, const TSZW_TARGETFILES*,
                                               int32_t, const char*, ZelPasswordCallback,
                                               ZelProgressCallback, ZelContinueCallback,
                                               ZelOverwriteCallback);
typedef int32_t(ZEL_CALL* ZelGetLastArchiveErrorFn)(int32_t);
typedef const char*(ZEL_CALL* ZelGetLastArchiveErrorTextFn)(int32_t);

#ifdef __cplusplus
}
#endif

#endif
