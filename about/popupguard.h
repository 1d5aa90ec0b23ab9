#pragma once

#include <cstdint>

// The rule that keeps a menu button from reopening its menu with the very
// click that closed it: a click on the same button for the same menu within
// 100 ms after the menu closed is swallowed, once.
class PopupGuard
{
public:
    static constexpr std::uint32_t Window = 100; // milliseconds

    // Whether a click on button for menu at tick count now opens the menu.
    // A swallowed click forgets the last opening.
    bool shouldOpen(const void *button, const void *menu, std::uint32_t now);
    // The menu opened for button has closed at tick count now.
    void closed(const void *button, const void *menu, std::uint32_t now);

private:
    const void *m_button = nullptr;
    const void *m_menu = nullptr;
    std::uint32_t m_closedAt = 0;
};
