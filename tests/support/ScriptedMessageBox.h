#pragma once

#include "forms/MsgBox.h"

#include <QList>

#include <deque>
#include <memory>

namespace testing_support {

// Records every message box and answers from a script, so no test waits for
// a person. A box with only an OK button is answered OK when nothing is
// scripted; a question without a scripted answer fails the test.
class ScriptedMessageBox : public forms::MessageBoxService
{
public:
    forms::MsgBoxResult show(const forms::MessageBoxRequest &request) override;

    void answer(forms::MsgBoxResult result) { m_answers.push_back(result); }
    const QList<forms::MessageBoxRequest> &shown() const { return m_shown; }
    QStringList prompts() const;
    void clear() { m_shown.clear(); }
    std::size_t unusedAnswers() const { return m_answers.size(); }

private:
    QList<forms::MessageBoxRequest> m_shown;
    std::deque<forms::MsgBoxResult> m_answers;
};

// Installs a ScriptedMessageBox for the life of a test.
class ScopedMessageBox
{
public:
    ScopedMessageBox();
    ~ScopedMessageBox();
    ScriptedMessageBox &operator*() { return *m_box; }
    ScriptedMessageBox *operator->() { return m_box.get(); }

private:
    std::shared_ptr<ScriptedMessageBox> m_box;
    std::shared_ptr<forms::MessageBoxService> m_previous;
};

} // namespace testing_support
