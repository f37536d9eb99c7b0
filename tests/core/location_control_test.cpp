#include "modules/location_control.h"

#include <climits>
#include <deque>
#include <gtest/gtest.h>

namespace glimra {
namespace {

// The values a module instance exports through its pointers.
struct TArea {
    std::uint8_t Visible = 1;
    std::int32_t Left = -1, Top = -1, Width = 0, Height = 0;
};

class LocationControl : public ::testing::Test {
protected:
    // Adds an instance whose handle is its TArea.
    TArea& Add(const std::string& name, std::int32_t order, std::int32_t width, std::int32_t height,
               bool visible = true) {
        TArea& a = Areas.emplace_back();
        a.Width = width;
        a.Height = height;
        a.Visible = visible ? 1 : 0;
        Control.AddLocation(&a, name, order, &a.Visible, &a.Left, &a.Top, &a.Width, &a.Height);
        return a;
    }
    std::string Names() const {
        std::string s;
        for (const TLocationEntry& e : Control.Entries())
            s += e.Name;
        return s;
    }
    // Three areas "a", "b", "c" in that order, laid out at (300, 40).
    void AddThree() {
        Add("a", 0, 100, 64);
        Add("b", 0, 50, 20);
        Add("c", 0, 80, 30);
        Control.Normalize();
        Control.SetAnchor(300, 40);
    }

    std::deque<TArea> Areas; // stable addresses
    TLocationControl Control;
};

TEST_F(LocationControl, StacksRightAlignedToTheAnchorFiveApart) {
    AddThree();
    EXPECT_EQ(Areas[0].Top, 40);
    EXPECT_EQ(Areas[1].Top, 109);
    EXPECT_EQ(Areas[2].Top, 134);
    for (const TArea& a : Areas)
        EXPECT_EQ(a.Left + a.Width, 300);
}

TEST_F(LocationControl, AHiddenAreaTakesNoRoom) {
    Add("a", 0, 100, 64);
    Add("b", 1, 50, 20, false);
    Add("c", 2, 80, 30);
    Control.SetAnchor(300, 40);
    EXPECT_EQ(Areas[1].Top, 109);
    EXPECT_EQ(Areas[2].Top, 109);
    EXPECT_EQ(Areas[1].Left, 250); // placed all the same
}

TEST_F(LocationControl, StepDoesNothingPastEitherEnd) {
    AddThree();
    EXPECT_FALSE(Control.Step(&Areas[0], -1));
    EXPECT_FALSE(Control.Step(&Areas[2], +1));
    EXPECT_FALSE(Control.Step(&Control, -1)); // not an instance of the column
    EXPECT_EQ(Names(), "abc");
}

TEST_F(LocationControl, StepExchangesNeighboursAndLaysOutAgain) {
    AddThree();
    EXPECT_TRUE(Control.Step(&Areas[1], -1));
    EXPECT_EQ(Names(), "bac");
    EXPECT_EQ(Areas[1].Top, 40);
    EXPECT_EQ(Areas[0].Top, 65);
    EXPECT_EQ(Areas[2].Top, 134);
    EXPECT_EQ(Control.OrderOf(&Areas[1]), 0);

    EXPECT_TRUE(Control.Step(&Areas[1], +1));
    EXPECT_TRUE(Control.Step(&Areas[1], +1));
    EXPECT_EQ(Names(), "acb");
    EXPECT_EQ(Areas[2].Top, 109);
    EXPECT_EQ(Areas[1].Top, 144);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Control.Entries()[i].Order, i);
}

TEST_F(LocationControl, DownOnTheSecondOfThreeSwapsItWithTheThird) {
    AddThree();
    EXPECT_TRUE(Control.Step(&Areas[1], +1));
    EXPECT_EQ(Names(), "acb");
}

// Moving down leaves the instance level with the entry at its new place; the
// instance must still end up there.
TEST_F(LocationControl, MoveToDownSeveralPlacesTakesTheNewPlace) {
    AddThree();
    Add("d", 3, 1, 1);
    Control.MoveTo(&Areas[0], 2);
    EXPECT_EQ(Names(), "bcad");
    Control.MoveTo(&Areas[0], 0);
    EXPECT_EQ(Names(), "abcd");
}

TEST_F(LocationControl, SavedLocationsOrderTheColumn) {
    Add("first", 1, 10, 10);
    Add("second", 0, 10, 10);
    Control.Normalize();
    EXPECT_EQ(Names(), "secondfirst");
    EXPECT_EQ(Control.IndexOfInstance(&Areas[1]), 0);
    Control.Layout();
    EXPECT_EQ(Areas[1].Top, 0);
    EXPECT_EQ(Areas[0].Top, 15);
}

TEST_F(LocationControl, EqualSavedLocationsKeepTheModuleOrder) {
    Add("x", 0, 1, 1);
    Add("y", 3, 1, 1);
    Add("z", 0, 1, 1);
    Control.Normalize();
    EXPECT_EQ(Names(), "xzy");
    EXPECT_EQ(Control.Entries()[2].Order, 2);
}

TEST_F(LocationControl, SearchesRunFromTheLastEntry) {
    Add("x", 4, 1, 1);
    Add("y", 4, 1, 1);
    EXPECT_EQ(Control.IndexOfOrder(4), 1);
    EXPECT_EQ(Control.IndexOfOrder(0), -1);
    EXPECT_EQ(Control.IndexOfInstance(&Control), -1);
    EXPECT_EQ(Control.OrderOf(&Control), -1);
    EXPECT_EQ(Control.OrderOf(&Areas[0]), 4);
}

TEST_F(LocationControl, SameAnchorDoesNotLayOutAgain) {
    AddThree();
    Areas[0].Top = -7;
    Control.SetAnchor(300, 40);
    EXPECT_EQ(Areas[0].Top, -7);
    Control.SetAnchor(300, 41);
    EXPECT_EQ(Areas[0].Top, 41);
}

TEST_F(LocationControl, MoveToBeyondTheEndPutsTheInstanceLast) {
    AddThree();
    Control.MoveTo(&Areas[0], 7);
    EXPECT_EQ(Names(), "bca");
    Control.MoveTo(&Control, 1); // unknown instance: the order stays
    EXPECT_EQ(Names(), "bca");
    EXPECT_EQ(Control.Entries()[2].Order, 2);
}

// Whatever a module writes into its sizes, or returns as pointers.
TEST_F(LocationControl, ExtremeSizesSaturateAndNullPointersAreSkipped) {
    Add("huge", 0, INT32_MAX, INT32_MAX);
    Add("next", 1, -5, 1);
    Control.SetAnchor(INT32_MIN, 10);
    EXPECT_EQ(Areas[0].Left, INT32_MIN);
    EXPECT_EQ(Areas[1].Top, INT32_MAX);
    std::int32_t left = 0;
    Control.AddLocation(&left, "bare", 2, nullptr, &left, nullptr, nullptr, nullptr);
    Control.Layout();
    EXPECT_EQ(left, INT32_MIN);
}

} // namespace
} // namespace glimra
