#pragma once

#include <QMessageBox>
#include <QString>

class QUrl;
class QWidget;

// Message boxes and file dialogs of the main window, behind one seam so that tests can answer
// them without a modal loop.
class TPrompts {
  public:
    virtual ~TPrompts() = default;

    // A message with an OK button: information.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // A failure: the same box with the warning icon.
    virtual void ShowError(QWidget* parent, const QString& text) { ShowMessage(parent, text); }
    // A question; returns the button chosen among buttons.
    virtual QMessageBox::StandardButton Ask(QWidget* parent, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) = 0;
    // An open-file dialog; the empty text when the user cancels.
    virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) = 0;
    // A save-file dialog starting at path (it asks before replacing a file); the empty text
    // when the user cancels (what the default does).
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& path,
                                 const QString& filter);
    // Asks the desktop to open a folder, a document or a web address with its default handler.
    virtual void OpenUrl(QWidget* parent, const QUrl& url) = 0;
    // The same for a folder; false when the desktop has no handler for it.
    virtual bool OpenFolder(QWidget* parent, const QUrl& url) {
        OpenUrl(parent, url);
        return true;
    }
};

// The real dialogs.
class TDialogPrompts : public TPrompts {
  public:
    void ShowMessage(QWidget* parent, const QString& text) override;
    void ShowError(QWidget* parent, const QString& text) override;
    QMessageBox::StandardButton Ask(QWidget* parent, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override;
    QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter) override;
    QString SaveFileName(QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter) override;
    void OpenUrl(QWidget* parent, const QUrl& url) override;
    bool OpenFolder(QWidget* parent, const QUrl& url) override;

  private:
    void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& text);
};
