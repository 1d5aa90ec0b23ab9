#include "about/popupguard.h"

bool PopupGuard::shouldOpen(const void *button, const void *menu, std::uint32_t now)
{
    // Unsigned subtraction keeps the difference right across the tick count's wrap.
    if (button && button == m_button && menu == m_menu && now - m_closedAt < Window) {
        m_button = nullptr;
        m_menu = nullptr;
        return false;
    }
    return true;
}

void PopupGuard::closed(const void *button, const void *menu, std::uint32_t now)
{
    m_button = button;
    m_menu = menu;
    m_closedAt = now;
}
