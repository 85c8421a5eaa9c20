#include "ui/Failure.h"

#include "data/Error.h"
#include "data/FileIo.h"
#include "ui/Prompts.h"

QString FailureText(const std::exception_ptr& failure) {
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
    }
    return QStringLiteral("发生了未知错误。");
}

bool ShowFailure(TPrompts& prompts, QWidget* parent, const std::exception_ptr& failure,
                 const QString& note) {
    if (FailureIs<TReadCancelled>(failure)) return false;
    QString text = FailureText(failure);
    if (!note.isEmpty()) text += QStringLiteral("\r\n") + note;
    prompts.ShowError(parent, text);
    return true;
}

bool WriteFileShowingFailure(TPrompts& prompts, QWidget* parent, const QString& path,
                             std::string_view bytes) {
    try {
        // Its error names the file and says why: "无法写入文件：<path>" and the reason.
        WriteFileAtomically(path.toStdString(), bytes);
        return true;
    } catch (const std::exception&) {
        ShowFailure(prompts, parent, std::current_exception());
        return false;
    }
}
