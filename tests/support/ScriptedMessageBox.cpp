#include "ScriptedMessageBox.h"

#include <gtest/gtest.h>

namespace testing_support {

forms::MsgBoxResult ScriptedMessageBox::show(const forms::MessageBoxRequest &request)
{
    m_shown.append(request);
    if (!m_answers.empty()) {
        const auto result = m_answers.front();
        m_answers.pop_front();
        return result;
    }
    if (request.buttons() == forms::vbOKOnly)
        return forms::vbOK;
    ADD_FAILURE() << "unanswered question: " << request.prompt.toStdString();
    return forms::vbCancel;
}

QStringList ScriptedMessageBox::prompts() const
{
    QStringList result;
    for (const auto &r : m_shown)
        result.append(r.prompt);
    return result;
}

ScopedMessageBox::ScopedMessageBox()
    : m_box(std::make_shared<ScriptedMessageBox>())
{
    m_previous = forms::setMessageBoxService(m_box);
}

ScopedMessageBox::~ScopedMessageBox()
{
    forms::setMessageBoxService(m_previous);
}

} // namespace testing_support
