#include "FClassRegistry.h"
#include "FShared.h"

#include <gtest/gtest.h>

namespace {

struct Widgetish : FShared {};

const FRegisterClass registerBase("TestBase", "FShared");
const FRegisterClass registerChild("TestChild", "TestBase",
                                   [] { return static_cast<FShared*>(new Widgetish); });

TEST(FClassRegistry, KnowsNamesParentsAndLineage) {
    auto& registry = FClassRegistry::instance();
    EXPECT_TRUE(registry.contains("TestChild"));
    EXPECT_EQ(registry.parentOf("TestChild"), "TestBase");
    EXPECT_EQ(registry.parentOf("NoSuchClass"), "");
    EXPECT_TRUE(registry.isKindOf("TestChild", "TestBase"));
    EXPECT_TRUE(registry.isKindOf("TestChild", "FShared"));
    EXPECT_FALSE(registry.isKindOf("TestBase", "TestChild"));
    EXPECT_FALSE(registry.isKindOf("NoSuchClass", "FShared"));
    std::vector<std::string> expected{"TestChild", "TestBase", "FShared"};
    EXPECT_EQ(registry.lineage("TestChild"), expected);
}

TEST(FClassRegistry, FactoryMakesObjectsOnlyWhereOneIsRegistered) {
    auto& registry = FClassRegistry::instance();
    FShared* made = registry.create("TestChild");
    ASSERT_NE(made, nullptr);
    EXPECT_NE(dynamic_cast<Widgetish*>(made), nullptr);
    made->release();
    EXPECT_EQ(registry.create("TestBase"), nullptr);
}

TEST(FClassRegistry, CycleDoesNotHang) {
    auto& registry = FClassRegistry::instance();
    registry.add("CycleA", "CycleB");
    registry.add("CycleB", "CycleA");
    EXPECT_FALSE(registry.isKindOf("CycleA", "Elsewhere"));
    EXPECT_TRUE(registry.isKindOf("CycleA", "CycleB"));
}

} // namespace
