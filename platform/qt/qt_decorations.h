#pragma once
// The decorations a top-level window asks the window manager for, published
// whole: Qt's own Motif hints always offer resizing (and so maximising) and
// leave the decorations of a captioned window without buttons unsaid.

#include <cstdint>

class QWidget;

// Publishes what the kPlatformDecor bits allow: moving always; minimising
// with kPlatformDecorMinimiseBox; the close box and the system menu with
// kPlatformDecorSystemMenu; never resizing or maximising, since only the
// program sizes its windows. Makes the native window if needed; call it
// before the first show. Does nothing off X11.
void QtPublishDecorations(QWidget* window, uint32_t decorations);
