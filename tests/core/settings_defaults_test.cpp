#include "settings/reg_ini_rec.h"

#include <gtest/gtest.h>

namespace glimra {

TEST(SettingsDefaults, WindowPlaceIsCentredForTheDefaultSize) {
    TRegIniRec rec = DefaultSettings(1024, 768);
    EXPECT_EQ(rec.Left, 272);
    EXPECT_EQ(rec.Top, 209);
    EXPECT_EQ(rec.Width, 480);
    EXPECT_EQ(rec.Height, 350);
    // Truncation toward zero on a screen narrower than the window.
    EXPECT_EQ(DefaultSettings(301, 100).Left, -89);
    EXPECT_EQ(DefaultSettings(301, 100).Top, -125);
}

} // namespace glimra
