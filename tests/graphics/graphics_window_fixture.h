#pragma once
// A renderer on a real device and a hidden window (the offscreen driver), bound to a router
// beside a recording sender, for the tests that draw whole frames. A test sets the render
// settings it needs first, then starts the renderer at the size it wants.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "content/file_package.h"
#include "core/message_router.h"
#include "graphics/graphics_process.h"
#include "platform/window/window.h"
#include "support/component_fixture.h"

class GraphicsWindowFixture : public ::testing::Test {
  protected:
    void StartGraphics(int width, int height) {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        // Other tests register these relative paths while working in scratch folders.
        for (const char* package :
             {GraphicsProcess::kArtPackage, GraphicsProcess::kShaderPackage}) {
            FilePackage::Get(package)->Open(package);
        }
        window::g_quit = false;
        window::WindowDesc desc;
        desc.width = width;
        desc.height = height;
        desc.openGL = true;
        m_window = window::Window::Create(desc);
        ASSERT_NE(m_window, nullptr);
        testing::internal::CaptureStdout();
        graphics = std::make_unique<GraphicsProcess>(m_window.get(), nullptr, 0, 1024.0f, 3);
        testing::internal::GetCapturedStdout();
        graphics->Bind(&router, GraphicsProcess::kHandlerId);
        sender.Bind(&router, 22);
    }

    MessageRouter router;
    component_fixture::MessageRecorder sender;
    std::unique_ptr<window::Window> m_window;
    std::unique_ptr<GraphicsProcess> graphics;
};
