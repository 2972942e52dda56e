#include "script/expression_commands.h"

#include <limits>
#include <string>

#include "script/expression.h"

namespace qv::script {

void MathGenerator::Seed(int32_t multiplier, int32_t increment) {
  std::lock_guard<std::mutex> hold(lock_);
  multiplier_ = multiplier;
  increment_ = increment;
}

void MathGenerator::SetState(int32_t state) {
  std::lock_guard<std::mutex> hold(lock_);
  state_ = state;
}

int32_t MathGenerator::Step() {
  std::lock_guard<std::mutex> hold(lock_);
  // Unsigned arithmetic wraps in 32 bits; the conversion back is two's complement.
  int32_t x = static_cast<int32_t>(uint32_t(multiplier_) * uint32_t(state_) + uint32_t(increment_));
  state_ = x % 32767;
  return x;
}

void MathGenerator::Reset() {
  std::lock_guard<std::mutex> hold(lock_);
  multiplier_ = increment_ = state_ = 0;
}

MathGenerator& ProcessMathGenerator() {
  static MathGenerator generator;
  return generator;
}

namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

int32_t Low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

// Sums, differences and products wrap around in 64 bits (two's complement) instead of
// overflowing.
int64_t Wrap(uint64_t v) { return static_cast<int64_t>(v); }

// Shifts by a negative count or by 64 bits or more shift every bit out: the result is 0.
int64_t ShiftLeft(int64_t a, int64_t count) {
  return count < 0 || count >= 64 ? 0 : Wrap(uint64_t(a) << count);
}
int64_t ShiftRightLogical(int64_t a, int64_t count) {
  return count < 0 || count >= 64 ? 0 : Wrap(uint64_t(a) >> count);
}

void FailOnZero(const CommandContext& c, int64_t divisor) {
  if (divisor == 0) c.Fail("Division by zero");
}

// The one quotient that does not fit (the smallest number divided by -1) wraps around to
// itself; its remainder is 0.
int64_t Divide(int64_t a, int64_t b) { return a == kMin && b == -1 ? kMin : a / b; }
int64_t Remainder(int64_t a, int64_t b) { return b == -1 ? 0 : a % b; }

std::string Calculate(CommandContext& c, int64_t code) {
  int64_t a = 0, b = 0;
  if (code != 11) a = IntegerOrFail(c, c.Expanded(1), "Mathematics operand 1");
  if (code < 10 || code == 13) b = IntegerOrFail(c, c.Expanded(2), "Mathematics operand 2");
  MathGenerator& generator = ProcessMathGenerator();
  switch (code) {
    case 0: return std::to_string(Wrap(uint64_t(a) + uint64_t(b)));
    case 1: return std::to_string(Wrap(uint64_t(a) - uint64_t(b)));
    case 2: return std::to_string(Wrap(uint64_t(a) * uint64_t(b)));
    case 3: FailOnZero(c, b); return std::to_string(Divide(a, b));
    case 4: FailOnZero(c, b); return std::to_string(Remainder(a, b));
    case 5: return std::to_string(a & b);
    case 6: return std::to_string(a | b);
    case 7: return std::to_string(a ^ b);
    case 8: return std::to_string(ShiftLeft(a, b));
    case 9: return std::to_string(ShiftRightLogical(a, b));
    case 10: return std::to_string(~a);
    case 11: {
      std::string t = c.Expanded(1);
      if (t.empty()) c.Fail("Mathematics: no character to take the code of (parameter 1 is empty)");
      return std::to_string(static_cast<unsigned char>(t[0]));
    }
    case 12: return std::string(1, static_cast<char>(a & 0xFF));
    case 13: generator.Seed(Low32(a), Low32(b)); return std::to_string(Wrap(uint64_t(a) + uint64_t(b)));
    case 14: generator.SetState(Low32(a)); return std::to_string(Low32(a));
    case 15: {
      // Checked before the step, so that a failing line leaves the sequence where it was.
      FailOnZero(c, a);
      int64_t x = generator.Step();
      return std::to_string(Remainder(x, a));
    }
  }
  c.Fail("Unknown Mathematics operation code: " + std::to_string(code));
}

void MathematicsCommand(CommandContext& c) {
  const int64_t code = IntegerOrFail(c, c.Param(3), "Mathematics operation code");
  if (code < 0 || code > 15) c.Fail("Unknown Mathematics operation code: " + std::to_string(code));
  c.SetResult(c.Param(4), Calculate(c, code));
}

void EvaluateExpressionCommand(CommandContext& c) {
  c.SetResult(c.Param(2), EvaluateExpression(c.Store().ExpandQuoted(c.Param(1))));
}

}  // namespace

void RegisterExpressionCommands(CommandTable& table) {
  table.Add("Evaluate Expression", EvaluateExpressionCommand);
  table.Add("Mathematics", MathematicsCommand);
}

}  // namespace qv::script
