#pragma once

#include <QString>
#include <exception>
#include <string_view>

class QWidget;
class TPrompts;

// The one place where a window shows a failure: the reason of a background job's failure (the
// exception its failure callback receives) and a write that did not happen. Every window uses
// these instead of catching for itself, so that no message drops the reason or repeats it.

// What a job's failure says: the text of a std::exception (core errors carry the user's
// Chinese text), or a fixed text for anything else.
QString FailureText(const std::exception_ptr& failure);

// Calls on(e) when the failure is an exception e of type E (or derived from it); true then.
template <class E, class F>
bool WhenFailureIs(const std::exception_ptr& failure, F&& on) {
    if (!failure) return false;
    try {
        std::rethrow_exception(failure);
    } catch (const E& e) {
        on(e);
        return true;
    } catch (...) {
        return false;
    }
}

// True when the failure is an exception of type E, such as TReadCancelled for a job its user
// stopped.
template <class E>
bool FailureIs(const std::exception_ptr& failure) {
    return WhenFailureIs<E>(failure, [](const E&) {});
}

// Shows a job's failure as an error box over parent: FailureText, then note on a line of its
// own when there is one. A job stopped by its user (TReadCancelled) shows nothing; the
// result says whether anything was shown.
bool ShowFailure(TPrompts& prompts, QWidget* parent, const std::exception_ptr& failure,
                 const QString& note = {});

// Writes bytes to the file at path (WriteFileAtomically: the old file stays on a failure). A
// failure is shown as an error box naming the file once, with its reason; false then.
bool WriteFileShowingFailure(TPrompts& prompts, QWidget* parent, const QString& path,
                             std::string_view bytes);
