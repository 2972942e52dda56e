#pragma once
// "Evaluate Expression" and "Mathematics".
#include <cstdint>
#include <mutex>

#include "script/command_table.h"

namespace qv::script {

void RegisterExpressionCommands(CommandTable& table);

// The pseudo-random generator of "Mathematics" (codes 13 to 15). It belongs to the
// process: a sequence a script seeds goes on across lines. Everything starts at 0, so
// it yields 0 until it is seeded.
class MathGenerator {
 public:
  void Seed(int32_t multiplier, int32_t increment);
  void SetState(int32_t state);
  // X = multiplier * state + increment in 32 bits; the state becomes X mod 32767 (with
  // the sign of X). Returns X.
  int32_t Step();
  void Reset();

 private:
  std::mutex lock_;
  int32_t multiplier_ = 0;
  int32_t increment_ = 0;
  int32_t state_ = 0;
};

MathGenerator& ProcessMathGenerator();

}  // namespace qv::script
