#pragma once

#include <exception>
#include <functional>

#include "app/patterns/PatternListModel.h"

class QWidget;
class TBackgroundJob;
class TCodes;
class TDocumentSession;
class TGui2RegMgr;
class TGui2RegNet;
class TPrompts;

// Opens the work document on the job while the window keeps answering: the file is read and
// checked on the job's thread; a document that takes longer than half a second shows
// "正在打开文档..." with its progress and 取消. Only a complete read changes the draws and the
// patterns, on the window's thread, right before done(true, rows) with the pattern list's rows
// for the new patterns, made on the job's thread in "点" order. When the user stopped it,
// nothing changed and done(false, {}) runs (the session keeps the file as one that was not
// opened, so the first save copies it aside). A failure reaches failed with the reason
// TDocumentSession::Open would raise. The session, draws and manager must outlive the job.
void OpenDocumentInBackground(TBackgroundJob& job, TDocumentSession& session, TCodes& draws,
                              TGui2RegMgr& manager, QWidget* parent,
                              std::function<void(bool opened, TPatternListModel::TRows rows)> done,
                              std::function<void(std::exception_ptr failure)> failed);

// The main window's opening of its document: OpenDocumentInBackground into the grid's draws and
// the manager; once read, the register from the document's companion (a message when it was
// not trusted) and the grid laid out for the new draws, then listRows with the pattern list's
// rows. A document that was not opened says so ("打开文档失败", or the stopped opening's
// message) and changes nothing. ended runs last in every case.
void OpenWorkDocument(TBackgroundJob& job, TDocumentSession& session, TGui2RegNet& grid,
                      TGui2RegMgr& manager, TPrompts& prompts, QWidget* parent,
                      std::function<void(TPatternListModel::TRows& rows)> listRows,
                      std::function<void()> ended);

// Saves the document with the grid's draws and register and the manager's patterns. A copy
// made of an unreadable document is told first, then a failure with its reason; true when
// saved.
// At start: a recovery copy of unsaved changes left by a run the system ended is offered; 是
// makes the next opening read it (as a modified document), 否 removes it. True for 是.
bool OfferRecoveryCopy(TDocumentSession& session, TPrompts& prompts, QWidget* parent);
// Writes the recovery copy of the document held now; a failure is only noted on stderr, as
// nobody is there to read a message when the session ends.
void KeepRecoveryCopy(TDocumentSession& session, const TGui2RegNet& grid,
                      const TGui2RegMgr& manager);

bool SaveWorkDocument(TDocumentSession& session, const TGui2RegNet& grid,
                      const TGui2RegMgr& manager, TPrompts& prompts, QWidget* parent);
