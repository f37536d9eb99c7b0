#include "app/activation_filter.h"

#include <gtest/gtest.h>

namespace glimra {

using TChange = TActivationFilter::TChange;

TEST(ActivationFilter, OwnHideAndShowAreNoUserActivation) {
    TActivationFilter filter;
    EXPECT_TRUE(filter.IsUsers(TChange::Activated));
    // The capture's hide deactivates the program and its show activates it again.
    filter.OwnHideBegins();
    EXPECT_FALSE(filter.IsUsers(TChange::Deactivated));
    filter.FocusReturned();
    EXPECT_FALSE(filter.IsUsers(TChange::Activated));
    // Right after that, a quick switch away and back is the user's: it captures again.
    EXPECT_TRUE(filter.IsUsers(TChange::Deactivated));
    EXPECT_TRUE(filter.IsUsers(TChange::Activated));
}

TEST(ActivationFilter, FocusBackBeforeAnyDeactivationLeavesNothingPending) {
    TActivationFilter filter;
    filter.OwnHideBegins();
    filter.FocusReturned(); // the platform saw no change at all
    EXPECT_TRUE(filter.IsUsers(TChange::Deactivated));
    EXPECT_TRUE(filter.IsUsers(TChange::Activated));
    // A second capture in a row is filtered the same way.
    filter.OwnHideBegins();
    EXPECT_FALSE(filter.IsUsers(TChange::Deactivated));
    EXPECT_FALSE(filter.IsUsers(TChange::Activated));
    EXPECT_TRUE(filter.IsUsers(TChange::Deactivated));
}

} // namespace glimra
