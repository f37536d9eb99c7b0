#include "graphics/original_form.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPolygon>
#include <QRegion>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace glimra {
namespace {

// A borderless form that records what reaches its own handlers after the skin.
class TTestForm : public QWidget {
public:
    TTestForm() : QWidget(nullptr, Qt::FramelessWindowHint) {}
    int Presses = 0, Moves = 0, Releases = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++Presses; }
    void mouseMoveEvent(QMouseEvent*) override { ++Moves; }
    void mouseReleaseEvent(QMouseEvent*) override { ++Releases; }
};

void Send(QWidget& w, QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::NoButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                  : type == QEvent::MouseMove        ? Qt::MouseButtons()
                                                                     : button;
    QMouseEvent e(type, p, w.mapToGlobal(p), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

void Hover(QWidget& w, QPoint p) {
    Send(w, QEvent::MouseMove, p);
}
void Click(QWidget& w, QPoint p) {
    Hover(w, p);
    Send(w, QEvent::MouseButtonPress, p, Qt::LeftButton);
    Send(w, QEvent::MouseButtonRelease, p, Qt::LeftButton);
}

QRegion Octagon(int w, int h) {
    QPolygon polygon;
    for (const TSkinPoint& p : SkinOctagon(w, h))
        polygon << QPoint(p.X, p.Y);
    return QRegion(polygon, Qt::WindingFill);
}

class OriginalFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.setGeometry(100, 100, 300, 200);
        skin = std::make_unique<TOriginalForm>(&form);
        form.show();
        QApplication::processEvents();
    }
    TTestForm form;
    std::unique_ptr<TOriginalForm> skin;
};

TEST_F(OriginalFormTest, MaskFollowsEveryResize) {
    EXPECT_EQ(form.mask(), Octagon(300, 200));
    form.resize(360, 240);
    QApplication::processEvents();
    EXPECT_EQ(form.mask(), Octagon(360, 240));
    EXPECT_TRUE(form.mask().contains(QPoint(180, 120)));
    EXPECT_FALSE(form.mask().contains(QPoint(1, 1)));
    EXPECT_FALSE(form.mask().contains(QPoint(358, 238)));
}

TEST_F(OriginalFormTest, CloseGlyphClosesAndEventsReachTheForm) {
    Click(form, QPoint(300 - 37, 7));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Presses, 1);
    EXPECT_EQ(form.Releases, 1);
    EXPECT_EQ(form.Moves, 1);
}

TEST_F(OriginalFormTest, LampCallsTheMemoButtonButNotInDialogStyle) {
    int calls = 0;
    skin->OnMemoButton = [&](TOriginalForm& sender) {
        EXPECT_EQ(&sender, skin.get());
        ++calls;
    };
    Click(form, QPoint(30, 8));
    EXPECT_EQ(calls, 1);
    // A press below the title row after a move there does nothing.
    Click(form, QPoint(30, 40));
    EXPECT_EQ(calls, 1);

    skin->DialogStyle = true;
    Click(form, QPoint(30, 8));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(OriginalFormTest, MinimiseGlyphMinimisesAndStartsAMove) {
    Hover(form, QPoint(300 - 52, 7));
    Send(form, QEvent::MouseButtonPress, QPoint(300 - 52, 7), Qt::LeftButton);
    EXPECT_TRUE(form.isMinimized());
    EXPECT_EQ(skin->DragMode(), TSkinDrag::Move);
    Send(form, QEvent::MouseButtonRelease, QPoint(300 - 52, 7), Qt::LeftButton);
    EXPECT_EQ(skin->DragMode(), TSkinDrag::None);
}

TEST_F(OriginalFormTest, TitleRowDragMovesAndStopsAtTheLeftEdge) {
    int moved = 0;
    skin->OnMoved = [&] { ++moved; };
    form.move(20, 50);
    Hover(form, QPoint(100, 7));
    Send(form, QEvent::MouseButtonPress, QPoint(100, 7), Qt::LeftButton);
    EXPECT_EQ(skin->DragMode(), TSkinDrag::Move);
    Send(form, QEvent::MouseMove, QPoint(110, 2), Qt::LeftButton);
    EXPECT_EQ(form.pos(), QPoint(30, 45));
    Send(form, QEvent::MouseMove, QPoint(40, -100), Qt::LeftButton);
    EXPECT_EQ(form.pos(), QPoint(0, -62));
    Send(form, QEvent::MouseButtonRelease, QPoint(40, -100), Qt::LeftButton);
    EXPECT_EQ(skin->DragMode(), TSkinDrag::None);
    EXPECT_EQ(moved, 2);
    EXPECT_EQ(form.size(), QSize(300, 200));
}

TEST_F(OriginalFormTest, GripResizesAndReshapes) {
    Hover(form, QPoint(295, 150));
    Send(form, QEvent::MouseButtonPress, QPoint(295, 150), Qt::LeftButton);
    EXPECT_EQ(skin->DragMode(), TSkinDrag::Resize);
    Send(form, QEvent::MouseMove, QPoint(315, 140), Qt::LeftButton);
    EXPECT_EQ(form.size(), QSize(320, 190));
    Send(form, QEvent::MouseMove, QPoint(325, 150), Qt::LeftButton);
    EXPECT_EQ(form.size(), QSize(330, 200));
    EXPECT_EQ(form.mask(), Octagon(330, 200));
    EXPECT_EQ(form.pos(), QPoint(100, 100));
}

TEST_F(OriginalFormTest, DragsGoToTheDesktopWhereItTakesThem) {
    struct {
        QPoint At;
        Qt::Edges Edges;
    } const cases[] = {{{100, 7}, {}},                                // title row: a move
                       {{295, 60}, Qt::RightEdge},                    // right edge
                       {{295, 190}, Qt::RightEdge | Qt::BottomEdge}}; // the grip
    for (const auto& c : cases) {
        std::vector<Qt::Edges> asked;
        skin->SystemDrag = [&](Qt::Edges edges) {
            asked.push_back(edges);
            return true;
        };
        form.move(100, 100);
        Hover(form, c.At);
        Send(form, QEvent::MouseButtonPress, c.At, Qt::LeftButton);
        ASSERT_EQ(asked.size(), 1u) << c.At.x() << "," << c.At.y();
        EXPECT_EQ(asked[0], c.Edges);
        // A size the user dragged is kept even where the desktop says nothing of it.
        EXPECT_EQ(skin->UserResized, c.Edges != Qt::Edges{});
        // The desktop drags: the skin's own steps stay out of its way.
        EXPECT_EQ(skin->DragMode(), TSkinDrag::None);
        Send(form, QEvent::MouseMove, c.At + QPoint(10, 10), Qt::LeftButton);
        EXPECT_EQ(form.geometry(), QRect(100, 100, 300, 200));
        Send(form, QEvent::MouseButtonRelease, c.At, Qt::LeftButton);
    }
    // A desktop that takes none (no window manager) leaves the skin to do it.
    skin->SystemDrag = [](Qt::Edges) { return false; };
    Hover(form, QPoint(100, 7));
    Send(form, QEvent::MouseButtonPress, QPoint(100, 7), Qt::LeftButton);
    EXPECT_EQ(skin->DragMode(), TSkinDrag::Move);
}

TEST_F(OriginalFormTest, DetachedSkinDoesNothing) {
    int calls = 0;
    skin->OnMemoButton = [&](TOriginalForm&) { ++calls; };
    skin->Detach();
    Click(form, QPoint(30, 8));
    Click(form, QPoint(300 - 37, 7));
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(form.isVisible());
    QImage bitmap(300, 200, QImage::Format_BGR888);
    bitmap.fill(Qt::black);
    skin->DrawSkin("title", bitmap);
    EXPECT_EQ(bitmap.pixelColor(30, 8), QColor(Qt::black));
}

TEST(OriginalFormLifetime, FormDestroyedBeforeTheSkin) {
    auto form = std::make_unique<QWidget>();
    TOriginalForm skin(form.get());
    form.reset();
    EXPECT_EQ(skin.Form(), nullptr);
    skin.UpdateShape();
}

QColor Px(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

TEST_F(OriginalFormTest, DrawSkinPaintsLampGlyphsFrameAndClippedTitle) {
    QImage bitmap(300, 200, QImage::Format_BGR888);
    bitmap.fill(Qt::black);
    skin->IsActive = true;
    skin->DrawSkin(QString(200, QChar('W')), bitmap);
    const QColor white(Qt::white), black(Qt::black);
    EXPECT_EQ(Px(bitmap, 28, 5), QColor(0, 0x80, 0));
    EXPECT_EQ(Px(bitmap, 34, 11), QColor(0, 0x80, 0));
    EXPECT_EQ(Px(bitmap, 35, 12), black);
    EXPECT_EQ(Px(bitmap, 245, 10), white); // minimise
    EXPECT_EQ(Px(bitmap, 250, 10), black); // end point left out
    EXPECT_EQ(Px(bitmap, 260, 5), white);  // close
    EXPECT_EQ(Px(bitmap, 265, 10), white);
    EXPECT_EQ(Px(bitmap, 266, 11), black);
    EXPECT_EQ(Px(bitmap, 285, 193), white); // grip
    EXPECT_EQ(Px(bitmap, 25, 2), QColor(0, 255, 0));
    EXPECT_EQ(Px(bitmap, 275, 14), QColor(0, 255, 0));

    // The title is written in FileColor and never leaves its clip.
    int inside = 0, outside = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 300; ++x)
            if (Px(bitmap, x, y) == QColor(0, 255, 255))
                (x >= 37 && x < 240 && y >= 3 && y < 13 ? inside : outside)++;
    EXPECT_GT(inside, 0);
    EXPECT_EQ(outside, 0);

    skin->IsActive = false;
    skin->MemoViewOn = true;
    skin->DrawSkin("", bitmap);
    EXPECT_EQ(Px(bitmap, 30, 8), QColor(255, 0, 0));
    EXPECT_EQ(Px(bitmap, 100, 2), QColor(0, 0, 255));
}

// A clipped frame is the whole frame inside the clip and nothing outside it, for
// clips cutting through the lamp, the glyphs, the frame lines and the title.
TEST_F(OriginalFormTest, AClippedSkinIsTheWholeSkinInsideTheClipOnly) {
    QImage desk(300, 200, QImage::Format_BGR888);
    for (int y = 0; y < desk.height(); ++y)
        for (int x = 0; x < desk.width(); ++x)
            desk.setPixelColor(x, y, QColor(x % 256, y % 256, (x + y) % 256));
    skin->IsActive = true;
    QImage whole = desk.copy();
    skin->DrawSkin("a title of some length", whole);
    for (const QRect clip : {QRect(0, 0, 120, 90), QRect(30, 4, 200, 6), QRect(250, 0, 50, 200),
                             QRect(100, 100, 300, 300), QRect(0, 150, 300, 50)}) {
        QImage part = desk.copy();
        skin->DrawSkin("a title of some length", part, clip);
        for (int y = 0; y < desk.height(); ++y)
            for (int x = 0; x < desk.width(); ++x)
                ASSERT_EQ(part.pixel(x, y), (clip.contains(x, y) ? whole : desk).pixel(x, y))
                    << x << "," << y << " clip " << clip.x() << "," << clip.y();
    }
}

// The title's picture is kept between frames, but never past a change of its text,
// its colour, its font or the window's width.
TEST_F(OriginalFormTest, TheTitleFollowsItsTextColourFontAndWidth) {
    const auto draw = [&](const QString& title) {
        QImage bitmap(form.width(), form.height(), QImage::Format_BGR888);
        bitmap.fill(Qt::black);
        skin->DrawSkin(title, bitmap);
        return bitmap;
    };
    // Pixels of the title's room tinted like maroon and like aqua (the frame is pure
    // green or blue, the glyphs white).
    const auto tinted = [](QColor c) { return c.red() > 0 && c.green() == 0 && c.blue() == 0; };
    const auto aqua = [](QColor c) { return c.red() == 0 && c.green() > 0 && c.blue() > 0; };
    const auto inked = [&](const QImage& bitmap) {
        std::pair<int, int> n;
        for (int y = 3; y < 13; ++y)
            for (int x = 37; x < bitmap.width() - 60; ++x) {
                n.first += tinted(bitmap.pixelColor(x, y));
                n.second += aqua(bitmap.pixelColor(x, y));
            }
        return n;
    };
    const QString longer = "WWW a second, longer title WWW";
    const QImage first = draw("WWW first");
    EXPECT_FALSE(first == draw(longer));
    EXPECT_TRUE(draw("WWW first") == first);
    EXPECT_EQ(inked(first).first, 0);
    EXPECT_GT(inked(first).second, 0);

    skin->FileColor = clMaroon;
    const auto maroon = inked(draw("WWW first"));
    EXPECT_GT(maroon.first, 0);
    EXPECT_EQ(maroon.second, 0);
    skin->FileColor = clAqua;
    ASSERT_TRUE(draw("WWW first") == first);

    const QFont font = form.font();
    QFont other = font;
    other.setPointSize(20); // the title is drawn at 9 points whatever the size
    other.setBold(!font.bold());
    form.setFont(other);
    EXPECT_FALSE(draw("WWW first") == first);
    form.setFont(font);

    // The title is cut where its room ends, and shows more of itself in a wider one.
    form.resize(200, 200);
    const QImage narrow = draw(longer);
    for (int y = 3; y < 13; ++y)
        for (int x = narrow.width() - 60; x < narrow.width(); ++x)
            EXPECT_FALSE(aqua(narrow.pixelColor(x, y))) << x << "," << y;
    form.resize(300, 200);
    EXPECT_GT(inked(draw(longer)).second, inked(narrow).second + 50);
}

TEST_F(OriginalFormTest, DialogStyleDrawsNoLampAndNoMinimiseGlyph) {
    QImage bitmap(300, 200, QImage::Format_BGR888);
    bitmap.fill(Qt::black);
    skin->DialogStyle = true;
    skin->DrawSkin("", bitmap);
    EXPECT_EQ(Px(bitmap, 30, 8), QColor(Qt::black));
    EXPECT_EQ(Px(bitmap, 245, 10), QColor(Qt::black));
    EXPECT_EQ(Px(bitmap, 260, 5), QColor(Qt::white));
}

} // namespace
} // namespace glimra
