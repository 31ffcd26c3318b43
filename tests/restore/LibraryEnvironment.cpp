#include "KernelTestSupport.h"

namespace {

[[maybe_unused]] ::testing::Environment* const kLibrary =
    ::testing::AddGlobalTestEnvironment(new kernel_test::LibraryEnvironment);

} // namespace
