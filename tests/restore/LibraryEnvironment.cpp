#include "SignalTestSupport.h"

namespace {

[[maybe_unused]] ::testing::Environment* const kLibrary =
    ::testing::AddGlobalTestEnvironment(new signal_test::LibraryEnvironment);

} // namespace
