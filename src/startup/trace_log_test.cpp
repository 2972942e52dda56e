#include "startup/trace_log.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_test_root.h"
#include "support/sim_setup.h"

namespace qv::startup {
namespace {

using platform::sim::SimPlatform;
namespace profiles = platform::sim::profiles;

class TraceLogTest : public ::testing::Test {
 protected:
  platform::sim::testing::TempRoot root;
};

TEST_F(TraceLogTest, NothingIsWrittenWithoutATarget) {
  SimPlatform machine(root.Path());
  TraceLog trace(machine.Files(), machine.Sys());
  trace.TraceLine("<Quorvane>");
  EXPECT_TRUE(trace.FirstWritePending());
  EXPECT_FALSE(machine.Files().FileExists("C:\\trace.log"));
}

TEST_F(TraceLogTest, NtFamilyWritesUtf16WithoutByteOrderMarkAndTruncatesOnTheFirstLine) {
  SimPlatform machine(root.Path());
  machine.Files().WriteWholeFile("C:\\trace.log", "old run's trace");
  TraceLog trace(machine.Files(), machine.Sys());
  trace.SetTarget("C:\\trace.log");
  trace.TraceLine("<Quorvane>");
  trace.TraceLine("  <Free>");
  std::string bytes;
  machine.Files().ReadWholeFile("C:\\trace.log", bytes);
  EXPECT_EQ(bytes, std::string("<\0Q\0u\0o\0r\0v\0a\0n\0e\0>\0\r\0\n\0", 24) +
                       std::string(" \0 \0<\0F\0r\0e\0e\0>\0\r\0\n\0", 20));
}

TEST_F(TraceLogTest, NinetyFiveFamilyWritesAnsiLines) {
  SimPlatform machine(root.Path(), profiles::Windows98());
  TraceLog trace(machine.Files(), machine.Sys());
  trace.SetTarget("C:\\trace.log");
  trace.TraceLine("<Quorvane>");
  trace.TraceLine("</Quorvane>");
  std::string bytes;
  machine.Files().ReadWholeFile("C:\\trace.log", bytes);
  EXPECT_EQ(bytes, "<Quorvane>\r\n</Quorvane>\r\n");
}

TEST_F(TraceLogTest, ANewTargetContinuesWithoutTruncating) {
  SimPlatform machine(root.Path());
  machine.Files().WriteWholeFile("C:\\second.log", std::string("x\0", 2));
  TraceLog trace(machine.Files(), machine.Sys());
  trace.SetTarget("C:\\first.log");
  trace.TraceLine("a");
  trace.SetTarget("C:\\second.log");
  trace.TraceLine("b");
  trace.SetTarget("C:\\third.log");  // does not exist yet: created on its first line
  trace.TraceLine("c");
  EXPECT_EQ(testing::TraceLines([&] { std::string b; machine.Files().ReadWholeFile("C:\\first.log", b); return b; }()),
            std::vector<std::string>{"a"});
  std::string second;
  machine.Files().ReadWholeFile("C:\\second.log", second);
  EXPECT_EQ(second, std::string("x\0b\0\r\0\n\0", 8));
  EXPECT_TRUE(machine.Files().FileExists("C:\\third.log"));
}

TEST_F(TraceLogTest, AnUnwritableTargetCostsTheLineNotTheRun) {
  SimPlatform machine(root.Path());
  TraceLog trace(machine.Files(), machine.Sys());
  trace.SetTarget("C:\\no such folder\\trace.log");
  trace.TraceLine("<Quorvane>");
  trace.SetTarget("C:\\trace.log");
  machine.Faults().Add(platform::sim::FaultRule::AccessDenied("C:\\trace.log").Times(1));
  trace.TraceLine("lost");
  trace.TraceLine("kept");
  std::string bytes;
  machine.Files().ReadWholeFile("C:\\trace.log", bytes);
  EXPECT_EQ(testing::TraceLines(bytes), std::vector<std::string>{"kept"});
}

}  // namespace
}  // namespace qv::startup
