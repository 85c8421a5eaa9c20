#pragma once

class QWidget;

// Puts a window's frame in the middle of the primary screen's free area.
void CentreOnScreen(QWidget& window);
