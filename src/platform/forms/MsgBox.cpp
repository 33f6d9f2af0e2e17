#include "MsgBox.h"

#include "com/Runtime.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace forms {

namespace {

// Message boxes shown with QMessageBox, buttons and icon as asked.
class QtMessageBoxService : public MessageBoxService
{
public:
    MsgBoxResult show(const MessageBoxRequest &request) override
    {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(request.title);
        box.setText(request.prompt);
        switch (request.icon()) {
        case vbCritical:
            box.setIcon(QMessageBox::Critical);
            break;
        case vbQuestion:
            box.setIcon(QMessageBox::Question);
            break;
        case vbExclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case vbInformation:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
        }
        struct Choice
        {
            QMessageBox::StandardButton button;
            MsgBoxResult result;
        };
        QList<Choice> choices;
        switch (request.buttons()) {
        case vbOKCancel:
            choices = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
            break;
        case vbAbortRetryIgnore:
            choices = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
            break;
        case vbYesNoCancel:
            choices = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
            break;
        case vbYesNo:
            choices = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
            break;
        case vbRetryCancel:
            choices = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
            break;
        default:
            choices = {{QMessageBox::Ok, vbOK}};
        }
        QMessageBox::StandardButtons buttons;
        for (const Choice &c : choices)
            buttons |= c.button;
        box.setStandardButtons(buttons);
        box.setDefaultButton(choices.first().button);
        const auto clicked = QMessageBox::StandardButton(box.exec());
        for (const Choice &c : choices) {
            if (c.button == clicked)
                return c.result;
        }
        // Closed by Esc or the close box: the runtime answers Cancel, or OK for a lone OK.
        return request.buttons() == vbOKOnly ? vbOK : (request.buttons() == vbYesNo ? vbNo : vbCancel);
    }
};

std::shared_ptr<MessageBoxService> &current()
{
    static std::shared_ptr<MessageBoxService> service = std::make_shared<QtMessageBoxService>();
    return service;
}

} // namespace

std::shared_ptr<MessageBoxService> setMessageBoxService(std::shared_ptr<MessageBoxService> service)
{
    auto previous = current();
    current() = service ? std::move(service) : std::make_shared<QtMessageBoxService>();
    return previous;
}

MsgBoxResult MsgBox(const QString &prompt, int style, const QString &title)
{
    MessageBoxRequest request;
    request.prompt = prompt;
    request.style = style;
    request.title = title.isEmpty() ? com::App::Title() : title;
    // Keep the service alive while it shows, even if the box replaces it.
    const auto service = current();
    return service->show(request);
}

} // namespace forms
