#pragma once

#include <QObject>
#include <QUndoCommand>
#include <QUndoStack>
#include <vector>

#include "data/DrawRegister.h"
#include "data/Hao.h"

class TGui2RegNet;

// Undo and redo of every change of the grid's draws. Each change is recorded as the rows and
// their register before and after it (draw lists are small: 32 bytes a row), one command
// class per kind of change; the stack keeps a bounded number of them.

using TDrawRows = std::vector<DrawRecord>;

// The draws of the grid with their 期号 and dates.
struct TDrawState {
    TDrawRows Rows;
    TDrawRegister Register;
    bool operator==(const TDrawState&) const = default;
};

// Puts one of two row lists into the grid. The change itself has already happened when the
// command is pushed, so its first redo does nothing.
class TDrawsChangeCommand : public QUndoCommand {
  public:
    TDrawsChangeCommand(const QString& text, TGui2RegNet& grid, TDrawState before,
                        TDrawState after);
    void undo() override;
    void redo() override;

  private:
    void Apply(const TDrawState& state);
    TGui2RegNet& grid_;
    TDrawState before_;
    TDrawState after_;
    bool applied_ = true;
};

// Digits typed into the grid.
class TTypeDigitsCommand : public TDrawsChangeCommand {
  public:
    TTypeDigitsCommand(TGui2RegNet& grid, TDrawState before, TDrawState after)
        : TDrawsChangeCommand(QStringLiteral("输入号码"), grid, std::move(before),
                              std::move(after)) {}
};

// The draw editor's save.
class TEditorSaveCommand : public TDrawsChangeCommand {
  public:
    TEditorSaveCommand(TGui2RegNet& grid, TDrawState before, TDrawState after)
        : TDrawsChangeCommand(QStringLiteral("数据编辑"), grid, std::move(before),
                              std::move(after)) {}
};

// An import of a draw file.
class TImportDrawsCommand : public TDrawsChangeCommand {
  public:
    TImportDrawsCommand(TGui2RegNet& grid, TDrawState before, TDrawState after)
        : TDrawsChangeCommand(QStringLiteral("导入号码"), grid, std::move(before),
                              std::move(after)) {}
};

// A download of the draws.
class TDownloadDrawsCommand : public TDrawsChangeCommand {
  public:
    TDownloadDrawsCommand(TGui2RegNet& grid, TDrawState before, TDrawState after)
        : TDrawsChangeCommand(QStringLiteral("下载数据"), grid, std::move(before),
                              std::move(after)) {}
};

// The rows of a draw list, oldest first.
TDrawRows RowsOf(const TCodes& draws);
// The grid's rows and register.
TDrawState StateOf(const TGui2RegNet& grid);
