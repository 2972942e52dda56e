#pragma once
// Whether the engine runs inside a VMware or Virtual PC virtual machine.
//
// The 32-bit engine knocks on the back doors those machines open to their guests: the
// VMware call (IN from port 0x5658 with the magic value in EAX, which a VMware guest
// answers by echoing the magic in EBX) and the Virtual PC instruction 0F 3F 07 0B, under
// an exception frame of its own, since on a real processor the first is a privileged
// instruction and the second an invalid one. The frame skips the faulting instruction
// and gives the answer of a machine without the back door.
//
// A 64-bit build asks the processor instead: port I/O and unknown opcodes have no place
// in a 64-bit process that must never fault. There a hypervisor shows itself through
// CPUID: VMware by its vendor signature, Microsoft's (Virtual PC's successor) by its own
// signature when this system is not the root partition that hosts the machines.
namespace qv::platform::win32 {

bool VmwareBackdoorAnswers();
bool VirtualPcBackdoorAnswers();

}  // namespace qv::platform::win32
