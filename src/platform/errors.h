#pragma once
// Error numbers of the operating system boundary. They are the Windows system error
// codes, so the real platform passes them through and the simulated one produces the
// same numbers for the same situations.
#include <cstdint>
#include <string>

namespace qv::platform {

using ErrorCode = uint32_t;

inline constexpr ErrorCode kSuccess = 0;
inline constexpr ErrorCode kErrorInvalidFunction = 1;
inline constexpr ErrorCode kErrorFileNotFound = 2;
inline constexpr ErrorCode kErrorPathNotFound = 3;
inline constexpr ErrorCode kErrorAccessDenied = 5;
inline constexpr ErrorCode kErrorInvalidHandle = 6;
inline constexpr ErrorCode kErrorNotEnoughMemory = 8;
inline constexpr ErrorCode kErrorInvalidData = 13;
inline constexpr ErrorCode kErrorNotSameDevice = 17;
inline constexpr ErrorCode kErrorNotReady = 21;
inline constexpr ErrorCode kErrorWriteFault = 29;
inline constexpr ErrorCode kErrorReadFault = 30;
inline constexpr ErrorCode kErrorSharingViolation = 32;
inline constexpr ErrorCode kErrorLockViolation = 33;
inline constexpr ErrorCode kErrorHandleEof = 38;
inline constexpr ErrorCode kErrorHandleDiskFull = 39;
inline constexpr ErrorCode kErrorNotSupported = 50;
inline constexpr ErrorCode kErrorBadNetPath = 53;
inline constexpr ErrorCode kErrorFileExists = 80;
inline constexpr ErrorCode kErrorInvalidParameter = 87;
inline constexpr ErrorCode kErrorDiskFull = 112;
inline constexpr ErrorCode kErrorInsufficientBuffer = 122;
inline constexpr ErrorCode kErrorInvalidName = 123;
inline constexpr ErrorCode kErrorModNotFound = 126;
inline constexpr ErrorCode kErrorProcNotFound = 127;
inline constexpr ErrorCode kErrorDirNotEmpty = 145;
inline constexpr ErrorCode kErrorBadPathName = 161;
inline constexpr ErrorCode kErrorAlreadyExists = 183;
inline constexpr ErrorCode kErrorBadExeFormat = 193;
inline constexpr ErrorCode kErrorFilenameExcedRange = 206;
inline constexpr ErrorCode kErrorMoreData = 234;
inline constexpr ErrorCode kErrorNoMoreItems = 259;
inline constexpr ErrorCode kErrorDirectory = 267;
inline constexpr ErrorCode kErrorKeyDeleted = 1018;
inline constexpr ErrorCode kErrorBadFormat = 11;

// The system's English text for the codes above (the real platform asks the system for
// any other code). Without a trailing period, like the engine shows them.
std::string StandardErrorText(ErrorCode code);

}  // namespace qv::platform
