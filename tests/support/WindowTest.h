#pragma once

#include "ScriptedDialogs.h"
#include "app/TFCOMM.h"

#include <gtest/gtest.h>

#include <memory>

// A main window with scripted dialogs and the decimal point as separator,
// on no HID devices unless a test opens it on a platform of its own.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() { openWindow(); }
    struct Deferred {};
    explicit WindowTest(Deferred) {}

    void openWindow(hid::Platform* hidPlatform = nullptr)
    {
        services.dialogs = &dialogs;
        services.hidPlatform = hidPlatform;
        services.queryDecimalSeparator = [] { return QStringLiteral("."); };
        window = std::make_unique<TFCOMM>(services);
    }

    ScriptedDialogs dialogs;
    TFCOMMServices services;
    std::unique_ptr<TFCOMM> window;
};
