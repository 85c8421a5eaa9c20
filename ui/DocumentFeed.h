#pragma once

#include <QObject>

#include "search/DocumentView.h"

// How every window gets the document: one TDocumentFeed&, the third parameter of its
// constructor after the parent and the prompts. View() reads the document (draws, register,
// patterns, options, game); the signals say what changed, after the change. A window connects
// to the signals it needs in its constructor and never keeps pointers of its own to the parts.
// The main window makes the one feed of the run and emits its signals; tests make their own
// over a document of their own (tests/support/StandaloneDocument.h).
class TDocumentFeed : public QObject {
    Q_OBJECT

  public:
    explicit TDocumentFeed(TDocumentView view, QObject* parent = nullptr);

    const TDocumentView& View() const { return view_; }

    // A window's 设置 button: the main window opens the options dialog; OptionsChanged follows
    // when the user accepts it.
    void EditOptions() { emit OptionsEditRequested(); }

  signals:
    // Any change of the draws or of their register (typing, import, editor, download, undo,
    // redo, an opened document).
    void DrawsChanged();
    // The chosen patterns (ChosenPatterns: the list's selection) changed.
    void PatternsChanged();
    // The options changed (the options dialog accepted, or settings applied by a test).
    void OptionsChanged();
    // Someone asked for the options dialog (EditOptions).
    void OptionsEditRequested();

  private:
    TDocumentView view_;
};
