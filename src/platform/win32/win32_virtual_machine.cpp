#include "platform/win32/win32_virtual_machine.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace qv::platform::win32 {
namespace {

#if defined(__i386__)

constexpr uint32_t kVmwareMagic = 0x564D5868;  // "VMXh"
constexpr DWORD kUnwinding = 0x2 | 0x4;       // EXCEPTION_UNWINDING, EXCEPTION_EXIT_UNWIND

// The exception registration a probe pushes: the system's two fields, then what the
// handler does when the probed instruction faults.
struct ProbeFrame {
  void* next;
  void* handler;
  uint32_t instructionLength;
  uint32_t ebxOnFault;
};

// Any fault of the probed instruction means no back door: EBX gets the frame's answer
// and execution resumes after the instruction. (Faults other than the expected one are
// taken the same way, so that no processor's answer can end the engine.)
EXCEPTION_DISPOSITION __cdecl ProbeFaultHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context, void*) {
  if (record->ExceptionFlags & kUnwinding) return ExceptionContinueSearch;
  const auto* probe = static_cast<const ProbeFrame*>(frame);
  context->Ebx = probe->ebxOnFault;
  context->Eip += probe->instructionLength;
  return ExceptionContinueExecution;
}

// The frame is linked at FS:[0] for the probed instruction only and unlinked right after
// it, in one block, so the compiler never sees the stack moved.
uint32_t VmwareProbe() {
  uint32_t ebx;
  __asm__ __volatile__(
      "pushl $0\n\t"  // EBX on a fault: not the magic
      "pushl $1\n\t"  // IN EAX, DX is one byte long
      "pushl %[handler]\n\t"
      "pushl %%fs:0\n\t"
      "movl %%esp, %%fs:0\n\t"
      "movl $0x564D5868, %%eax\n\t"
      "xorl %%ebx, %%ebx\n\t"
      "movl $10, %%ecx\n\t"  // get version
      "movl $0x5658, %%edx\n\t"
      "inl %%dx, %%eax\n\t"
      "popl %%fs:0\n\t"
      "addl $12, %%esp\n\t"
      : "=&b"(ebx)
      : [handler] "i"(ProbeFaultHandler)
      : "eax", "ecx", "edx", "esi", "edi", "memory", "cc");
  return ebx;
}

uint32_t VirtualPcProbe() {
  uint32_t ebx;
  __asm__ __volatile__(
      "pushl $-1\n\t"  // EBX on a fault: not 0
      "pushl $4\n\t"   // the instruction's four bytes
      "pushl %[handler]\n\t"
      "pushl %%fs:0\n\t"
      "movl %%esp, %%fs:0\n\t"
      "movl $1, %%eax\n\t"
      "xorl %%ebx, %%ebx\n\t"
      ".byte 0x0F, 0x3F, 0x07, 0x0B\n\t"
      "popl %%fs:0\n\t"
      "addl $12, %%esp\n\t"
      : "=&b"(ebx)
      : [handler] "i"(ProbeFaultHandler)
      : "eax", "ecx", "edx", "esi", "edi", "memory", "cc");
  return ebx;
}

#elif defined(__x86_64__)

constexpr uint32_t kHypervisorPresent = 1u << 31;  // CPUID 1, ECX
constexpr uint32_t kCreatePartitions = 1u << 0;    // CPUID 0x40000003, EBX: the root partition

// The vendor signature of the hypervisor this system runs on; empty without one.
std::string HypervisorVendor(uint32_t& highestLeaf) {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & kHypervisorPresent)) return {};
  __cpuid(0x40000000, a, b, c, d);
  highestLeaf = a;
  char vendor[12];
  std::memcpy(vendor, &b, 4);
  std::memcpy(vendor + 4, &c, 4);
  std::memcpy(vendor + 8, &d, 4);
  return std::string(vendor, strnlen(vendor, sizeof vendor));
}

#endif

}  // namespace

bool VmwareBackdoorAnswers() {
#if defined(__i386__)
  return VmwareProbe() == kVmwareMagic;
#elif defined(__x86_64__)
  uint32_t highest = 0;
  return HypervisorVendor(highest) == "VMwareVMware";
#else
  return false;
#endif
}

bool VirtualPcBackdoorAnswers() {
#if defined(__i386__)
  return VirtualPcProbe() == 0;
#elif defined(__x86_64__)
  uint32_t highest = 0;
  if (HypervisorVendor(highest) != "Microsoft Hv" || highest < 0x40000003) return false;
  unsigned a, b, c, d;
  __cpuid(0x40000003, a, b, c, d);
  return !(b & kCreatePartitions);
#else
  return false;
#endif
}

}  // namespace qv::platform::win32
