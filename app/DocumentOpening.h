#pragma once

#include "app/PatternListModel.h"

class QWidget;
class TCodes;
class TDocumentSession;
class TGui2RegMgr;

// Opens the work document while the window keeps answering: the file is read and checked on a
// thread of its own; a document that takes longer than half a second shows "正在打开文档..."
// with its progress and 取消. Only a complete read changes the draws and the patterns. Returns
// false when the user stopped it (nothing changed; the session keeps the file as one that was
// not opened, so the first save copies it aside). Raises the reason of a failure, as
// TDocumentSession::Open does. The pattern list's rows for the new patterns are made on the
// same thread, in "点" order (listRows).
bool OpenDocumentWithProgress(TDocumentSession& session, TCodes& draws, TGui2RegMgr& manager,
                              TPatternListModel::TRows& listRows, QWidget* parent);
