#pragma once

#include <QString>

#include <memory>

namespace forms {

// The desktop runtime's message-box constants.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};

enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// What one message box asks.
struct MessageBoxRequest
{
    QString prompt;
    int style = vbOKOnly; // buttons | icon
    QString title;        // never empty: the application's title when none was named

    int buttons() const { return style & 0x0F; }
    int icon() const { return style & 0xF0; }
};

// Shows message boxes. The program uses the one installed service; tests
// install a scripted one that records each request and answers it.
class MessageBoxService
{
public:
    virtual ~MessageBoxService() = default;
    virtual MsgBoxResult show(const MessageBoxRequest &request) = 0;
};

// Installs service (nullptr: back to the QMessageBox service); returns the previous one.
std::shared_ptr<MessageBoxService> setMessageBoxService(std::shared_ptr<MessageBoxService> service);

// MsgBox(prompt, buttons, title): an empty title gives the application's title.
MsgBoxResult MsgBox(const QString &prompt, int style = vbOKOnly, const QString &title = QString());

} // namespace forms
