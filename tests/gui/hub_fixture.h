#pragma once
#include "app/control_hub.h"
#include "gui_test_util.h"
#include "platform/message_box.h"
#include "platform/settings_platform.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace glimra {

// A hub whose settings live in a temporary folder and whose message boxes are
// answered by TBoxes.
template <typename TBoxes = TScriptedMessageBoxes> class THubFixture : public ::testing::Test {
protected:
    TTestFolder Folder;
    TQtSettingsFiles Files;
    TQtUserStore UserStore{QString::fromStdString(Folder.Path("user.conf"))};
    TBoxes Boxes;

    void SetUp() override {
        SetMessageBoxes(&Boxes);
        // A settings file exists, so no storage question is asked.
        Folder.Write("GLIMRA4.INI", "[SystemInfo]\r\nVersion= 0.1\r\n\r\n");
    }
    void TearDown() override { SetMessageBoxes(nullptr); }

    std::unique_ptr<TFourthGlimraControl> MakeHub(std::vector<std::string> commandLine = {},
                                                  TStartOptions options = {}) {
        std::string folder = Folder.Path("");
        folder.pop_back();
        auto store =
            std::make_unique<TRegWork>(folder, 1024, 768, TFontData{"DejaVu Sans", clWhite, 9},
                                       TRegWorkPlatform{Files, UserStore, Boxes, [] {}});
        return std::make_unique<TFourthGlimraControl>(std::move(commandLine), std::move(store),
                                                      std::move(options));
    }
};

} // namespace glimra
