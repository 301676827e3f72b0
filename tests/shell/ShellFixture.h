// An editor on a recording host with its arena reserved, for the window-logic tests.
#pragma once

#include <gtest/gtest.h>

#include "shell/Editor.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TestSupport.h"

namespace zorva::shell {

class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor.reserveArena());
        // A small client area: 200 x 170 less the 20-pixel status bar.
        editor.state().clientWidth = 200;
        editor.state().clientHeight = 150;
    }
    // Installs a width x height picture whose pixel (x, r) is x + 256 * r
    // (red 0), so every pixel names its place.
    void Install(uint32_t width, uint32_t height, InstallKind kind = InstallKind::Open) {
        editor.install(test::MakeImage(width, height, [](uint32_t x, uint32_t r) { return x + 256 * r; }), kind);
    }
    EditorState& state() { return editor.state(); }

    test::TempDir dir;
    test::FakeHost host;
    Editor editor{host, dir.path()};
};

}  // namespace zorva::shell
