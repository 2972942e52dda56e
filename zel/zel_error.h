#pragma once
// The outcome of an archive operation: a ZEL_ERROR_* number (ZEL_OK on success) and a
// readable text for the user or the trace log.
#include <cstdint>
#include <string>

#include "zel/zel_api.h"

namespace zel {

struct Error {
  int32_t code = ZEL_OK;
  std::string text;

  bool Ok() const { return code == ZEL_OK; }
  explicit operator bool() const { return code != ZEL_OK; }  // true when failed
};

inline Error Fail(int32_t code, std::string text) { return Error{code, std::move(text)}; }

}  // namespace zel
