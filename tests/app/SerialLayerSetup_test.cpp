#include <gtest/gtest.h>

#include "ComPortBase.h"

namespace {

// The program sets up the serial layer's settings table once at start-up; so do the tests,
// before any of them opens a port.
class SerialLayerSetup : public ::testing::Environment {
public:
    void SetUp() override { CComPortBase::ResetAllComPort(); }
};

const ::testing::Environment* const kSerialLayerSetup =
    ::testing::AddGlobalTestEnvironment(new SerialLayerSetup);

} // namespace
