#include "platform/errors.h"

namespace qv::platform {

std::string StandardErrorText(ErrorCode code) {
  switch (code) {
    case kSuccess: return "The operation completed successfully";
    case kErrorInvalidFunction: return "Incorrect function";
    case kErrorFileNotFound: return "The system cannot find the file specified";
    case kErrorPathNotFound: return "The system cannot find the path specified";
    case kErrorAccessDenied: return "Access is denied";
    case kErrorInvalidHandle: return "The handle is invalid";
    case kErrorNotEnoughMemory: return "Not enough storage is available to process this command";
    case kErrorBadFormat: return "An attempt was made to load a program with an incorrect format";
    case kErrorInvalidData: return "The data is invalid";
    case kErrorNotReady: return "The device is not ready";
    case kErrorWriteFault: return "The system cannot write to the specified device";
    case kErrorReadFault: return "The system cannot read from the specified device";
    case kErrorSharingViolation:
      return "The process cannot access the file because it is being used by another process";
    case kErrorLockViolation:
      return "The process cannot access the file because another process has locked a portion of the file";
    case kErrorHandleEof: return "Reached the end of the file";
    case kErrorHandleDiskFull: return "The disk is full";
    case kErrorNotSameDevice: return "The system cannot move the file to a different disk drive";
    case kErrorBadNetPath: return "The network path was not found";
    case kErrorNotSupported: return "The request is not supported";
    case kErrorFileExists: return "The file exists";
    case kErrorInvalidParameter: return "The parameter is incorrect";
    case kErrorDiskFull: return "There is not enough space on the disk";
    case kErrorInsufficientBuffer: return "The data area passed to a system call is too small";
    case kErrorInvalidName: return "The filename, directory name, or volume label syntax is incorrect";
    case kErrorModNotFound: return "The specified module could not be found";
    case kErrorProcNotFound: return "The specified procedure could not be found";
    case kErrorDirNotEmpty: return "The directory is not empty";
    case kErrorBadPathName: return "The specified path is invalid";
    case kErrorAlreadyExists: return "Cannot create a file when that file already exists";
    case kErrorBadExeFormat: return "%1 is not a valid Win32 application";
    case kErrorFilenameExcedRange: return "The filename or extension is too long";
    case kErrorMoreData: return "More data is available";
    case kErrorNoMoreItems: return "No more data is available";
    case kErrorDirectory: return "The directory name is invalid";
    case kErrorKeyDeleted: return "Illegal operation attempted on a registry key that has been marked for deletion";
    default: {
      std::string text = "System error ";
      text += std::to_string(code);
      return text;
    }
  }
}

}  // namespace qv::platform
