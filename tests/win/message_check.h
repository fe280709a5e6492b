// Shared checks on the message boxes the program shows.
#pragma once

#include "scratch.h"
#include "windows_seen.h"

#include <gtest/gtest.h>

#include <string>

// One error box: owner, caption "Rovenda", stop icon, OK only, and exactly this text.
inline ::testing::AssertionResult isErrorBox(const SeenDialog& box, HWND owner, const std::string& text)
{
    if (!box.isMessageBox)
        return ::testing::AssertionFailure() << "not a message box: " << box.caption;
    if (box.owner != owner)
        return ::testing::AssertionFailure() << "owner " << box.owner << ", expected " << owner;
    if (box.caption != "Rovenda")
        return ::testing::AssertionFailure() << "caption " << hexBytes(box.caption);
    if (box.icon != "error")
        return ::testing::AssertionFailure() << "icon " << box.icon;
    if (box.buttons.size() != 1 || box.buttons[0].id != IDOK)
        return ::testing::AssertionFailure() << box.buttons.size() << " buttons, expected OK alone";
    if (box.text != text)
        return ::testing::AssertionFailure() << "text\n  " << hexBytes(box.text) << "\nexpected\n  " << hexBytes(text);
    return ::testing::AssertionSuccess();
}
