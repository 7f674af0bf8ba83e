#pragma once

class QWidget;

// What the window manager of an X11 desktop is asked for a top-level window, as the pagers
// ask it: to move the window to the desktop the user is on, and to make it the active window.
// A manager honours these across desktops, where it leaves a program's own requests on its
// desktop. Elsewhere (another platform, no window manager) nothing is asked.
class DesktopWindow
{
public:
    // Puts `window` on the desktop shown now, unless it is on every desktop.
    static void bringToCurrentDesktop(QWidget* window);
    // Asks for `window` to be restored, raised and focused.
    static void activate(QWidget* window);
};
