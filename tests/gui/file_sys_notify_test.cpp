#include "viewer/file_sys_notify.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

using N = TFileSysNotify;

TEST(NotifyFilter, MaskKeepsLowBitsAndMovesSecurityToBitEight) {
    EXPECT_EQ(NotifyFilterMask({}), 0u);
    EXPECT_EQ(NotifyFilterMask({N::FILE_NAME}), 0x1u);
    EXPECT_EQ(NotifyFilterMask({N::LAST_WRITE}), 0x10u);
    EXPECT_EQ(NotifyFilterMask({N::SECURITY}), 0x100u);
    EXPECT_EQ(NotifyFilterMask({N::FILE_NAME, N::DIR_NAME, N::ATTRIBUTES, N::SIZE, N::LAST_WRITE}),
              31u);
    EXPECT_EQ(NotifyFilterMask(
                  {N::FILE_NAME, N::DIR_NAME, N::ATTRIBUTES, N::SIZE, N::LAST_WRITE, N::SECURITY}),
              0x11fu);
}

TEST(NotifyFilter, IsASetOfMembers) {
    TNotifyFilter f{N::SIZE};
    f.Include(N::SIZE);
    f.Include(N::SECURITY);
    EXPECT_TRUE(f.Contains(N::SIZE));
    EXPECT_TRUE(f.Contains(N::SECURITY));
    EXPECT_FALSE(f.Contains(N::FILE_NAME));
    f.Exclude(N::SIZE);
    EXPECT_EQ(f, TNotifyFilter{N::SECURITY});
    f.Exclude(N::SECURITY);
    EXPECT_TRUE(f.Empty());
}

} // namespace
} // namespace glimra
