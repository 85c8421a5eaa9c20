#pragma once

#include <QWidget>

class QPlainTextEdit;

// The quick-start guide: a small tool window that floats over the main window and stays on
// top, holding a fixed text that tells a first-time user where to begin.
class TGuideForm : public QWidget {
    Q_OBJECT

  public:
    explicit TGuideForm(QWidget* parent = nullptr);

    QPlainTextEdit* GuideMemo = nullptr;

    // The quick-start text shown in the memo.
    static QString GuideText();

    // Puts the window's outer frame 8 pixels inside the lower right corner of owner's outer
    // frame, kept on owner's screen.
    void PlaceAtLowerRight(const QWidget& owner);
};
